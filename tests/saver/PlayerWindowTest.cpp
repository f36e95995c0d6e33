// The player window's stepping, resume and event logic, on a double of the graph calls that
// its worker makes; and, with a real clip with sound, that Mute silences the graph.
#include <gtest/gtest.h>

#include <dshow.h>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "AppMessages.h"
#include "MovieGraph.h"
#include "MovieGraphPlayer.h"
#include "OrsettaApp.h"
#include "SaverTestSupport.h"
#include "TestFiles.h"
#include "WndDraw.h"

using testing_support::TempDir;

namespace {

// What every double of a test shares: the files that fail to open.
struct Library {
    std::set<std::wstring> failing;
};

class FakeGraph final : public IPlayerGraph {
public:
    explicit FakeGraph(const Library& library) : m_library(library) {}

    bool Open(const wchar_t* path, HWND) override {
        Close();
        opened.push_back(path);
        if (m_library.failing.count(path) != 0)
            return false;
        isOpen = true;
        return true;
    }
    void Close() override { isOpen = false; }
    bool HasControl() const override { return isOpen; }
    HRESULT Pause() override {
        ++pauses;
        return S_OK;
    }
    HRESULT Run() override {
        ++runs;
        return S_OK;
    }
    bool HasEvents() const override { return isOpen; }
    HRESULT GetEvent(long* code, LONG_PTR* p1, LONG_PTR* p2) override {
        if (events.empty())
            return E_ABORT; // the time-out of an empty queue
        *code = events.front();
        *p1 = 0;
        *p2 = 0;
        events.pop_front();
        return S_OK;
    }
    HRESULT FreeEventParams(long, LONG_PTR, LONG_PTR) override {
        ++freed;
        return S_OK;
    }
    bool HasSeeking() const override { return isOpen; }
    HRESULT SeekTo(LONGLONG position) override {
        seeks.push_back(position);
        return S_OK;
    }
    HRESULT GetCurrentPosition(LONGLONG* position) override {
        *position = currentPosition;
        return S_OK;
    }
    HRESULT SetVolume(long volume) override {
        volumes.push_back(volume);
        return S_OK;
    }

    std::vector<std::wstring> opened;
    std::vector<LONGLONG> seeks;
    std::vector<long> volumes;
    std::deque<long> events;
    bool isOpen = false;
    int pauses = 0, runs = 0, freed = 0;
    LONGLONG currentPosition = 0;

private:
    const Library& m_library;
};

const wchar_t* const kA = L"C:\\movies\\a.avi";
const wchar_t* const kB = L"C:\\movies\\b.avi";
const wchar_t* const kC = L"C:\\movies\\c.avi";

// A window of the player on a double, which deletes itself when destroyed.
CWndDraw* MakePlayerWindow(int index, std::unique_ptr<FakeGraph> graph) {
    auto* p = new CWndDraw(1, index, std::move(graph));
    const wchar_t* cls = AfxRegisterWndClass(0);
    // Zero size: the test decides when playback starts.
    if (!p->CreateEx(0, cls, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr)) {
        delete p;
        return nullptr;
    }
    return p;
}

// Destroys a player window made by MakePlayerWindow (which deletes the object).
struct WindowCloser {
    void operator()(CWndDraw* p) const {
        if (p != nullptr)
            DestroyWindow(p->m_hWnd);
    }
};
using PlayerPtr = std::unique_ptr<CWndDraw, WindowCloser>;

// Lets the window's worker and its answers run until neither has anything left to do.
void Settle(CWndDraw* p) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
        const bool busy = p->m_worker.Busy(); // an answer is posted before the worker idles
        bool handled = false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            handled = true;
            DispatchMessageW(&msg);
        }
        if (!busy && !handled)
            return;
        Sleep(1);
    }
}

