#pragma once
#include <string>

#include "CWnd.h"

// One direction of data exchange between a dialog's members and its controls.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // The control's handle; a missing control marks the exchange as failed.
    HWND PrepareCtrl(int id);
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;

private:
    bool m_failed = false;
};

// Check box state: 0 unchecked, 1 checked, 2 indeterminate. Values outside that range are
// shown (and so later stored) as unchecked.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Selected index of a combo box; -1 for none.
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);
// Makes the control object the permanent owner of the control (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
