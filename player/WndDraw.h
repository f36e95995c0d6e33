#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "CWnd.h"
#include "MovieGraph.h"

// What a player window does with the graph of its current movie. The product's graph is
// MovieGraphPlayer; the window's stepping, resume and event logic needs only these calls.
class IPlayerGraph {
public:
    virtual ~IPlayerGraph() = default;
    // Closes the previous graph first, whatever the outcome.
    virtual bool Open(const wchar_t* path, HWND window) = 0;
    virtual void Close() = 0;
    virtual bool HasControl() const = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run() = 0;
    virtual bool HasEvents() const = 0;
    virtual HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) = 0;
    virtual HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) = 0;
    virtual bool HasSeeking() const = 0;
    virtual HRESULT SeekTo(LONGLONG position) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG* position) = 0;
    virtual HRESULT SetVolume(long volume) = 0;
    // Starts closing on the graph's own time, the current position still readable through
    // GetCurrentPosition; Close then finishes it. Graphs that close at once need nothing here.
    virtual void BeginClose() {}
};

// A MovieGraph seen through the player's calls.
class MovieGraphPlayer final : public IPlayerGraph {
public:
    bool Open(const wchar_t* path, HWND window) override { return Graph.Open(path, window); }
    void Close() override { Graph.Close(); }
    void BeginClose() override { Graph.BeginClose(true); }
    bool HasControl() const override { return Graph.Control != nullptr; }
    HRESULT Pause() override;
    HRESULT Run() override;
    bool HasEvents() const override { return Graph.Events != nullptr; }
    HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) override;
    HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) override;
    bool HasSeeking() const override { return Graph.Seeking != nullptr || Graph.IsClosing(); }
    HRESULT SeekTo(LONGLONG position) override;
    HRESULT GetCurrentPosition(LONGLONG* position) override;
    HRESULT SetVolume(long volume) override;

    MovieGraph Graph;
};

// Playback is possible while the renderer exists, the list has entries and some entry
// could still be opened.
bool IsPlaybackPossible();

// Long work on the user-interface thread calls this between its steps: the mouse and
// keyboard input waiting in this thread's queue is handled now (as the message loop would),
// and the messages sent to it answered. True when a request to close `window` (WM_CLOSE) is
// then waiting: the work is to stop and let the message loop take it.
bool HandleWaitingInput(HWND window);

// The window that plays movies from the shared play order, one graph at a time, and keeps
// its resume entry ("Wnd%d_CurrentFileName", "Wnd%d_Pos") in the settings file.
class CWndDraw : public CWnd {
public:
    CWndDraw(int autoDelete, int windowIndex);
    // The same with another implementation of the graph calls.
    CWndDraw(int autoDelete, int windowIndex, std::unique_ptr<IPlayerGraph> graph);
    ~CWndDraw() override;

    // Runs once, at the first non-empty size: resumes the stored movie or takes the next
    // slot of the order, and leaves it paused. Input is handled between the entries it tries.
    void StartPlayback();
    // Opens entry `index` of the list in this window; marks it Opened or Failed.
    bool OpenMovie(uint32_t index);
    // Takes slots of the order until an entry opens; false (and nothing playable for any
    // window) when the whole list failed.
    bool PlayNextMovie();
    // Writes the resume entry: the current file and the graph's current position.
    void SaveResumeState();
    // Writes the resume entry and closes the graph, once; the position is read, and the graph
    // stopped and let go, on the graph's own thread, each within a bounded wait. The saver
    // calls it while its windows still exist: a device let go after its window is gone can
    // fault inside Wine's GL driver. PostNcDestroy calls it for a window closed otherwise.
    void CloseGraph();

    int m_autoDelete;
    int m_windowIndex;
    std::wstring m_currentFile;
    int64_t m_resumePosition = 0;
    bool m_started = false;
    bool m_graphClosed = false;
    std::unique_ptr<IPlayerGraph> m_graph;

protected:
    void PostNcDestroy() override;

    LRESULT OnGraphEvent(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    int OnCreate(LPCREATESTRUCTW create);
    void OnSize(UINT type, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    std::wstring ResumeKey(const wchar_t* suffix) const;
    void AdvanceToNextMovie();
    // PlayNextMovie; with `handleInput`, input is handled after each failed attempt and the
    // search given up (false, nothing more changed) once a request to close waits.
    bool TakeNextMovie(bool handleInput);
};