// An application object with its INI in a fresh folder and a list in list order.
class PlayerTest : public testing::Test {
protected:
    void SetUp() override {
        ini = dir.File(L"Orsetta.ini");
        free(const_cast<wchar_t*>(app.m_pszProfileName));
        app.m_pszProfileName = _wcsdup(ini.c_str());
        app.Vmr9Available = true;
        app.Shuffle = 0;
        app.Continue = 1;
        app.Mute = 1;
        SetList({kA, kB, kC});
    }
    void SetList(const std::vector<const wchar_t*>& paths) {
        app.MovieList.clear();
        for (const wchar_t* p : paths)
            app.MovieList.push_back(MovieEntry{p, EntryState::NotTried});
        app.BuildPlayOrder();
    }
    void Store(int window, const wchar_t* file, const wchar_t* position) {
        const std::wstring prefix = L"Wnd" + std::to_wstring(window) + L"_";
        WritePrivateProfileStringW(L"Ver1", (prefix + L"CurrentFileName").c_str(), file,
                                   ini.c_str());
        WritePrivateProfileStringW(L"Ver1", (prefix + L"Pos").c_str(), position, ini.c_str());
    }
    // A player window on a double, which goes with the window; the test keeps a view of
    // the double.
    PlayerPtr Player(int index, FakeGraph** fake) {
        auto graph = std::make_unique<FakeGraph>(library);
        *fake = graph.get();
        return PlayerPtr(MakePlayerWindow(index, std::move(graph)));
    }

    TempDir dir;
    std::wstring ini;
    COrsettaApp app;
    Library library;
};

TEST_F(PlayerTest, ResumesStoredFileAtStoredPositionAndContinuesAfterItsSlot) {
    Store(0, kB, L"12345678901"); // beyond 32 bits
    FakeGraph* g = nullptr;
    auto p = Player(0, &g);
    p->StartPlayback();
    Settle(p.get());
    ASSERT_EQ(g->opened, std::vector<std::wstring>{kB});
    ASSERT_EQ(g->seeks, std::vector<LONGLONG>{12345678901LL});
    EXPECT_EQ(g->pauses, 1);
    EXPECT_EQ(p->m_currentFile, kB);
    EXPECT_EQ(app.PlayPosition, 2u);
    EXPECT_EQ(app.MovieList[1].State, EntryState::Opened);
    // A second call does nothing: the window starts once.
    p->StartPlayback();
    Settle(p.get());
    EXPECT_EQ(g->opened.size(), 1u);
}

TEST_F(PlayerTest, StoredPositionTexts) {
    const struct {
        const wchar_t* stored;
        LONGLONG expected;
    } cases[] = {{L"-1", -1}, {L"abc", 0}, {L"", 0}, {L"  777xyz", 777}};
    for (const auto& c : cases) {
        SetList({kA, kB, kC});
        Store(0, kA, c.stored);
        FakeGraph* g = nullptr;
        auto p = Player(0, &g);
        p->StartPlayback();
        Settle(p.get());
        ASSERT_EQ(g->seeks.size(), 1u) << c.stored;
        EXPECT_EQ(g->seeks[0], c.expected) << c.stored;
    }
}

TEST_F(PlayerTest, StoredFileNotFoundOrFailingPlaysTheNextSlotWithoutSeeking) {
    // Not in the list, and differing only in case: the slot at PlayPosition plays.
    for (const wchar_t* stored : {L"C:\\movies\\gone.avi", L"C:\\MOVIES\\B.AVI"}) {
        SetList({kA, kB, kC});
        Store(0, stored, L"500");
        FakeGraph* g = nullptr;
        auto p = Player(0, &g);
        p->StartPlayback();
        Settle(p.get());
        EXPECT_EQ(g->opened, std::vector<std::wstring>{kA}) << stored;
        EXPECT_TRUE(g->seeks.empty()) << stored;
        EXPECT_EQ(g->pauses, 1);
        EXPECT_EQ(p->m_currentFile, kA);
    }
    // Found but failing: the slot after it plays, unseeked.
    SetList({kA, kB, kC});
    library.failing = {kB};
    Store(0, kB, L"500");
    FakeGraph* g = nullptr;
    auto p = Player(0, &g);
    p->StartPlayback();
    Settle(p.get());
    EXPECT_EQ(g->opened, (std::vector<std::wstring>{kB, kC}));
    EXPECT_TRUE(g->seeks.empty());
    EXPECT_EQ(app.MovieList[1].State, EntryState::Failed);
    EXPECT_EQ(p->m_currentFile, kC);
}

