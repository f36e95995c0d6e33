#include "WndSaver.h"

#include "CWinApp.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CWndSaver, CWndDraw)
ON_WM_SYSCOMMAND()
ON_WM_SETCURSOR()
ON_WM_NCACTIVATE()
ON_WM_ACTIVATE()
ON_WM_ACTIVATEAPP()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_MBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_KEYDOWN()
ON_WM_SYSKEYDOWN()
END_MESSAGE_MAP()

CWndSaver::CWndSaver(int autoDelete, int windowIndex, uint32_t gridSide)
    : CWndDraw(autoDelete, windowIndex), m_gridSide(gridSide) {}

BOOL CWndSaver::Create(CWnd* host) {
    if (host == nullptr || m_gridSide == 0)
        return FALSE;
    const TileRect tile = TileRectangle(static_cast<uint32_t>(m_windowIndex), m_gridSide,
                                        static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN)),
                                        static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
    // Without the cursor resource the class has none; WM_SETCURSOR hides it anyway.
    HCURSOR blank = LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_BLANK));
    // No brush: with the background never erased the tile paints no colour of its own.
    const wchar_t* windowClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, blank);
    if (windowClass == nullptr)
        return FALSE;
    return CreateEx(0, windowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, tile.left,
                    tile.top, tile.right - tile.left, tile.bottom - tile.top, host->GetSafeHwnd(),
                    nullptr);
}

void CWndSaver::RequestClose() {
    HWND host = ::GetParent(m_hWnd);
    if (host != nullptr)
        ::PostMessageW(host, WM_CLOSE, 0, 0); // a lost request is followed by the next input
}

void CWndSaver::OnSysCommand(UINT id, LPARAM lParam) {
    if (id == SC_SCREENSAVE || id == SC_CLOSE)
        return;
    CWndDraw::OnSysCommand(id, lParam);
}

BOOL CWndSaver::OnSetCursor(HWND, UINT, UINT) {
    SetCursor(nullptr);
    return TRUE;
}

BOOL CWndSaver::OnNcActivate(BOOL active) {
    if (!active)
        return FALSE;
    return CWndDraw::OnNcActivate(active);
}

void CWndSaver::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CWndDraw::OnActivate(state, other, minimized);
    if (state == WA_INACTIVE)
        RequestClose();
}

void CWndSaver::OnActivateApp(BOOL active, DWORD threadId) {
    CWndDraw::OnActivateApp(active, threadId);
    if (!active)
        RequestClose();
}

void CWndSaver::OnMouseMove(UINT flags, POINT point) {
    if (MouseMoveEndsSaver(m_firstMousePos, point.x, point.y))
        RequestClose();
    CWndDraw::OnMouseMove(flags, point);
}

void CWndSaver::OnLButtonDown(UINT flags, POINT point) {
    RequestClose();
    CWndDraw::OnLButtonDown(flags, point);
}

void CWndSaver::OnMButtonDown(UINT flags, POINT point) {
    RequestClose();
    CWndDraw::OnMButtonDown(flags, point);
}

void CWndSaver::OnRButtonDown(UINT flags, POINT point) {
    RequestClose();
    CWndDraw::OnRButtonDown(flags, point);
}

void CWndSaver::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    RequestClose();
    CWndDraw::OnKeyDown(key, repeat, flags);
}

void CWndSaver::OnSysKeyDown(UINT key, UINT repeat, UINT flags) {
    RequestClose();
    CWndDraw::OnSysKeyDown(key, repeat, flags);
}
