#pragma once
#include "CWnd.h"
#include "SaverLayout.h"

// The closing rules every saver window shares, the host, each tile and each cover of another
// monitor alike: any sign of the user (a second mouse position, a button, a key, losing
// activation) asks the host to close; the cursor is hidden and the system's screen-save and
// close commands are swallowed. `Derived` says where the request goes (RequestClose) and
// keeps its own first mouse position (m_firstMousePos); the message map of `Derived` names
// these handlers (ON_SAVER_INPUT_RULES below).
template <class Derived, class Base> class CSaverInputRules : public Base {
public:
    using Base::Base;

protected:
    void OnSysCommand(UINT id, LPARAM lParam) {
        if (id == SC_SCREENSAVE || id == SC_CLOSE)
            return;
        Base::OnSysCommand(id, lParam);
    }
    BOOL OnSetCursor(HWND, UINT, UINT) {
        SetCursor(nullptr);
        return TRUE;
    }
    BOOL OnNcActivate(BOOL active) {
        if (!active)
            return FALSE;
        return Base::OnNcActivate(active);
    }
    void OnActivate(UINT state, CWnd* other, BOOL minimized) {
        Base::OnActivate(state, other, minimized);
        if (state == WA_INACTIVE)
            Close();
    }
    void OnActivateApp(BOOL active, DWORD threadId) {
        Base::OnActivateApp(active, threadId);
        if (!active)
            Close();
    }
    void OnMouseMove(UINT flags, POINT point) {
        if (MouseMoveEndsSaver(static_cast<Derived*>(this)->m_firstMousePos, point.x, point.y))
            Close();
        Base::OnMouseMove(flags, point);
    }
    void OnLButtonDown(UINT flags, POINT point) {
        Close();
        Base::OnLButtonDown(flags, point);
    }
    void OnMButtonDown(UINT flags, POINT point) {
        Close();
        Base::OnMButtonDown(flags, point);
    }
    void OnRButtonDown(UINT flags, POINT point) {
        Close();
        Base::OnRButtonDown(flags, point);
    }
    void OnKeyDown(UINT key, UINT repeat, UINT flags) {
        Close();
        Base::OnKeyDown(key, repeat, flags);
    }
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags) {
        Close();
        Base::OnSysKeyDown(key, repeat, flags);
    }

private:
    void Close() { static_cast<Derived*>(this)->RequestClose(); }
};

// The message-map entries of those handlers, for the map of each window that keeps the rules.
#define ON_SAVER_INPUT_RULES()                                                                     \
    ON_WM_SYSCOMMAND()                                                                             \
    ON_WM_SETCURSOR()                                                                              \
    ON_WM_NCACTIVATE()                                                                             \
    ON_WM_ACTIVATE()                                                                               \
    ON_WM_ACTIVATEAPP()                                                                            \
    ON_WM_MOUSEMOVE()                                                                              \
    ON_WM_LBUTTONDOWN()                                                                            \
    ON_WM_MBUTTONDOWN()                                                                            \
    ON_WM_RBUTTONDOWN()                                                                            \
    ON_WM_KEYDOWN()                                                                                \
    ON_WM_SYSKEYDOWN()
