#pragma once
#include <cstdint>

#include "SaverLayout.h"
#include "WndDraw.h"

// The player window of one tile of the saver: plays like any player window, hides the
// cursor and asks the host to close at any sign of the user.
class CWndSaver : public CWndDraw {
public:
    CWndSaver(int autoDelete, int windowIndex, uint32_t gridSide);

    // Creates the window as a child of the host, over its tile.
    BOOL Create(CWnd* host);

    uint32_t m_gridSide;
    FirstMousePosition m_firstMousePos;

protected:
    void OnSysCommand(UINT id, LPARAM lParam);
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    BOOL OnNcActivate(BOOL active);
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    void OnActivateApp(BOOL active, DWORD threadId);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnMButtonDown(UINT flags, POINT point);
    void OnRButtonDown(UINT flags, POINT point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);

    DECLARE_MESSAGE_MAP()

private:
    void RequestClose();
};
