#include "CDC.h"

#include "CWnd.h"

BOOL CDC::FillRect(const RECT& rect, HBRUSH brush) {
    if (m_hDC == nullptr || brush == nullptr)
        return FALSE;
    return ::FillRect(m_hDC, &rect, brush) != 0;
}

BOOL CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    if (brush == nullptr)
        return FALSE;
    const BOOL filled = FillRect(rect, brush);
    ::DeleteObject(brush); // a brush not selected into a context is always freed
    return filled;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    return m_hDC != nullptr ? ::SetBkColor(m_hDC, colour) : CLR_INVALID;
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    return m_hDC != nullptr ? ::SetTextColor(m_hDC, colour) : CLR_INVALID;
}

int CDC::DrawText(const wchar_t* text, int length, RECT* rect, UINT format) {
    if (m_hDC == nullptr || text == nullptr || rect == nullptr)
        return 0;
    return ::DrawTextW(m_hDC, text, length, rect, format);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd != nullptr ? wnd->GetSafeHwnd() : nullptr) {
    if (m_hWnd != nullptr)
        m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    // EndPaint is paired with every BeginPaint, even one that gave no context.
    if (m_hWnd != nullptr)
        ::EndPaint(m_hWnd, &m_ps);
}
