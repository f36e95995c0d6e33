#include "WndSaverBase.h"

#include "AppMessages.h"
#include "CWinApp.h"
#include "HangGuard.h"
#include "OrsettaApp.h"
#include "KvVmrSurfaceAllocator.h"
#include "StatusPaint.h"
#include "WndSaver.h"
#include "WndSaverCover.h"
#include "resource.h"

namespace {
// While a tile has not cued its movie, the start is retried on this timer rather than by
// re-posting at once: posted messages come before input, which would never be read.
constexpr UINT_PTR kRunPlayersTimer = 1;
constexpr UINT kRunPlayersRetryMs = 20;
// The tiles start together once all are cued; but once no further tile has been cued for
// this long, those that are start without the others: a tile whose file keeps its worker (a
// splitter that never answers) must not keep them still. A late tile starts on its own once
// cued.
constexpr DWORD kStartTogetherMs = 1500;
} // namespace

BEGIN_MESSAGE_MAP(CWndSaverBase, CWnd)
ON_MESSAGE(WM_APP_CREATEPLAYERS, OnCreatePlayers)
ON_MESSAGE(WM_APP_RUNPLAYERS, OnRunPlayers)
ON_MESSAGE(WM_CLOSE, OnClose)
ON_WM_SYSCOMMAND()
ON_WM_DESTROY()
ON_WM_SETCURSOR()
ON_WM_NCACTIVATE()
ON_WM_ACTIVATE()
ON_WM_ACTIVATEAPP()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_MBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_KEYDOWN()
ON_WM_SYSKEYDOWN()
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
END_MESSAGE_MAP()

CWndSaverBase::CWndSaverBase() = default;

BOOL CWndSaverBase::Create(const RECT& rect) {
    // One Direct3D object for every tile's device, made while the windows are made.
    if (IsPlaybackPossible())
        CKvVmrSurfaceAllocator::ShareDirect3D();
    // Without the cursor resource the class has none; WM_SETCURSOR hides it anyway.
    HCURSOR blank = LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_BLANK));
    const wchar_t* windowClass = AfxRegisterWndClass(
        CS_HREDRAW | CS_VREDRAW, blank, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (windowClass == nullptr)
        return FALSE;
    if (!CreateEx(WS_EX_TOPMOST, windowClass, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                  nullptr))
        return FALSE;
    m_selfDelete = true;
    m_covers = CWndSaverCover::CoverOtherMonitors(m_hWnd);
    return TRUE;
}

void CWndSaverBase::PostNcDestroy() {
    if (m_selfDelete)
        delete this;
}

LRESULT CWndSaverBase::OnCreatePlayers(WPARAM, LPARAM) {
    if (m_playersCreated)
        return 0;
    m_playersCreated = true;
    m_lastCuedAt = GetTickCount();
    const uint32_t gridSide = GridSideForMode(GetOrsettaApp()->ScreenCountMode);
    int filled = 0;
    for (uint32_t i = 0; i < gridSide * gridSide && filled < kMaxPlayers; ++i) {
        // The tile owns itself only once its window exists; a tile whose window could not
        // be made is dropped here, so that the others are not kept waiting for it.
        auto* player = new CWndSaver(0, static_cast<int>(i), gridSide);
        if (!player->Create(this)) {
            delete player;
            continue;
        }
        player->m_autoDelete = 1;
        m_players[filled++] = player;
    }
    if (!PostMessage(WM_APP_RUNPLAYERS))
        OnRunPlayers(0, 0); // a full queue: start them now rather than never
    return 0;
}

LRESULT CWndSaverBase::OnRunPlayers(WPARAM, LPARAM) {
    if (!IsPlaybackPossible())
        return 0;
    int cued = 0;
    for (CWndSaver* player : m_players) {
        if (player == nullptr)
            break;
        cued += player->m_cued ? 1 : 0;
    }
    if (cued != m_playersCued) {
        m_playersCued = cued;
        m_lastCuedAt = GetTickCount();
    }
    for (CWndSaver* player : m_players) {
        if (player == nullptr)
            break;
        // A tile without area never gets the size that starts it; it is not waited for.
        RECT client = {};
        const bool hasArea = ::GetClientRect(player->m_hWnd, &client) &&
                             client.right > client.left && client.bottom > client.top;
        // Each tile's worker cues its movie while this thread goes on. Without a timer the
        // wait is dropped rather than kept up by re-posting at once, which would come before
        // input again and again.
        const bool waiting = m_playersCued == 0 || GetTickCount() - m_lastCuedAt < kStartTogetherMs;
        if (!player->m_cued && hasArea && waiting) {
            (void)SetTimer(kRunPlayersTimer, kRunPlayersRetryMs);
            return 0;
        }
    }
    // A tile still cueing runs as soon as it is cued.
    for (CWndSaver* player : m_players) {
        if (player == nullptr)
            break;
        player->RunMovie();
    }
    return 0;
}

