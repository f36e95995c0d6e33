#include "TileWorker.h"

#include <objbase.h>
#include <dshow.h>

#include <deque>
#include <new>
#include <utility>

#include "AppMessages.h"

namespace {

// The silence of IBasicAudio::put_Volume.
constexpr long kSilentVolume = -10000;
// How often a playing tile's position is read into its resume entry.
constexpr DWORD kPositionEveryMs = 250;

LONG g_givenUp = 0;

// Graphs are built and let go one at a time in the process, as when the user-interface thread
// made them all: Wine's media libraries were measured to corrupt their heap when nine tiles
// built graphs at once. Only the tiles' workers wait for it, never input; and not for ever: a
// graph stuck in its platform code keeps its turn, and once one has held it for
// kGraphWorkWaitMs nobody waits for it any more.
constexpr DWORD kGraphWorkWaitMs = 3000;
volatile LONG g_turnKept = 0;
// When the turn's holder took it (GetTickCount, never 0), 0 while nobody holds it. A wait is
// given up on the holder's time, not the waiter's: with nine tiles on a busy machine the last
// one waits longer than that for the eight before it, and giving up then let graphs be built
// at once (measured: a deadlock inside Wine's Direct3D at a movie change).
volatile LONG g_turnTakenAt = 0;
constexpr DWORD kGraphWorkSliceMs = 100;

class GraphWork {
public:
    GraphWork() : m_held(Take()) {}
    ~GraphWork() {
        if (m_held) {
            InterlockedExchange(&g_turnTakenAt, 0);
            (void)ReleaseSemaphore(Turn(), 1, nullptr); // ours, taken above
        }
    }
    GraphWork(const GraphWork&) = delete;
    GraphWork& operator=(const GraphWork&) = delete;

private:
    static bool Take() {
        for (;;) {
            if (g_turnKept != 0 || Turn() == nullptr)
                return false;
            if (WaitForSingleObject(Turn(), kGraphWorkSliceMs) == WAIT_OBJECT_0) {
                InterlockedExchange(&g_turnTakenAt, static_cast<LONG>(GetTickCount() | 1));
                return true;
            }
            const DWORD takenAt = static_cast<DWORD>(g_turnTakenAt);
            if (takenAt != 0 && GetTickCount() - takenAt >= kGraphWorkWaitMs) {
                InterlockedExchange(&g_turnKept, 1);
                return false;
            }
        }
    }
    // One turn for the process, kept to its end; without it nobody waits.
    static HANDLE Turn() {
        static const HANDLE turn = CreateSemaphoreW(nullptr, 1, 1, nullptr);
        return turn;
    }
    const bool m_held;
};

// Waits until the handle is signalled or the time since `start` reaches `wait`, answering
// the messages that other threads send to this thread's windows meanwhile; nothing posted
// is handled.
bool WaitAnswering(HANDLE handle, DWORD start, DWORD wait) {
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= wait)
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &handle, FALSE, wait - spent, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false; // time-out or failure: not known to have happened
        MSG message;
        (void)PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

// Shared by the TileWorker and its thread; goes with the last of them (never, should the
// thread never return).
struct TileWorker::State {
    explicit State(std::unique_ptr<IPlayerGraph> g, int windowIndex)
        : graph(std::move(g)), resume(windowIndex) {}
    ~State() {
        if (wake != nullptr)
            (void)CloseHandle(wake); // ours and valid
        if (finished != nullptr)
            (void)CloseHandle(finished);
    }

    std::unique_ptr<IPlayerGraph> graph;
    TileResume resume;
    HWND window = nullptr;
    HANDLE wake = nullptr;     // auto-reset: requests are queued, or the finish has begun
    HANDLE finished = nullptr; // manual-reset: the graph is let go and the thread is ending
    HANDLE thread = nullptr;
    SRWLOCK lock = SRWLOCK_INIT; // the queue and `busy`
    std::deque<std::function<void()>> queue;
    bool busy = false;
    volatile LONG finishing = 0;
    volatile LONG keepGraph = 0;     // set before `finishing`
    volatile LONG64 failedAhead = 0; // of the latest open that failed
    bool playing = false;       // the worker's own: a graph is open, its position worth reading
    uint32_t playingTicket = 0; // the open it came from
    LONG refs = 2;