TEST_F(PlayerTest, ContinueOffIgnoresTheStoredEntry) {
    app.Continue = 0;
    Store(0, kC, L"500");
    FakeGraph* g = nullptr;
    auto p = Player(0, &g);
    p->StartPlayback();
    Settle(p.get());
    EXPECT_EQ(g->opened, std::vector<std::wstring>{kA});
    EXPECT_TRUE(g->seeks.empty());
}

TEST_F(PlayerTest, SearchWrapsWithItsCounterAndFailedEntriesAreSkippedByEveryWindow) {
    library.failing = {kA, kC};
    app.PlayPosition = 2;
    FakeGraph* g0 = nullptr;
    auto p0 = Player(0, &g0);
    // c fails, the order wraps (list order: Shuffle is off), a fails, b opens.
    ASSERT_TRUE(p0->PlayNextMovie());
    Settle(p0.get());
    EXPECT_EQ(g0->opened, (std::vector<std::wstring>{kC, kA, kB}));
    EXPECT_EQ(app.PlayPosition, 2u);

    // Another window never tries the failed files again.
    FakeGraph* g1 = nullptr;
    auto p1 = Player(1, &g1);
    ASSERT_TRUE(p1->PlayNextMovie());
    Settle(p1.get());
    ASSERT_TRUE(p1->PlayNextMovie());
    Settle(p1.get());
    EXPECT_EQ(g1->opened, (std::vector<std::wstring>{kB, kB}));
    EXPECT_FALSE(app.NoPlayableMovies);
}

TEST_F(PlayerTest, WholeListFailingSetsNoPlayableMoviesForEveryWindow) {
    library.failing = {kA, kB, kC};
    FakeGraph* g0 = nullptr;
    auto p0 = Player(0, &g0);
    p0->m_currentFile = L"stale";
    p0->PlayNextMovie();
    Settle(p0.get());
    EXPECT_EQ(g0->opened, (std::vector<std::wstring>{kA, kB, kC}));
    EXPECT_TRUE(app.NoPlayableMovies);
    EXPECT_TRUE(p0->m_currentFile.empty());

    FakeGraph* g1 = nullptr;
    auto p1 = Player(1, &g1);
    p1->StartPlayback();
    Settle(p1.get());
    EXPECT_TRUE(g1->opened.empty());
    EXPECT_EQ(g1->pauses, 0);
}

TEST_F(PlayerTest, NothingPlaysWithoutRendererOrList) {
    for (int variant = 0; variant < 2; ++variant) {
        SetList(variant == 0 ? std::vector<const wchar_t*>{kA} : std::vector<const wchar_t*>{});
        app.Vmr9Available = variant != 0;
        FakeGraph* g = nullptr;
        auto p = Player(0, &g);
        EXPECT_FALSE(p->PlayNextMovie());
        p->StartPlayback();
        Settle(p.get());
        EXPECT_TRUE(g->opened.empty());
        EXPECT_FALSE(app.NoPlayableMovies); // not a failure of the files
    }
}

TEST_F(PlayerTest, MuteSilencesEachOpenedGraphAndOffLeavesTheVolume) {
    FakeGraph* g = nullptr;
    auto p = Player(0, &g);
    ASSERT_TRUE(p->OpenMovie(0));
    Settle(p.get());
    EXPECT_EQ(g->volumes, std::vector<long>{-10000});
    app.Mute = 0;
    ASSERT_TRUE(p->OpenMovie(1));
    Settle(p.get());
    EXPECT_EQ(g->volumes.size(), 1u);
}