void CWndSaverBase::OnTimer(UINT_PTR id) {
    if (id != kRunPlayersTimer) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kRunPlayersTimer);
    OnRunPlayers(0, 0);
}

LRESULT CWndSaverBase::OnClose(WPARAM, LPARAM) {
    // A second request while the close is under way changes nothing.
    if (m_closing)
        return 0;
    m_closing = true;
    // The close below is bounded by itself; a guard that acted already ends the process.
    if (!StopHangGuard())
        return 0;
    // The desktop comes back before any graph is touched, and no tile draws any more meanwhile.
    CKvVmrSurfaceAllocator::StopPresenting();
    HideFromScreen();
    // Every tile's worker begins to close its graph at once, so that the slowest, not the
    // sum of them all, sets the time until the saver ends. A saver's process ends below
    // once the entries are written: its graphs are not let go, only their positions read.
    const bool processEnds = GetOrsettaApp()->RunMode == RunModeId::Saver;
    for (CWndSaver* player : m_players) {
        if (player == nullptr)
            break;
        player->BeginCloseGraph(!processEnds);
    }
    // Then each is waited for within one bound, while the tiles' windows still exist, and
    // each writes its resume entry. A tile whose worker is still opening a movie is not waited
    // for: its entry names that movie already, and an open can take longer than the user
    // would wait.
    const DWORD start = GetTickCount();
    bool allClosed = true;
    for (CWndSaver* player : m_players) {
        if (player == nullptr)
            break;
        const DWORD wait = player->IsOpening() ? 0 : kTileFinishWaitMs;
        allClosed = player->CloseGraph(start, wait) && allClosed;
    }
    // A worker given up may be stuck inside the platform's media code, still presenting into
    // its tile, and holding locks that an orderly exit would wait for: the process ends here,
    // every entry written, before any window goes.
    if (!allClosed)
        (void)TerminateProcess(GetCurrentProcess(), 0); // does not return
    // The saver's work is done: the process ends here rather than after its windows are
    // destroyed (which changes activation and waits on the platform again) and its media
    // libraries unloaded (seconds under Wine after a long run).
    if (processEnds)
        (void)TerminateProcess(GetCurrentProcess(), 0); // does not return
    return Default(); // destroys the window, and with it the tiles
}

void CWndSaverBase::HideFromScreen() {
    CWndSaverCover::Uncover(m_covers);
    // Off every monitor first, without a change of activation: the screen is the user's again
    // even should the hide below wait. (Measured under Wine, rarely: ShowWindow kept waiting
    // inside the system with odd media in nine tiles.) Without a window manager a hidden window
    // can also stay on the screen until it moves.
    RECT window = {};
    if (::GetWindowRect(m_hWnd, &window)) {
        const int x = GetSystemMetrics(SM_XVIRTUALSCREEN) - (window.right - window.left);
        const int y = GetSystemMetrics(SM_YVIRTUALSCREEN) - (window.bottom - window.top);
        (void)::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); // a best effort
    }
    (void)::ShowWindow(m_hWnd, SW_HIDE); // the result is the previous visibility
}

void CWndSaverBase::RequestClose() {
    PostMessage(WM_CLOSE); // a lost request is followed by the next input
}

void CWndSaverBase::OnDestroy() {
    CWnd::OnDestroy();
    PostQuitMessage(0);
}

void CWndSaverBase::OnPaint() {
    const COrsettaApp* app = GetOrsettaApp();
    const wchar_t* message = nullptr;
    if (!app->Vmr9Available)
        message = L"システムがVMR9に対応していません";
    else if (app->MovieList.empty())
        message = L"ムービーファイルリストが空です";
    else if (app->NoPlayableMovies)
        message = L"再生可能なムービーファイルがありません";
    PaintStatus(this, message);
}

void CWndSaverBase::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    // Deferred until the window is fully made; should the post fail, the next size retries.
    if (cx > 0 && cy > 0 && !m_playersCreated)
        PostMessage(WM_APP_CREATEPLAYERS);
}
