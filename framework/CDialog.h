#pragma once
#include "CWnd.h"

class CDataExchange;

// A modal dialog from a dialog template. Its window is subclassed when WM_INITDIALOG
// arrives, so from then on the class's message map sees every message first and the
// dialog manager gets the rest.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog and runs its modal loop: the value passed to EndDialog, or -1 when
    // the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // Data exchange between the members and the controls; FALSE when a control was missing.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_pParent;
};
