#pragma once
#include <windows.h>

class CWnd;

// A device context handle with the drawing calls the windows use. It does not own the
// handle; CPaintDC does.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() = default;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // Fills with a brush; FALSE when the handle or the brush is missing or the call fails.
    BOOL FillRect(const RECT& rect, HBRUSH brush);
    // Fills with a solid brush of the colour, made and freed here.
    BOOL FillSolidRect(const RECT& rect, COLORREF colour);
    // CLR_INVALID when the call fails.
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    // The height of the drawn text, 0 when nothing could be drawn.
    int DrawText(const wchar_t* text, int length, RECT* rect, UINT format);
};

// The device context of one WM_PAINT: BeginPaint when made, EndPaint when destroyed, so
// the update region is validated even when nothing is drawn.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd = nullptr;
};
