#pragma once
#include <string>

#include "CWnd.h"

// The list box messages the dialogs use, as member functions.
class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT, 0, 0)); }
    int AddString(const wchar_t* text) {
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, const wchar_t* text) {
        return static_cast<int>(
            Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(Send(LB_DELETESTRING, index, 0)); }
    void ResetContent() { Send(LB_RESETCONTENT, 0, 0); }
    int GetTextLen(int index) const {
        return static_cast<int>(Send(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
    }
    // The item's text; false for an index out of range.
    bool GetText(int index, std::wstring& text) const {
        const int length = GetTextLen(index);
        if (length < 0)
            return false;
        text.assign(static_cast<size_t>(length) + 1, L'\0');
        const int copied = static_cast<int>(
            Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())));
        if (copied < 0)
            return false;
        text.resize(static_cast<size_t>(copied));
        return true;
    }
    int GetSelCount() const { return static_cast<int>(Send(LB_GETSELCOUNT, 0, 0)); }
    int GetSelItems(int maxItems, int* indices) const {
        return static_cast<int>(
            Send(LB_GETSELITEMS, static_cast<WPARAM>(maxItems), reinterpret_cast<LPARAM>(indices)));
    }
    int GetSel(int index) const {
        return static_cast<int>(Send(LB_GETSEL, static_cast<WPARAM>(index), 0));
    }
    int SetSel(int index, BOOL select = TRUE) {
        return static_cast<int>(Send(LB_SETSEL, select, static_cast<LPARAM>(index)));
    }
    int GetTopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX, 0, 0)); }
    int SetTopIndex(int index) {
        return static_cast<int>(Send(LB_SETTOPINDEX, static_cast<WPARAM>(index), 0));
    }
    void SetHorizontalExtent(int extent) {
        Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
    }
    int GetHorizontalExtent() const { return static_cast<int>(Send(LB_GETHORIZONTALEXTENT, 0, 0)); }
    void SetRedraw(BOOL redraw) { Send(WM_SETREDRAW, redraw, 0); }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
};
