// The saver host in this process, on the generated clips: a tile whose window cannot be
// made does not hold up the others nor the exit; and start-up time and frame rate per tile.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AppMessages.h"
#include "KvVmrSurfaceAllocator.h"
#include "MovieGraphPlayer.h"
#include "OrsettaApp.h"
#include "SaverTestSupport.h"
#include "TestFiles.h"
#include "WndSaver.h"
#include "WndSaverBase.h"

using testing_support::TempDir;

namespace {

class SaverHostTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ini = dir.File(L"Orsetta.ini");
        free(const_cast<wchar_t*>(app.m_pszProfileName));
        app.m_pszProfileName = _wcsdup(ini.c_str());
        app.Vmr9Available = true;
        app.Shuffle = 0;
        app.Continue = 0;
        app.Mute = 1;
        for (const wchar_t* name :
             {L"saver-red.avi", L"saver-green.mp4", L"saver-blue.wmv", L"saver-yellow.avi"})
            app.MovieList.push_back(MovieEntry{saver_test::Clip(name), EntryState::NotTried});
        app.BuildPlayOrder();
    }

    // Creates the host over the screen; the object deletes itself with its window.
    HWND StartHost(CWndSaverBase** host) {
        *host = new CWndSaverBase;
        const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (!(*host)->Create(screen)) {
            delete *host;
            return nullptr;
        }
        return (*host)->m_hWnd;
    }

    static MovieGraph* GraphOf(CWndSaver* player) {
        auto* real = dynamic_cast<MovieGraphPlayer*>(&player->m_worker.Graph());
        return real != nullptr ? &real->Graph : nullptr;
    }

    // The Direct3D object behind a tile's device (the host has its tiles share one), or none.
    static Microsoft::WRL::ComPtr<IDirect3D9> Direct3DOf(CWndSaver* player,
                                                         IDirect3DDevice9** device) {
        Microsoft::WRL::ComPtr<IDirect3DSurface9> surface;
        Microsoft::WRL::ComPtr<IDirect3D9> d3d;
        MovieGraph* graph = GraphOf(player);
        if (graph && graph->Allocator &&
            SUCCEEDED(graph->Allocator->GetSurface(0, 0, 0, surface.GetAddressOf())) && surface &&
            SUCCEEDED(surface->GetDevice(device)))
            (void)(*device)->GetDirect3D(d3d.GetAddressOf());
        return d3d;
    }

    static int PlayerCount(const CWndSaverBase* host) {
        int n = 0;
        while (n < CWndSaverBase::kMaxPlayers && host->m_players[n] != nullptr)
            ++n;
        return n;
    }

    // Every listed tile's graph is running and has presented a frame.
    static bool AllRunning(const CWndSaverBase* host, int expected) {
        if (PlayerCount(host) != expected)
            return false;
        for (int i = 0; i < expected; ++i) {
            MovieGraph* g = GraphOf(host->m_players[i]);
            if (g == nullptr || !g->Control || !g->Allocator)
                return false;
            OAFilterState state = State_Stopped;
            if (g->Control->GetState(0, &state) != S_OK || state != State_Running)
                return false;
            if (g->Allocator->PresentedFrames() < 2)
                return false;
        }
        return true;
    }

    // The host reads input while it makes the tiles, so the pointer's own position may have
    // been recorded already; the cases on mouse positions start from none.
    static void ForgetMousePositions(CWndSaverBase* host) {
        host->m_firstMousePos = FirstMousePosition();
        for (int i = 0; i < PlayerCount(host); ++i)
            host->m_players[i]->m_firstMousePos = FirstMousePosition();
    }

    static void CloseByKey(HWND host) {
        PostMessageW(host, WM_KEYDOWN, VK_SPACE, 0);
        const DWORD start = GetTickCount();
        while (IsWindow(host) && GetTickCount() - start < 5000)
            saver_test::PumpFor(10);
    }

    TempDir dir;
    std::wstring ini;
    COrsettaApp app;
};

