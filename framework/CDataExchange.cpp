#include "CDataExchange.h"

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd != nullptr ? ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id) : nullptr;
    if (control == nullptr)
        Fail();
    return control;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        if (value < 0 || value > 2)
            value = 0;
        SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    else
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    HWND control = dx->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (dx->m_bSaveAndValidate) {
        const int length = GetWindowTextLengthW(control);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(control, text.data(), length + 1);
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        value = std::move(text);
    } else {
        SetWindowTextW(control, value.c_str());
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.GetSafeHwnd() != nullptr)
        return; // attached by an earlier exchange
    HWND hWnd = dx->PrepareCtrl(id);
    if (hWnd == nullptr)
        return;
    if (!control.Attach(hWnd))
        dx->Fail();
}
