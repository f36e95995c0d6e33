#include "WndSaver.h"

#include "CWinApp.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CWndSaver, CWndDraw)
ON_SAVER_INPUT_RULES()
END_MESSAGE_MAP()

CWndSaver::CWndSaver(int autoDelete, int windowIndex, uint32_t gridSide)
    : CSaverInputRules(autoDelete, windowIndex), m_gridSide(gridSide) {}

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
