#pragma once
#include <cstdint>
#include <vector>

#include "CWnd.h"
#include "SaverInputRules.h"
#include "SaverLayout.h"

class CWndSaver;

// The saver's full-screen host: black, topmost, without cursor. It lays out the tiles,
// starts their movies together, says why nothing plays, and ends the saver on input.
class CWndSaverBase : public CSaverInputRules<CWndSaverBase, CWnd> {
public:
    static constexpr int kMaxPlayers = 9;

    CWndSaverBase();

    // Creates the window over the rectangle (the primary screen). The object deletes
    // itself when its window is destroyed; when creation fails the caller deletes it.
    BOOL Create(const RECT& rect);

    FirstMousePosition m_firstMousePos;
    bool m_playersCreated = false;
    // The tiles whose windows exist, in tile order; the first null slot ends the list.
    CWndSaver* m_players[kMaxPlayers] = {};

protected:
    void PostNcDestroy() override;

    LRESULT OnCreatePlayers(WPARAM wParam, LPARAM lParam);
    LRESULT OnRunPlayers(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);

    DECLARE_MESSAGE_MAP()

private:
    friend class CSaverInputRules<CWndSaverBase, CWnd>;
    void RequestClose();
    // Takes the window off the screen at once.
    void HideFromScreen();
    bool m_selfDelete = false;
    bool m_closing = false;
    // The start's progress: how many tiles were cued when last counted, and since when.
    int m_playersCued = 0;
    DWORD m_lastCuedAt = 0;
    // The black windows over the other monitors.
    std::vector<HWND> m_covers;
};
