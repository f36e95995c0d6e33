#pragma once
#include "CWnd.h"
#include "SaverLayout.h"

// The closing rules every saver window shares, the host and each tile alike: any sign of
// the user (a second mouse position, a button, a key, losing activation) asks the host to
// close; the cursor is hidden and the system's screen-save and close commands are
// swallowed. `Derived` says where the request goes (RequestClose) and keeps its own first
// mouse position (m_firstMousePos); the message map of `Derived` names these handlers.
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