// Refuses the creation of the second tile window of this thread.
HHOOK g_hook = nullptr;
int g_childCreations = 0;
LRESULT CALLBACK RefuseSecondTile(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if ((create->style & WS_CHILD) != 0 && ++g_childCreations == 2)
            return 1;
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

TEST_F(SaverHostTest, TileThatCannotBeMadeDoesNotHoldUpTheOthersOrTheExit) {
    app.ScreenCountMode = 1;
    g_childCreations = 0;
    g_hook = SetWindowsHookExW(WH_CBT, &RefuseSecondTile, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    CWndSaverBase* host = nullptr;
    HWND hostWnd = StartHost(&host);
    ASSERT_NE(hostWnd, nullptr);
    const DWORD start = GetTickCount();
    while (!AllRunning(host, 3) && GetTickCount() - start < 15000)
        saver_test::PumpFor(20);
    UnhookWindowsHookEx(g_hook);
    ASSERT_TRUE(AllRunning(host, 3));
    EXPECT_EQ(host->m_players[0]->m_windowIndex, 0);
    EXPECT_EQ(host->m_players[1]->m_windowIndex, 2);
    EXPECT_EQ(host->m_players[2]->m_windowIndex, 3);
    EXPECT_EQ(saver_test::ChildWindows(hostWnd).size(), 3u);

    const DWORD before = GetTickCount();
    CloseByKey(hostWnd);
    EXPECT_FALSE(IsWindow(hostWnd));
    EXPECT_LT(GetTickCount() - before, 1000u);
    // The tiles that existed took the first three slots and wrote their entries; the one
    // that never existed wrote nothing.
    const int tiles[] = {0, 2, 3};
    for (size_t slot = 0; slot < 3; ++slot) {
        const std::wstring n = std::to_wstring(tiles[slot]);
        EXPECT_EQ(saver_test::IniString(ini, L"Wnd" + n + L"_CurrentFileName"),
                  app.MovieList[slot].Path);
        EXPECT_GT(_wtoi64(saver_test::IniString(ini, L"Wnd" + n + L"_Pos").c_str()), 0);
    }
    EXPECT_EQ(saver_test::IniString(ini, L"Wnd1_CurrentFileName"), L"");
}

// Which messages end the saver, on the host and on a tile (with an empty list, so
// nothing plays and the rules are all there is).
TEST_F(SaverHostTest, InputAndActivationRules) {
    app.MovieList.clear();
    app.BuildPlayOrder();
    app.ScreenCountMode = 1;
    const LPARAM at1 = MAKELPARAM(5, 5), at2 = MAKELPARAM(6, 5);
    const struct Case {
        const char* name;
        bool onTile;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool closes;
    } cases[] = {
        {"key", false, WM_KEYDOWN, 'A', 0, true},
        {"alt key", false, WM_SYSKEYDOWN, VK_F4, 0, true},
        {"left button", false, WM_LBUTTONDOWN, 0, at1, true},
        {"middle button on a tile", true, WM_MBUTTONDOWN, 0, at1, true},
        {"right button on a tile", true, WM_RBUTTONDOWN, 0, at1, true},
        {"key on a tile", true, WM_KEYDOWN, 'A', 0, true},
        {"deactivated", false, WM_ACTIVATE, WA_INACTIVE, 0, true},
        {"tile deactivated", true, WM_ACTIVATE, WA_INACTIVE, 0, true},
        {"application deactivated", false, WM_ACTIVATEAPP, FALSE, 0, true},
        {"application deactivated on a tile", true, WM_ACTIVATEAPP, FALSE, 0, true},
        {"activated", false, WM_ACTIVATE, WA_ACTIVE, 0, false},
        {"screen saver command", false, WM_SYSCOMMAND, SC_SCREENSAVE, 0, false},
        {"close command", false, WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {"close command on a tile", true, WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {"first mouse position", false, WM_MOUSEMOVE, 0, at1, false},
    };
    for (const Case& c : cases) {
        CWndSaverBase* host = nullptr;
        HWND hostWnd = StartHost(&host);
        ASSERT_NE(hostWnd, nullptr);
        saver_test::PumpFor(200);
        ASSERT_EQ(PlayerCount(host), 4) << c.name;
        ForgetMousePositions(host);
        HWND target = c.onTile ? host->m_players[3]->m_hWnd : hostWnd;
        SendMessageW(target, c.message, c.wParam, c.lParam);
        saver_test::PumpFor(100);
        EXPECT_EQ(!IsWindow(hostWnd), c.closes) << c.name;
        if (IsWindow(hostWnd))
            DestroyWindow(hostWnd);
    }

    // A second, different position closes; each window keeps its own first position.
    CWndSaverBase* host = nullptr;
    HWND hostWnd = StartHost(&host);
    ASSERT_NE(hostWnd, nullptr);
    saver_test::PumpFor(200);
    ASSERT_EQ(PlayerCount(host), 4);
    ForgetMousePositions(host);
    SendMessageW(hostWnd, WM_MOUSEMOVE, 0, at1);
    SendMessageW(host->m_players[0]->m_hWnd, WM_MOUSEMOVE, 0, at2);
    SendMessageW(host->m_players[1]->m_hWnd, WM_MOUSEMOVE, 0, at1);
    SendMessageW(hostWnd, WM_MOUSEMOVE, 0, at1);
    saver_test::PumpFor(100);
    EXPECT_TRUE(IsWindow(hostWnd));
    // No cursor, and never drawn inactive.
    EXPECT_EQ(SendMessageW(hostWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hostWnd),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(SendMessageW(hostWnd, WM_NCACTIVATE, FALSE, 0), FALSE);
    SendMessageW(host->m_players[1]->m_hWnd, WM_MOUSEMOVE, 0, at2);
    saver_test::PumpFor(100);
    EXPECT_FALSE(IsWindow(hostWnd));
}

// A tile that has not cued keeps the host waiting (here its worker's answers are held back);
// real input must still end the saver (posted messages are taken before input, so the wait
// must not be a stream of posts).
TEST_F(SaverHostTest, WaitingForATileDoesNotStarveInput) {
    app.ScreenCountMode = 0;
    CWndSaverBase* host = nullptr;
    HWND hostWnd = StartHost(&host);
    ASSERT_NE(hostWnd, nullptr);
    const auto pumpHoldingAnswers = [](DWORD ms) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                Sleep(1);
            else if (msg.message != WM_APP_TILEWORK)
                DispatchMessageW(&msg);
        }
    };
    pumpHoldingAnswers(1000);
    ASSERT_TRUE(IsWindow(hostWnd));
    ASSERT_NE(host->m_players[0], nullptr);
    EXPECT_FALSE(host->m_players[0]->m_cued);
    MovieGraph* graph = GraphOf(host->m_players[0]);
    ASSERT_NE(graph, nullptr);
    OAFilterState state = State_Running;
    ASSERT_TRUE(graph->Control);
    graph->Control->GetState(0, &state);
    EXPECT_NE(state, State_Running); // still waiting

    SetForegroundWindow(hostWnd);
    ASSERT_TRUE(saver_test::PressKey(VK_SPACE));
    const DWORD before = GetTickCount();
    while (IsWindow(hostWnd) && GetTickCount() - before < 3000)
        pumpHoldingAnswers(10);
    EXPECT_FALSE(IsWindow(hostWnd)) << "the key press was never read";
}

// A measurement, printed for the record: how long until every tile runs and presents, and
// how many frames each tile presents per second (the clips have 25). And a check: every
// tile has a device of its own, all made by one Direct3D object.
TEST_F(SaverHostTest, MeasureStartAndFrameRatePerTile) {
    for (int mode : {0, 1, 2}) {
        app.ScreenCountMode = mode;
        app.BuildPlayOrder();
        const int tiles = (mode + 1) * (mode + 1);
        CWndSaverBase* host = nullptr;
        const DWORD start = GetTickCount();
        HWND hostWnd = StartHost(&host);
        ASSERT_NE(hostWnd, nullptr);
        while (!AllRunning(host, tiles) && GetTickCount() - start < 30000)
            saver_test::PumpFor(10);
        const DWORD startup = GetTickCount() - start;
        ASSERT_TRUE(AllRunning(host, tiles)) << "mode " << mode;
        std::vector<Microsoft::WRL::ComPtr<IDirect3DDevice9>> devices(static_cast<size_t>(tiles));
        Microsoft::WRL::ComPtr<IDirect3D9> first =
            Direct3DOf(host->m_players[0], devices[0].GetAddressOf());
        EXPECT_NE(nullptr, first.Get());
        for (int i = 1; i < tiles; ++i) {
            auto& device = devices[static_cast<size_t>(i)];
            EXPECT_EQ(first.Get(), Direct3DOf(host->m_players[i], device.GetAddressOf()).Get())
                << "tile " << i;
            EXPECT_NE(devices[0].Get(), device.Get()) << "tile " << i;
        }
        devices.clear();
        std::vector<LONG> before(static_cast<size_t>(tiles));
        for (int i = 0; i < tiles; ++i)
            before[static_cast<size_t>(i)] =
                GraphOf(host->m_players[i])->Allocator->PresentedFrames();
        const DWORD sampleStart = GetTickCount();
        saver_test::PumpFor(3000);
        const double seconds = (GetTickCount() - sampleStart) / 1000.0;
        std::printf("[measure] %d tile(s): all running and presenting after %lu ms; fps per tile:",
                    tiles, static_cast<unsigned long>(startup));
        for (int i = 0; i < tiles; ++i) {
            const LONG frames = GraphOf(host->m_players[i])->Allocator->PresentedFrames() -
                                before[static_cast<size_t>(i)];
            std::printf(" %.1f", frames / seconds);
            EXPECT_GT(frames, 0) << "tile " << i << " of " << tiles;
        }
        std::printf("\n");
        std::fflush(stdout);
        CloseByKey(hostWnd);
        ASSERT_FALSE(IsWindow(hostWnd));
    }
}

} // namespace