    void Release() {
        if (InterlockedDecrement(&refs) == 0)
            delete this;
    }
    bool givenUp = false; // the user-interface thread's own
    bool Finishing() { return InterlockedCompareExchange(&finishing, 0, 0) != 0; }

    void Post(TileWork what, uint32_t ticket) const {
        // A window already gone has nothing more to be told.
        (void)PostMessageW(window, WM_APP_TILEWORK, static_cast<WPARAM>(what),
                           static_cast<LPARAM>(ticket));
    }

    void ReadPosition() {
        LONGLONG position = 0;
        if (playing && graph->HasSeeking() && SUCCEEDED(graph->GetCurrentPosition(&position)))
            resume.SetPosition(position, playingTicket);
    }

    void Open(const OpenRequest& request) {
        playing = false;
        bool opened;
        {
            GraphWork one;
            opened = graph->Open(request.path.c_str(), window);
        }
        if (!opened) {
            uint64_t failed = 0;
            for (size_t i = 0; i < request.lookahead.size() && i < kMaxLookahead; ++i) {
                if (!graph->FileLooksPlayable(request.lookahead[i].c_str()))
                    failed |= uint64_t{1} << i;
            }
            InterlockedExchange64(&failedAhead, static_cast<LONG64>(failed));
            Post(TileWork::Failed, request.ticket);
            return;
        }
        // Results ignored: a file without sound or seeking plays all the same.
        if (request.mute)
            (void)graph->SetVolume(kSilentVolume);
        if (request.seek)
            (void)graph->SeekTo(request.position);
        if (request.run)
            (void)graph->Run();
        else
            (void)graph->Pause();
        playing = true;
        playingTicket = request.ticket;
        Post(TileWork::Opened, request.ticket);
    }

    void FetchEvents(uint32_t ticket) {
        long code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        bool complete = false;
        while (graph->HasEvents() && SUCCEEDED(graph->GetEvent(&code, &param1, &param2))) {
            (void)graph->FreeEventParams(code, param1, param2); // nothing to do about a failure
            complete = complete || code == EC_COMPLETE;
        }
        if (complete)
            Post(TileWork::Ended, ticket);
    }

    void Finish() {
        ReadPosition();
        playing = false;
        if (InterlockedCompareExchange(&keepGraph, 0, 0) != 0) {
            (void)SetEvent(finished);
            // Letting go of a graph runs the media platform's code once more (measured under
            // Wine: graphs of odd media let go at the end corrupted the heap about one close
            // in eight). The process ends without it.
            for (;;)
                Sleep(INFINITE);
        }
        GraphWork one;
        graph->Close();
        (void)SetEvent(finished); // cannot fail on a valid event
    }

    // Runs the queued jobs until the finish begins. Between them the thread answers its
    // messages: the platform's filters may make windows on it (a renderer of their own for a
    // stream ours does not take), and a message sent to such a window must not wait for ever.
    void Serve() {
        for (;;) {
            const DWORD woken = MsgWaitForMultipleObjects(
                1, &wake, FALSE, playing ? kPositionEveryMs : INFINITE, QS_ALLINPUT);
            if (woken == WAIT_FAILED)
                break;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                (void)DispatchMessageW(&message); // the result is the window's
            for (;;) {
                if (Finishing())
                    return;
                std::function<void()> job;
                AcquireSRWLockExclusive(&lock);
                if (!queue.empty()) {
                    job = std::move(queue.front());
                    queue.pop_front();
                    busy = true;
                }
                ReleaseSRWLockExclusive(&lock);
                if (!job)
                    break;
                job();
                AcquireSRWLockExclusive(&lock);
                busy = false;
                ReleaseSRWLockExclusive(&lock);
            }
            ReadPosition();
        }
    }

