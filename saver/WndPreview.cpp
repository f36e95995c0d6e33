#include "WndPreview.h"

#include "CDC.h"

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
    CPaintDC dc(this);
    RECT client = {};
    if (!::GetClientRect(m_hWnd, &client))
        return; // nothing to draw into; the class brush has painted black
    dc.FillSolidRect(client, RGB(0, 0, 0));
    dc.SetBkColor(RGB(0, 0, 0));
    dc.SetTextColor(RGB(255, 255, 255));
    dc.DrawText(L"Orsetta", -1, &client, DT_CENTER | DT_WORDBREAK);
}
