#include "StatusPaint.h"

#include "CDC.h"

void PaintStatus(CWnd* wnd, const wchar_t* message) {
    CPaintDC dc(wnd);
    RECT client = {};
    if (!::GetClientRect(wnd->m_hWnd, &client))
        return; // nothing to draw into; the class brush has painted black
    dc.FillSolidRect(client, RGB(0, 0, 0));
    dc.SetBkColor(RGB(0, 0, 0));
    dc.SetTextColor(RGB(255, 255, 255));
    if (message != nullptr)
        dc.DrawText(message, -1, &client, DT_CENTER | DT_WORDBREAK);
}
