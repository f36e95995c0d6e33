#include "WndDraw.h"

#include <string>

#include "AppMessages.h"
#include "CDC.h"
#include "OrsettaApp.h"
#include "ResumeEntry.h"

HRESULT MovieGraphPlayer::Pause() {
    return Graph.Control ? Graph.Control->Pause() : E_POINTER;
}

HRESULT MovieGraphPlayer::Run() {
    return Graph.Control ? Graph.Control->Run() : E_POINTER;
}

HRESULT MovieGraphPlayer::GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) {
    return Graph.Events ? Graph.Events->GetEvent(code, param1, param2, 0) : E_POINTER;
}

HRESULT MovieGraphPlayer::FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) {
    return Graph.Events ? Graph.Events->FreeEventParams(code, param1, param2) : E_POINTER;
}

HRESULT MovieGraphPlayer::SeekTo(LONGLONG position) {
    if (!Graph.Seeking)
        return E_POINTER;
    return Graph.Seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                       AM_SEEKING_NoPositioning);
}

HRESULT MovieGraphPlayer::GetCurrentPosition(LONGLONG* position) {
    if (Graph.IsClosing())
        return Graph.ClosingPosition(position) ? S_OK : E_FAIL;
    return Graph.Seeking ? Graph.Seeking->GetPositions(position, nullptr) : E_POINTER;
}

HRESULT MovieGraphPlayer::SetVolume(long volume) {
    return Graph.Audio ? Graph.Audio->put_Volume(volume) : E_POINTER;
}

bool IsPlaybackPossible() {
    const COrsettaApp* app = GetOrsettaApp();
    return app != nullptr && app->Vmr9Available && !app->MovieList.empty() &&
           !app->NoPlayableMovies;
}

bool HandleWaitingInput(HWND window) {
    // The high word: what is in the queue now. Nothing else than input is taken here, so no
    // posted message (a graph's event, the host's own steps) runs inside the caller's work.
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) == 0)
        return false;
    MSG message;
    // Bounded: input that keeps coming is taken up by the next call.
    for (int taken = 0;
         taken < 64 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT); ++taken) {
        (void)TranslateMessage(&message); // the result says only whether it translated
        (void)DispatchMessageW(&message); // the result is the window's
    }
    // The input rules post WM_CLOSE to the host; a lost activation arrives as a sent
    // message, which this answers as well. (A waiting WM_QUIT is found whatever the filter.)
    return window != nullptr &&
           PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != 0 &&
           message.message == WM_CLOSE;
}

namespace {
// The silence of IBasicAudio::put_Volume.
constexpr long kSilentVolume = -10000;
// The end of a movie opens the next one from this timer, not from the graph's event message:
// opening takes a good part of a second under load, and timer messages come only after
// input and posted messages, so input never waits behind a run of openings of all tiles.
constexpr UINT_PTR kNextMovieTimer = 0x4E58; // 'NX'
} // namespace

BEGIN_MESSAGE_MAP(CWndDraw, CWnd)
ON_MESSAGE(WM_APP_GRAPHEVENT, OnGraphEvent)
ON_WM_TIMER()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_CREATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

CWndDraw::CWndDraw(int autoDelete, int windowIndex)
    : CWndDraw(autoDelete, windowIndex, std::make_unique<MovieGraphPlayer>()) {}

CWndDraw::CWndDraw(int autoDelete, int windowIndex, std::unique_ptr<IPlayerGraph> graph)
    : m_autoDelete(autoDelete), m_windowIndex(windowIndex), m_graph(std::move(graph)) {}

CWndDraw::~CWndDraw() {
    if (m_graph)
        m_graph->Close();
}

std::wstring CWndDraw::ResumeKey(const wchar_t* suffix) const {
    // "Wnd%d_CurrentFileName" and "Wnd%d_Pos", the index in decimal.
    return L"Wnd" + std::to_wstring(m_windowIndex) + L"_" + suffix;
}

bool CWndDraw::OpenMovie(uint32_t index) {
    if (!IsPlaybackPossible())
        return false;
    COrsettaApp* app = GetOrsettaApp();
    if (index >= app->MovieList.size())
        return false;
    MovieEntry& entry = app->MovieList[index];
    if (entry.State == EntryState::Failed)
        return false;
    if (!m_graph->Open(entry.Path.c_str(), m_hWnd)) {
        entry.State = EntryState::Failed;
        return false;
    }
    if (app->Mute != 0)
        m_graph->SetVolume(kSilentVolume); // result ignored: a file without sound is fine
    entry.State = EntryState::Opened;
    m_currentFile = entry.Path;
    return true;
}

