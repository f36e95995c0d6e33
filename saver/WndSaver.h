#pragma once
#include <cstdint>

#include "SaverInputRules.h"
#include "SaverLayout.h"
#include "WndDraw.h"

// The player window of one tile of the saver: plays like any player window, hides the
// cursor and asks the host to close at any sign of the user.
class CWndSaver : public CSaverInputRules<CWndSaver, CWndDraw> {
public:
    CWndSaver(int autoDelete, int windowIndex, uint32_t gridSide);

    // Creates the window as a child of the host, over its tile.
    BOOL Create(CWnd* host);

    uint32_t m_gridSide;
    FirstMousePosition m_firstMousePos;

protected:
    DECLARE_MESSAGE_MAP()

private:
    friend class CSaverInputRules<CWndSaver, CWndDraw>;
    void RequestClose();
};
