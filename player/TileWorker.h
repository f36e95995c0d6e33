#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IPlayerGraph.h"
#include "TileResume.h"

// What a tile's worker posts back to the tile's window as WM_APP_TILEWORK: the kind in
// wParam, the ticket of the request it answers in lParam.
enum class TileWork : WPARAM {
    Opened = 1, // the movie is open (and paused or running, as asked)
    Failed = 2, // it could not be opened; the tile has no graph now
    Ended = 3,  // the movie played to its end
};

// The thread of one tile on which every platform media call of that tile is made: the file
// check, the graph with its renderer and Direct3D device, Pause, Run, seeking, the position
// and the graph's release. The user-interface thread only hands it requests, which are
// carried out in order, and reads the answers from its window's queue, so input never waits
// for a splitter, a decoder or a device. The graph is made and let go on this one thread
// (under Wine a graph let go on another thread than its maker's keeps about a megabyte).
class TileWorker {
public:
    struct OpenRequest {
        uint32_t ticket = 0;
        std::wstring path;
        bool mute = false;
        bool seek = false; // to `position`, before the graph is cued
        int64_t position = 0;
        bool run = false; // run at once rather than pause
        // The next entries the tile would try (up to kMaxLookahead): when this file fails,
        // they are checked as well, so that a run of entries that are not there costs one
        // request rather than a round trip each.
        std::vector<std::wstring> lookahead;
    };
    static constexpr size_t kMaxLookahead = 64;

    TileWorker(std::unique_ptr<IPlayerGraph> graph, int windowIndex);
    // Finishes within the close's bound; a worker that does not end by then is given up.
    ~TileWorker();
    TileWorker(const TileWorker&) = delete;
    TileWorker& operator=(const TileWorker&) = delete;

    // The window that gets the answers and the graph's events; starts the thread once. Without
    // a thread the requests are carried out at once on the caller's.
    void Start(HWND window);
    void Open(OpenRequest request);
    void Run();
    // Takes the graph's waiting events off its queue; Ended is posted when one says the movie
    // played to its end. `ticket` is the open the events belong to.
    void FetchEvents(uint32_t ticket);
    // Any other work with the graph, on the worker (benchmarks and test doubles).
    void Call(std::function<void(IPlayerGraph&)> work);
    // What is still queued is dropped; the position is read into the resume entry, the graph
    // stopped and let go, and the thread ends. Unless `letGraphGo`: for a process about to
    // end, the graph is kept as it is and the thread waits for that end once the position
    // is read.
    void BeginFinish(bool letGraphGo = true);
    // Waits, answering the messages sent to this thread meanwhile, until the worker has ended
    // or `wait` ms have passed since `start`; false when it has not ended (it is then given
    // up: its thread may never return and keeps what it holds).
    bool WaitFinished(DWORD start, DWORD wait);
    // For the latest open that failed: bit i is set when lookahead entry i failed its file
    // check as well.
    uint64_t FailedAhead() const;
    // True while a request is queued or being carried out.
    bool Busy() const;

    TileResume& Resume();
    // The graph object itself, for benchmarks and tests that watch it from outside: the
    // worker replaces its members with every movie.
    IPlayerGraph& Graph();
    // True once some worker of this process has been given up.
    static bool AnyGivenUp();

private:
    struct State;
    void Submit(std::function<void()> job);
    State* m_state;
};

// How long a close waits for the tiles' workers: a graph that stops does so within a few
// frames; one whose threads are stuck in a faulty splitter or decoder may never stop, and the
// user must not be kept waiting for it.
// The whole close of the saver, windows gone to process ended, is to take less than a second.
inline constexpr DWORD kTileFinishWaitMs = 500;