// A player window already playing the first movie of the list; its double goes with it.
CWndDraw* PlayingWindow(const Library& library, FakeGraph** graph) {
    auto owned = std::make_unique<FakeGraph>(library);
    *graph = owned.get();
    CWndDraw* p = MakePlayerWindow(0, std::move(owned));
    if (p != nullptr && !p->PlayNextMovie()) {
        DestroyWindow(p->m_hWnd);
        return nullptr;
    }
    Settle(p);
    return p;
}

TEST_F(PlayerTest, EndOfStreamStepsToTheNextMovieAndRunsItOtherEventsDoNot) {
    FakeGraph* g = nullptr;
    CWndDraw* p = PlayingWindow(library, &g);
    ASSERT_NE(p, nullptr);

    g->events = {EC_PAUSED, EC_ERRORABORT};
    SendMessageW(p->m_hWnd, WM_APP_GRAPHEVENT, 0, 0);
    Settle(p);
    EXPECT_EQ(g->opened, std::vector<std::wstring>{kA});
    EXPECT_EQ(g->runs, 0);
    EXPECT_EQ(g->freed, 2);

    g->events = {EC_COMPLETE};
    SendMessageW(p->m_hWnd, WM_APP_GRAPHEVENT, 0, 0);
    Settle(p);
    EXPECT_EQ(g->opened, (std::vector<std::wstring>{kA, kB}));
    EXPECT_EQ(g->runs, 1);   // at once, in this window only
    EXPECT_EQ(g->pauses, 1); // the first movie's cue only
    EXPECT_EQ(p->m_currentFile, kB);

    // When nothing opens any more the window keeps no graph and the loop ends.
    library.failing = {kA, kB, kC};
    g->events = {EC_COMPLETE, EC_COMPLETE};
    SendMessageW(p->m_hWnd, WM_APP_GRAPHEVENT, 0, 0);
    Settle(p);
    EXPECT_FALSE(g->isOpen);
    EXPECT_TRUE(app.NoPlayableMovies);
    EXPECT_EQ(g->runs, 1);
    DestroyWindow(p->m_hWnd);
}

TEST_F(PlayerTest, AWindowClosedBeforeTheNextMovieOpensOpensNothing) {
    FakeGraph* g = nullptr;
    CWndDraw* p = PlayingWindow(library, &g);
    ASSERT_NE(p, nullptr);
    g->events = {EC_COMPLETE};
    SendMessageW(p->m_hWnd, WM_APP_GRAPHEVENT, 0, 0);
    const uint32_t position = app.PlayPosition;
    DestroyWindow(p->m_hWnd); // the input that ends the saver came first; p and g are gone
    saver_test::PumpFor(100);
    EXPECT_EQ(app.PlayPosition, position); // no further entry was tried
}

TEST_F(PlayerTest, DestroyedWindowWritesItsResumeEntry) {
    Store(0, L"old.avi", L"99");
    Store(1, L"old.avi", L"99");
    auto graph = std::make_unique<FakeGraph>(library);
    FakeGraph* g = graph.get();
    CWndDraw* p0 = MakePlayerWindow(0, std::move(graph));
    ASSERT_NE(p0, nullptr);
    ASSERT_TRUE(p0->PlayNextMovie());
    Settle(p0);
    g->currentPosition = 98765432101LL;
    DestroyWindow(p0->m_hWnd); // deletes the object
    EXPECT_EQ(saver_test::IniString(ini, L"Wnd0_CurrentFileName"), kA);
    EXPECT_EQ(saver_test::IniString(ini, L"Wnd0_Pos"), L"98765432101");

    // A window that opened nothing replaces its old entry with an empty file and "0".
    app.Vmr9Available = false;
    CWndDraw* p1 = MakePlayerWindow(1, std::make_unique<FakeGraph>(library));
    ASSERT_NE(p1, nullptr);
    p1->StartPlayback();
    Settle(p1);
    DestroyWindow(p1->m_hWnd);
    EXPECT_EQ(saver_test::IniString(ini, L"Wnd1_CurrentFileName"), L"");
    EXPECT_EQ(saver_test::IniString(ini, L"Wnd1_Pos"), L"0");
}

