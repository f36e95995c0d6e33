#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CWnd.h"
#include "IPlayerGraph.h"
#include "TileWorker.h"

// Playback is possible while the renderer exists, the list has entries and some entry
// could still be opened.
bool IsPlaybackPossible();

// The window that plays movies from the shared play order, one graph at a time, and keeps
// its resume entry ("Wnd%d_CurrentFileName", "Wnd%d_Pos") in the settings file. The play
// order, the list and the settings are read and changed here, on the user-interface thread;
// every call into the graph is made by the window's worker (m_worker), which answers with
// WM_APP_TILEWORK. So opening, cueing and closing are requests whose outcome comes later.
class CWndDraw : public CWnd {
public:
    CWndDraw(int autoDelete, int windowIndex);
    // The same with another implementation of the graph calls.
    CWndDraw(int autoDelete, int windowIndex, std::unique_ptr<IPlayerGraph> graph);
    ~CWndDraw() override;

    // Runs once, at the first non-empty size: resumes the stored movie or takes the next
    // slot of the order, and has it cued (paused); m_cued is set once that is settled.
    void StartPlayback();
    // Asks for entry `index` of the list to be opened in this window and cued; false when it
    // cannot even be asked (nothing can play, or the entry failed before). The answer marks
    // the entry Opened or Failed.
    bool OpenMovie(uint32_t index);
    // Takes slots of the order until an entry opens (each answer decides whether to take
    // the next) and has it cued; false when nothing was asked. When the whole list fails,
    // nothing is playable for any window.
    bool PlayNextMovie();
    // Runs the cued movie; one that is still being cued runs as soon as it is.
    void RunMovie();
    // Writes the resume entry: the current file and its latest known position.
    void SaveResumeState();
    // The close of the graph begins on the worker: what is queued is dropped, the position
    // read, the graph stopped and let go (kept as it is, for a process about to end, unless
    // `letGraphGo`).
    void BeginCloseGraph(bool letGraphGo = true);
    // Once: begins the close if need be, waits for it until kTileFinishWaitMs after `start`,
    // and writes the resume entry (with the position known by then). False when the worker
    // did not finish in time and was given up. The saver calls it while its windows still
    // exist; PostNcDestroy calls it for a window closed otherwise.
    bool CloseGraph(DWORD start, DWORD wait = kTileFinishWaitMs);
    // A graph is open (cued, playing or at its end).
    bool HasGraph() const { return m_hasGraph; }
    // The worker is opening a movie: a splitter, a decoder or a device may keep it a while.
    bool IsOpening() const { return m_opening; }

    int m_autoDelete;
    int m_windowIndex;
    std::wstring m_currentFile;
    int64_t m_resumePosition = 0;
    bool m_started = false;
    // The start has settled: the first movie is cued, or nothing could be opened.
    bool m_cued = false;
    TileWorker m_worker;

protected:
    void PostNcDestroy() override;

    LRESULT OnGraphEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnTileWork(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    int OnCreate(LPCREATESTRUCTW create);
    void OnSize(UINT type, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    std::wstring ResumeKey(const wchar_t* suffix) const;
    // `lookahead`: how many of the order's next entries the worker checks too, should this
    // one fail.
    bool RequestOpen(uint32_t index, bool seek, bool run, size_t lookahead = 0);
    void BeginSearch(bool run);
    // Takes the next slots; `lastFailed` counts the answer that brought it here.
    void SearchOn(bool lastFailed);
    void EndSearch();
    void Forget();

    uint32_t m_ticket = 0;             // of the latest open asked for
    uint32_t m_openIndex = 0;          // the entry it names
    std::vector<uint32_t> m_lookahead; // the entries checked too, should it fail
    bool m_opening = false;            // its answer is awaited
    bool m_hasGraph = false;
    bool m_resumeOpen = false; // it is the start's resume of the stored movie
    bool m_searching = false;
    bool m_searchRuns = false; // the search's movie runs at once (else it is cued)
    size_t m_tries = 0;
    bool m_runRequested = false;
    bool m_graphClosed = false;
};