bool CWndDraw::PlayNextMovie() {
    return TakeNextMovie(false);
}

bool CWndDraw::TakeNextMovie(bool handleInput) {
    if (!IsPlaybackPossible())
        return false;
    COrsettaApp* app = GetOrsettaApp();
    const size_t entries = app->MovieList.size();
    size_t tries = 0;
    for (;;) {
        if (app->PlayPosition >= app->PlayOrder.size()) {
            app->ReshufflePlayOrder();
            app->PlayPosition = 0;
            tries = 0;
            if (app->PlayOrder.empty())
                break; // an order without slots can never give an entry
        }
        const uint32_t index = app->PlayOrder[app->PlayPosition];
        ++app->PlayPosition;
        // A failed entry is passed over without an attempt, and so without a look at input.
        const bool attempted = index < entries && app->MovieList[index].State != EntryState::Failed;
        if (OpenMovie(index))
            return true;
        if (++tries == entries)
            break;
        if (handleInput && attempted && HandleWaitingInput(::GetAncestor(m_hWnd, GA_ROOT)))
            return false; // the saver is closing: what is left of the search does not matter
    }
    app->NoPlayableMovies = true;
    m_currentFile.clear();
    return false;
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

    if (app->Continue != 0 && !m_currentFile.empty()) {
        if (const auto slot = FindResumeSlot(app->PlayOrder, app->MovieList, m_currentFile)) {
            app->PlayPosition = static_cast<uint32_t>(*slot);
            const uint32_t index = app->PlayOrder[*slot];
            app->PlayPosition = static_cast<uint32_t>(*slot + 1);
            if (OpenMovie(index)) {
                // Results ignored: a clip that cannot seek plays from its start.
                m_graph->SeekTo(m_resumePosition);
                m_graph->Pause();
                return;
            }
        }
    }
    m_currentFile.clear();
    if (TakeNextMovie(true))
        m_graph->Pause(); // result ignored; the host's Run follows
}

LRESULT CWndDraw::OnGraphEvent(WPARAM, LPARAM) {
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    bool complete = false;
    while (m_graph->HasEvents() && SUCCEEDED(m_graph->GetEvent(&code, &param1, &param2))) {
        m_graph->FreeEventParams(code, param1, param2); // result ignored
        complete = complete || code == EC_COMPLETE;
    }
    // Without a timer the next movie is sought now, within this message: that happens once,
    // not again and again, and the search handles input between its attempts, so input is
    // not kept waiting by it.
    if (complete && SetTimer(kNextMovieTimer, 0) == 0)
        AdvanceToNextMovie();
    return 0;
}

void CWndDraw::OnTimer(UINT_PTR id) {
    if (id != kNextMovieTimer) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kNextMovieTimer);
    AdvanceToNextMovie();
}

void CWndDraw::AdvanceToNextMovie() {
    if (TakeNextMovie(true))
        m_graph->Run(); // result ignored
}

void CWndDraw::SaveResumeState() {
    COrsettaApp* app = GetOrsettaApp();
    app->WriteProfileString(kSettingsSection, ResumeKey(L"CurrentFileName").c_str(),
                            m_currentFile.c_str());
    m_resumePosition = 0;
    if (m_graph->HasSeeking()) {
        LONGLONG position = 0;
        if (SUCCEEDED(m_graph->GetCurrentPosition(&position)))
            m_resumePosition = position;
    }
    const std::wstring text = std::to_wstring(m_resumePosition); // signed decimal
    app->WriteProfileString(kSettingsSection, ResumeKey(L"Pos").c_str(), text.c_str());
}

void CWndDraw::CloseGraph() {
    if (m_graphClosed)
        return;
    m_graphClosed = true;
    // Bounded waits: a graph that never answers must not keep the window.
    m_graph->BeginClose();
    SaveResumeState();
    m_graph->Close();
}

void CWndDraw::PostNcDestroy() {
    CloseGraph();
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
    return CWnd::OnCreate(create);
}

void CWndDraw::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0)
        StartPlayback();
}