TEST_F(PlayerTest, WindowHidesAtPaintWhenNothingCanPlay) {
    CWndDraw* p = MakePlayerWindow(0, std::make_unique<FakeGraph>(library));
    ASSERT_NE(p, nullptr);
    SetWindowPos(p->m_hWnd, nullptr, 0, 0, 64, 64, SWP_NOZORDER | SWP_SHOWWINDOW);
    UpdateWindow(p->m_hWnd);
    EXPECT_TRUE(IsWindowVisible(p->m_hWnd));
    app.NoPlayableMovies = true;
    InvalidateRect(p->m_hWnd, nullptr, FALSE);
    UpdateWindow(p->m_hWnd);
    EXPECT_FALSE(IsWindowVisible(p->m_hWnd));
    DestroyWindow(p->m_hWnd);
}

// With the real graph, a clip with sound and the null sound device.
TEST_F(PlayerTest, MuteReachesTheRealGraphsVolume) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring clip = saver_test::Clip(L"saver-green.mp4"); // H.264 with AAC
    for (int mute : {1, 0}) {
        app.Mute = mute;
        app.Continue = 0;
        SetList({clip.c_str()});
        auto* p = new CWndDraw(1, 0);
        const wchar_t* cls = AfxRegisterWndClass(0);
        ASSERT_TRUE(
            p->CreateEx(0, cls, L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr));
        ASSERT_TRUE(p->m_started);
        Settle(p);
        ASSERT_TRUE(p->HasGraph());
        long volume = 1;
        HRESULT read = E_FAIL;
        p->m_worker.Call([&](IPlayerGraph& graph) {
            auto* real = dynamic_cast<MovieGraphPlayer*>(&graph);
            if (real != nullptr && real->Graph.Audio)
                read = real->Graph.Audio->get_Volume(&volume);
        });
        Settle(p);
        ASSERT_EQ(read, S_OK) << "mute " << mute;
        EXPECT_EQ(volume, mute ? -10000 : 0);
        DestroyWindow(p->m_hWnd);
    }
}

// A file check that waits the way a server that does not answer keeps it waiting.
LONG g_deadServerChecks = 0;
DWORD CheckWithADeadServer(const wchar_t* path) {
    if (_wcsnicmp(path, L"\\\\dead\\", 7) != 0)
        return MovieGraph::CheckFile(path);
    InterlockedIncrement(&g_deadServerChecks);
    Sleep(1500);
    return ERROR_BAD_NETPATH;
}

// A server that does not answer costs its time-out once, and on the tile's worker: the window
// is not kept meanwhile, and the server's other entries fail without a look.
TEST_F(PlayerTest, ADeadServerCostsOneTimeOutAndNeverTheWindow) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MovieGraph::SetFileCheck(&CheckWithADeadServer);
    const std::wstring clip = saver_test::Clip(L"saver-red.avi");
    SetList({L"\\\\dead\\movies\\a.avi", L"\\\\dead\\movies\\b.avi", L"\\\\DEAD\\Movies\\c.avi",
             clip.c_str()});
    app.Continue = 0;
    auto* p = new CWndDraw(1, 0);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(p->CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                            nullptr, nullptr));
    const DWORD started = GetTickCount() - start; // the start is asked for inside
    Settle(p);
    const DWORD settled = GetTickCount() - start;
    MovieGraph::SetFileCheck(nullptr);
    EXPECT_TRUE(p->m_started);
    EXPECT_LT(started, 300u);
    EXPECT_EQ(g_deadServerChecks, 1);
    EXPECT_EQ(p->m_currentFile, clip);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(app.MovieList[i].State, EntryState::Failed) << i;
    std::printf("[measure] a dead server: the start asked for in %lu ms, the clip cued after "
                "%lu ms\n",
                static_cast<unsigned long>(started), static_cast<unsigned long>(settled));
    DestroyWindow(p->m_hWnd);
}

} // namespace
