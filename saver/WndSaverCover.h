#pragma once
#include <vector>

#include "CWnd.h"
#include "SaverInputRules.h"
#include "SaverLayout.h"

// A black, topmost window without cursor over a monitor other than the primary, owned by the
// saver's host: what that monitor showed stays hidden while the saver runs, and any sign of
// the user over it ends the saver as it does over the tiles.
class CWndSaverCover : public CSaverInputRules<CWndSaverCover, CWnd> {
public:
    // Covers every monitor but the primary with a window owned by the host. A monitor whose
    // window could not be made stays uncovered. The windows go with the host's.
    static std::vector<HWND> CoverOtherMonitors(HWND host);
    // Takes the covers off the screen at once, and forgets them.
    static void Uncover(std::vector<HWND>& covers);

    FirstMousePosition m_firstMousePos;

protected:
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    friend class CSaverInputRules<CWndSaverCover, CWnd>;
    BOOL Create(HWND host, const TileRect& rect);
    void RequestClose();
    bool m_selfDelete = false;
};
