#include "WndDraw.h"

#include <algorithm>
#include <new>
#include <string>

#include "AppMessages.h"
#include "CDC.h"
#include "MovieGraphPlayer.h"
#include "OrsettaApp.h"
#include "ResumeEntry.h"

bool IsPlaybackPossible() {
    const COrsettaApp* app = GetOrsettaApp();
    return app != nullptr && app->Vmr9Available && !app->MovieList.empty() &&
           !app->NoPlayableMovies;
}

BEGIN_MESSAGE_MAP(CWndDraw, CWnd)
ON_MESSAGE(WM_APP_GRAPHEVENT, OnGraphEvent)
ON_MESSAGE(WM_APP_TILEWORK, OnTileWork)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_CREATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

CWndDraw::CWndDraw(int autoDelete, int windowIndex)
    : CWndDraw(autoDelete, windowIndex, std::make_unique<MovieGraphPlayer>()) {}

CWndDraw::CWndDraw(int autoDelete, int windowIndex, std::unique_ptr<IPlayerGraph> graph)
    : m_autoDelete(autoDelete), m_windowIndex(windowIndex),
      m_worker(std::move(graph), windowIndex) {}

CWndDraw::~CWndDraw() = default; // the worker closes the graph within its bound

std::wstring CWndDraw::ResumeKey(const wchar_t* suffix) const {
    // "Wnd%d_CurrentFileName" and "Wnd%d_Pos", the index in decimal.
    return L"Wnd" + std::to_wstring(m_windowIndex) + L"_" + suffix;
}

bool CWndDraw::RequestOpen(uint32_t index, bool seek, bool run, size_t lookahead) {
    if (!IsPlaybackPossible())
        return false;
    COrsettaApp* app = GetOrsettaApp();
    if (index >= app->MovieList.size() || app->MovieList[index].State == EntryState::Failed)
        return false;
    TileWorker::OpenRequest request;
    request.ticket = ++m_ticket;
    request.path = app->MovieList[index].Path;
    request.mute = app->Mute != 0;
    request.seek = seek;
    request.position = m_resumePosition;
    request.run = run;
    m_lookahead.clear();
    try {
        for (size_t slot = app->PlayPosition;
             slot < app->PlayOrder.size() && m_lookahead.size() < lookahead; ++slot) {
            const uint32_t next = app->PlayOrder[slot];
            if (next == index || next >= app->MovieList.size() ||
                app->MovieList[next].State == EntryState::Failed)
                continue;
            request.lookahead.push_back(app->MovieList[next].Path);
            m_lookahead.push_back(next);
        }
    } catch (const std::bad_alloc&) {
        // Checked one at a time, as without a look ahead.
        request.lookahead.clear();
        m_lookahead.clear();
    }
    m_openIndex = index;
    m_opening = true;
    m_hasGraph = false; // the worker closes the one before first
    // From now on the entry names the movie on its way: a close before it is open resumes it
    // next time (at the stored position, or from its start).
    m_worker.Resume().Set(request.path, seek ? m_resumePosition : 0, request.ticket);
    m_worker.Open(std::move(request));
    return true;
}

bool CWndDraw::OpenMovie(uint32_t index) {
    return RequestOpen(index, false, false);
}

bool CWndDraw::PlayNextMovie() {
    BeginSearch(false);
    return m_opening;
}

void CWndDraw::BeginSearch(bool run) {
    m_searching = true;
    m_searchRuns = run;
    m_tries = 0;
    SearchOn(false);
}

void CWndDraw::SearchOn(bool lastFailed) {
    COrsettaApp* app = GetOrsettaApp();
    if (!IsPlaybackPossible()) {
        EndSearch(); // nothing else changes
        return;
    }
    const size_t entries = app->MovieList.size();
    if (lastFailed && ++m_tries == entries) {
        Forget();
        return;
    }
    for (;;) {
        if (app->PlayPosition >= app->PlayOrder.size()) {
            app->ReshufflePlayOrder();
            app->PlayPosition = 0;
            m_tries = 0;
            if (app->PlayOrder.empty())
                break; // an order without slots can never give an entry
        }
        const uint32_t index = app->PlayOrder[app->PlayPosition];
        ++app->PlayPosition;
        // A failed entry is passed over without asking the worker.
        // After failures the worker looks further ahead: a list of many entries that are not
        // there then costs few round trips.
        if (RequestOpen(index, false, m_searchRuns || m_runRequested,
                        std::min(m_tries, TileWorker::kMaxLookahead)))
            return; // the answer goes on from here
        if (++m_tries == entries)
            break;
    }
    Forget();
}

