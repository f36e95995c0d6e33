#pragma once
#include "CWnd.h"

// The picture inside the host's preview box: the program's name in white on black.
class CWndPreview : public CWnd {
public:
    // Creates the window as a visible child of the host over the rectangle (the host's
    // client area). The object deletes itself when its window is destroyed; when creation
    // fails the caller deletes it.
    BOOL Create(HWND host, const RECT& rect);

protected:
    void PostNcDestroy() override;
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    bool m_selfDelete = false;
};
