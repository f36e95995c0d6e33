// Movie after movie in one window, through a tile's worker: what our graph leaves behind per
// movie is measured against the platform's own player (a VMR9 in windowless mode, no code of
// ours) doing the same. The platform may keep something per graph itself (Wine 10 keeps
// registry keys and some memory), so only what ours keeps beyond that is a fault.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include "HardeningSupport.h"
#include "AppMessages.h"
#include "MovieGraphPlayer.h"
#include "PlatformPlayer.h"
#include "TestFiles.h"
#include "TileWorker.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kWarmUp = 4;
constexpr int kMovies = 10;

struct Footprint {
    hardening::HandleCounts handles;
    double megabytes = 0;
};

Footprint Now() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {hardening::CountHandles(GetCurrentProcessId()), counters.PagefileUsage / 1048576.0};
}

// One movie through our graph, the way a tile plays it: opened and run by the tile's one
// worker, which closes the movie before on the same thread.
TileWorker* g_worker = nullptr;
uint32_t g_ticket = 0;

bool PlayOurs(const std::wstring& clip, HWND window) {
    if (g_worker == nullptr) {
        g_worker = new TileWorker(std::make_unique<MovieGraphPlayer>(), 0);
        g_worker->Start(window);
    }
    TileWorker::OpenRequest request;
    request.ticket = ++g_ticket;
    request.path = clip;
    request.run = true;
    g_worker->Open(request);
    MSG answer = {};
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(5))
        if (PeekMessageW(&answer, window, WM_APP_TILEWORK, WM_APP_TILEWORK, PM_REMOVE) &&
            answer.lParam == static_cast<LPARAM>(g_ticket))
            break;
    if (answer.wParam != static_cast<WPARAM>(TileWork::Opened))
        return false;
    testing_support::PumpMessagesFor(300);
    return true;
}

// The same with the platform's own presenter.
bool PlayPlatform(const std::wstring& clip, HWND window) {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    const bool built =
        OpenPlatformGraph(clip.c_str(), window, &graph, &control) && SUCCEEDED(control->Run());
    if (!built)
        return false;
    testing_support::PumpMessagesFor(300);
    return SUCCEEDED(control->Stop());
}

Footprint Change(const Footprint& before, const Footprint& after) {
    Footprint change;
    change.handles.total = after.handles.total - before.handles.total;
    change.handles.registryKeys = after.handles.registryKeys - before.handles.registryKeys;
    change.megabytes = after.megabytes - before.megabytes;
    return change;
}

template <class Play> bool PlayMany(Play play, const std::wstring& clip, HWND window, int count) {
    for (int i = 0; i < count; ++i)
        if (!play(clip, window))
            return false;
    return true;
}

// Both players warm up first (the process's own early growth: heaps, caches, the platform's
// lazily freed device memory), then each plays its run of movies.
bool Growth(HWND window, Footprint* ours, Footprint* platform) {
    const std::wstring clip = hardening::HardClip(L"soak-red.avi");
    if (!PlayMany(PlayOurs, clip, window, kWarmUp) ||
        !PlayMany(PlayPlatform, clip, window, kWarmUp) ||
        !PlayMany(PlayOurs, clip, window, kWarmUp))
        return false;
    Footprint before = Now();
    if (!PlayMany(PlayOurs, clip, window, kMovies))
        return false;
    Footprint after = Now();
    *ours = Change(before, after);
    if (!PlayMany(PlayPlatform, clip, window, kWarmUp))
        return false;
    before = Now();
    if (!PlayMany(PlayPlatform, clip, window, kMovies))
        return false;
    *platform = Change(before, Now());
    return true;
}

TEST(GraphCycle, OurGraphKeepsNothingThePlatformsOwnPlayerDoesNot) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        hardening::TileWindow window;
        ASSERT_NE(window.child, nullptr);
        Footprint ours, platform;
        ASSERT_TRUE(Growth(window.child, &ours, &platform));
        delete g_worker;
        g_worker = nullptr;
        RecordProperty("ours_handles", static_cast<int>(ours.handles.total));
        RecordProperty("platform_handles", static_cast<int>(platform.handles.total));
        std::printf("over %d movies: ours +%ld handles (+%ld registry keys), %+.1f MB; "
                    "platform +%ld handles (+%ld registry keys), %+.1f MB\n",
                    kMovies, static_cast<long>(ours.handles.total),
                    static_cast<long>(ours.handles.registryKeys), ours.megabytes,
                    static_cast<long>(platform.handles.total),
                    static_cast<long>(platform.handles.registryKeys), platform.megabytes);
        // A few of the platform's worker threads and events may come and go.
        EXPECT_LE(static_cast<LONG>(ours.handles.Others()),
                  static_cast<LONG>(platform.handles.Others()) + 3);
        EXPECT_LE(static_cast<LONG>(ours.handles.registryKeys),
                  static_cast<LONG>(platform.handles.registryKeys));
        // Memory is noisier: a leaked device, surface or texture per movie costs megabytes.
        EXPECT_LE(ours.megabytes, platform.megabytes + 1.0 * kMovies);
    }
    CoUninitialize();
}

} // namespace