// The whole list failed for this window: nothing is playable for any window.
void CWndDraw::Forget() {
    GetOrsettaApp()->NoPlayableMovies = true;
    m_currentFile.clear();
    m_worker.Resume().Set(std::wstring(), 0, m_ticket);
    EndSearch();
    // Every window hides at its next paint, and the host says why: paint them now.
    if (HWND root = ::GetAncestor(m_hWnd, GA_ROOT))
        (void)::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CWndDraw::EndSearch() {
    m_searching = false;
    m_cued = m_cued || m_started;
}

void CWndDraw::StartPlayback() {
    if (m_started)
        return;
    m_started = true;
    COrsettaApp* app = GetOrsettaApp();
    m_currentFile = app->GetProfileString(kSettingsSection, ResumeKey(L"CurrentFileName").c_str());
    const std::wstring storedPosition =
        app->GetProfileString(kSettingsSection, ResumeKey(L"Pos").c_str());
    if (const auto position = ParseResumePosition(storedPosition))
        m_resumePosition = *position;

    if (app->Continue != 0 && !m_currentFile.empty() && IsPlaybackPossible()) {
        if (const auto slot = FindResumeSlot(app->PlayOrder, app->MovieList, m_currentFile)) {
            app->PlayPosition = static_cast<uint32_t>(*slot + 1);
            // Seeking is asked for with the open, before the graph is cued.
            if (RequestOpen(app->PlayOrder[*slot], true, m_runRequested)) {
                m_resumeOpen = true;
                return;
            }
        }
    }
    m_currentFile.clear();
    m_worker.Resume().Set(std::wstring(), 0, m_ticket);
    BeginSearch(false);
}

void CWndDraw::RunMovie() {
    m_runRequested = true;
    if (m_hasGraph)
        m_worker.Run();
    // A movie still being opened is opened to run, or told to at its answer.
}

LRESULT CWndDraw::OnTileWork(WPARAM wParam, LPARAM lParam) {
    if (static_cast<uint32_t>(lParam) != m_ticket)
        return 0; // about an open that another has replaced
    COrsettaApp* app = GetOrsettaApp();
    MovieEntry* entry =
        m_openIndex < app->MovieList.size() ? &app->MovieList[m_openIndex] : nullptr;
    switch (static_cast<TileWork>(wParam)) {
    case TileWork::Opened: {
        if (!m_opening)
            return 0;
        m_opening = false;
        m_hasGraph = true;
        m_resumeOpen = false;
        if (entry != nullptr) {
            entry->State = EntryState::Opened;
            m_currentFile = entry->Path;
        }
        // Cued for a start that has been told to run meanwhile.
        if (m_runRequested && !m_searchRuns)
            m_worker.Run();
        // Events the new graph posted before this answer were passed over: a very short
        // movie may have ended already.
        m_worker.FetchEvents(m_ticket);
        EndSearch();
        return 0;
    }
    case TileWork::Failed:
        if (!m_opening)
            return 0;
        m_opening = false;
        m_hasGraph = false;
        if (entry != nullptr)
            entry->State = EntryState::Failed;
        for (size_t i = 0; i < m_lookahead.size(); ++i) {
            if ((m_worker.FailedAhead() >> i & 1) != 0)
                app->MovieList[m_lookahead[i]].State = EntryState::Failed;
        }
        // No graph: the movie before (if any) is closed, and resumes from its start.
        m_worker.Resume().Set(m_currentFile, 0, m_ticket);
        if (m_resumeOpen) {
            // The stored movie failed: the start takes the order's next slot instead.
            m_resumeOpen = false;
            m_currentFile.clear();
            m_worker.Resume().Set(std::wstring(), 0, m_ticket);
            BeginSearch(false);
        } else if (m_searching) {
            SearchOn(true);
        }
        return 0;
    case TileWork::Ended:
        // The next movie follows at once, in this window only.
        if (m_hasGraph && !m_opening && !m_searching)
            BeginSearch(true);
        return 0;
    }
    return 0;
}

LRESULT CWndDraw::OnGraphEvent(WPARAM, LPARAM) {
    if (m_hasGraph)
        m_worker.FetchEvents(m_ticket);
    return 0;
}

void CWndDraw::SaveResumeState() {
    // An open still on its way names its movie, unless another window found that movie
    // failing meanwhile: this one will not open it either.
    const COrsettaApp* app = GetOrsettaApp();
    if (m_opening && m_openIndex < app->MovieList.size() &&
        app->MovieList[m_openIndex].State == EntryState::Failed)
        m_worker.Resume().Set(m_currentFile, 0, m_ticket);
    m_resumePosition = m_worker.Resume().Position();
    m_worker.Resume().Write();
}

void CWndDraw::BeginCloseGraph(bool letGraphGo) {
    m_worker.BeginFinish(letGraphGo);
}

bool CWndDraw::CloseGraph(DWORD start, DWORD wait) {
    if (m_graphClosed)
        return true;
    m_graphClosed = true;
    m_worker.BeginFinish();
    const bool finished = m_worker.WaitFinished(start, wait);
    m_hasGraph = false;
    SaveResumeState();
    return finished;
}

void CWndDraw::PostNcDestroy() {
    CloseGraph(GetTickCount());
    if (m_autoDelete != 0)
        delete this;
}

void CWndDraw::OnPaint() {
    CPaintDC dc(this); // validates; the frames come from the graph's presenter
    if (!IsPlaybackPossible())
        ShowWindow(SW_HIDE); // uncovers the host, which says why
}

BOOL CWndDraw::OnEraseBkgnd(HDC) {
    return TRUE;
}

int CWndDraw::OnCreate(LPCREATESTRUCTW create) {
    const int result = CWnd::OnCreate(create);
    m_worker.Start(m_hWnd);
    return result;
}

void CWndDraw::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0)
        StartPlayback();
}
