#include "WndSaverCover.h"

#include "CWinApp.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CWndSaverCover, CWnd)
ON_SAVER_INPUT_RULES()
END_MESSAGE_MAP()

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) // a monitor that cannot be read stays uncovered
        reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
            {{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
             (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}
} // namespace

std::vector<HWND> CWndSaverCover::CoverOtherMonitors(HWND host) {
    std::vector<MonitorArea> monitors;
    // Should the enumeration stop early, the monitors listed until then are covered.
    (void)EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    std::vector<HWND> covers;
    for (const TileRect& rect : CoverRectangles(monitors)) {
        auto* cover = new CWndSaverCover;
        if (!cover->Create(host, rect)) {
            delete cover;
            continue;
        }
        covers.push_back(cover->m_hWnd);
    }
    return covers;
}

void CWndSaverCover::Uncover(std::vector<HWND>& covers) {
    // Destroyed rather than hidden: under Wine's X11 driver without a window manager a hidden
    // window can stay on the screen. Each deletes its object on the way.
    for (HWND cover : covers)
        (void)::DestroyWindow(cover); // ours, on this thread: it cannot fail
    covers.clear();
}

BOOL CWndSaverCover::Create(HWND host, const TileRect& rect) {
    // Without the cursor resource the class has none; WM_SETCURSOR hides it anyway.
    HCURSOR blank = LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_BLANK));
    const wchar_t* windowClass = AfxRegisterWndClass(
        CS_HREDRAW | CS_VREDRAW, blank, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (windowClass == nullptr)
        return FALSE;
    // Made hidden and shown without activation: the host losing activation ends the saver.
    if (!CreateEx(WS_EX_TOPMOST, windowClass, L"", WS_POPUP, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, host, nullptr))
        return FALSE;
    m_selfDelete = true;
    (void)::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                             SWP_SHOWWINDOW); // should it fail, that monitor stays uncovered
    return TRUE;
}

void CWndSaverCover::PostNcDestroy() {
    if (m_selfDelete)
        delete this;
}

void CWndSaverCover::RequestClose() {
    HWND host = ::GetWindow(m_hWnd, GW_OWNER);
    if (host != nullptr)
        ::PostMessageW(host, WM_CLOSE, 0, 0); // a lost request is followed by the next input
}