    static DWORD WINAPI Thread(void* parameter) {
        auto* state = static_cast<State*>(parameter);
        // A single-threaded apartment of its own, as the user-interface thread's: the
        // platform's filters may make windows on this thread (a renderer of their own for a
        // stream ours does not take), and its waits then answer their messages. In the
        // multithreaded apartment such a graph was measured never to return from RenderFile
        // under Wine, and to hold every other tile's graph with it.
        const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        state->Serve();
        state->Finish();
        if (com)
            CoUninitialize();
        state->Release();
        return 0;
    }
};

TileWorker::TileWorker(std::unique_ptr<IPlayerGraph> graph, int windowIndex)
    : m_state(new State(std::move(graph), windowIndex)) {
    m_state->finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TileWorker::~TileWorker() {
    BeginFinish();
    (void)WaitFinished(GetTickCount(), kTileFinishWaitMs); // given up: see below
    if (m_state->thread != nullptr) {
        (void)CloseHandle(m_state->thread); // ours and valid; the thread runs on without it
        m_state->Release();
    } else {
        delete m_state; // the thread's share was never handed out
    }
}

void TileWorker::Start(HWND window) {
    if (m_state->thread != nullptr || m_state->wake != nullptr)
        return;
    m_state->window = window;
    m_state->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_state->wake == nullptr || m_state->finished == nullptr)
        return;
    m_state->thread = CreateThread(nullptr, 0, &State::Thread, m_state, 0, nullptr);
}

void TileWorker::Submit(std::function<void()> job) {
    if (m_state->Finishing())
        return;
    if (m_state->thread == nullptr) {
        job(); // no thread to spare: here and now, as the only way left
        return;
    }
    AcquireSRWLockExclusive(&m_state->lock);
    try {
        m_state->queue.push_back(std::move(job));
    } catch (const std::bad_alloc&) {
        // Dropped: the tile waits for an answer that does not come, as with a stuck graph.
    }
    ReleaseSRWLockExclusive(&m_state->lock);
    (void)SetEvent(m_state->wake); // cannot fail on a valid event
}

void TileWorker::Open(OpenRequest request) {
    State* state = m_state;
    Submit([state, request = std::move(request)] { state->Open(request); });
}

void TileWorker::Run() {
    State* state = m_state;
    Submit([state] {
        if (state->graph->HasControl())
            (void)state->graph->Run(); // a graph that does not run shows its first frame only
    });
}

void TileWorker::FetchEvents(uint32_t ticket) {
    State* state = m_state;
    Submit([state, ticket] { state->FetchEvents(ticket); });
}

void TileWorker::Call(std::function<void(IPlayerGraph&)> work) {
    State* state = m_state;
    Submit([state, work = std::move(work)] { work(*state->graph); });
}

void TileWorker::BeginFinish(bool letGraphGo) {
    if (InterlockedCompareExchange(&m_state->finishing, 0, 0) != 0)
        return;
    if (!letGraphGo && m_state->thread != nullptr)
        InterlockedExchange(&m_state->keepGraph, 1);
    if (InterlockedExchange(&m_state->finishing, 1) != 0)
        return;
    if (m_state->thread == nullptr) {
        m_state->Finish();
        return;
    }
    AcquireSRWLockExclusive(&m_state->lock);
    m_state->queue.clear();
    ReleaseSRWLockExclusive(&m_state->lock);
    (void)SetEvent(m_state->wake);
}

bool TileWorker::WaitFinished(DWORD start, DWORD wait) {
    if (m_state->thread == nullptr)
        return true; // finished on this thread
    if (m_state->givenUp)
        return WaitForSingleObject(m_state->finished, 0) == WAIT_OBJECT_0;
    if (WaitAnswering(m_state->finished, start, wait))
        return true;
    m_state->givenUp = true;
    InterlockedIncrement(&g_givenUp);
    return false;
}

uint64_t TileWorker::FailedAhead() const {
    return static_cast<uint64_t>(InterlockedCompareExchange64(&m_state->failedAhead, 0, 0));
}

bool TileWorker::Busy() const {
    AcquireSRWLockExclusive(&m_state->lock);
    const bool busy = m_state->busy || !m_state->queue.empty();
    ReleaseSRWLockExclusive(&m_state->lock);
    return busy;
}

TileResume& TileWorker::Resume() {
    return m_state->resume;
}

IPlayerGraph& TileWorker::Graph() {
    return *m_state->graph;
}

bool TileWorker::AnyGivenUp() {
    return InterlockedCompareExchange(&g_givenUp, 0, 0) != 0;
}
