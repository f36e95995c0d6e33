#pragma once
#include "CWnd.h"

// The combo box messages the dialogs use, as member functions.
class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT, 0, 0)); }
    // Inserting at an index never sorts, whatever the control's style.
    int InsertString(int index, const wchar_t* text) {
        return static_cast<int>(
            Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) {
        return static_cast<int>(Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0));
    }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
};
