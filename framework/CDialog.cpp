#include "CDialog.h"

#include "CDataExchange.h"
#include "CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr)
        return -1;
    // Without a parent the application's main window owns the dialog, unless that is
    // this dialog itself.
    HWND owner = nullptr;
    if (m_pParent != nullptr) {
        owner = m_pParent->GetSafeHwnd();
    } else if (CWinApp* app = AfxGetApp();
               app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this) {
        owner = app->m_pMainWnd->GetSafeHwnd();
    }
    if (owner != nullptr && !IsWindow(owner))
        owner = nullptr;
    const INT_PTR result =
        DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                        &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    // The window is gone; its last message detached it, unless creation failed halfway.
    if (m_hWnd != nullptr && !IsWindow(m_hWnd))
        Detach();
    return result;
}

void CDialog::EndDialog(int result) {
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE; // the dialog manager's default handling
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || !dialog->Attach(hWnd)) {
        ::EndDialog(hWnd, -1);
        return FALSE;
    }
    // No exception may cross into the dialog manager.
    try {
        return dialog->OnInitDialog();
    } catch (...) {
        ::EndDialog(hWnd, -1);
        return FALSE;
    }
}
