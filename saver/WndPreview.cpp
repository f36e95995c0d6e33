#include "WndPreview.h"

#include "StatusPaint.h"

BEGIN_MESSAGE_MAP(CWndPreview, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CWndPreview::Create(HWND host, const RECT& rect) {
    const wchar_t* windowClass = AfxRegisterWndClass(
        CS_HREDRAW | CS_VREDRAW, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (windowClass == nullptr)
        return FALSE;
    if (!CreateEx(0, windowClass, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, host, nullptr))
        return FALSE;
    m_selfDelete = true;
    return TRUE;
}

void CWndPreview::PostNcDestroy() {
    if (m_selfDelete)
        delete this;
}

void CWndPreview::OnPaint() {
    PaintStatus(this, L"Orsetta");
}
