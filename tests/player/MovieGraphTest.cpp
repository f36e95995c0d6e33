// Filter graphs on the test clips under Wine: opening, closing, and real playback through the
// allocator-presenter into a child window.
#include "MovieGraph.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "OrsettaMedia.h"
#include "PlayerTestSupport.h"

namespace {

using namespace player_test;

class MovieGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
};

int MembersSet(const MovieGraph& g) {
    return !!g.Graph + !!g.Renderer + !!g.Allocator + !!g.Control + !!g.Events + !!g.Seeking +
           !!g.Audio;
}

// Waits for the end of the movie, reading the graph's events as a player window does, and
// times the presented frames from the 10th to the 60th after the start.
bool WaitForCompletion(MovieGraph& graph, DWORD timeoutMs, double* steadyRate) {
    bool complete = false;
    LONG first = graph.Allocator->PresentedFrames();
    std::chrono::steady_clock::time_point at10, at60;
    bool seen10 = false, seen60 = false;
    WaitUntil(
        [&] {
            LONG n = graph.Allocator->PresentedFrames() - first;
            if (!seen10 && n >= 10) {
                seen10 = true;
                at10 = std::chrono::steady_clock::now();
            }
            if (!seen60 && n >= 60) {
                seen60 = true;
                at60 = std::chrono::steady_clock::now();
            }
            long code;
            LONG_PTR p1, p2;
            while (graph.Events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
                graph.Events->FreeEventParams(code, p1, p2);
                complete = complete || code == EC_COMPLETE;
            }
            return complete;
        },
        timeoutMs);
    *steadyRate = seen60 ? 50 / std::chrono::duration<double>(at60 - at10).count() : 0;
    return complete;
}

TEST_F(MovieGraphTest, AnEmptyPathClosesTheOldGraphAndMakesNothing) {
    TestWindow window(320, 240);
    MovieGraph graph;
    ASSERT_TRUE(graph.Open(ClipPath(ORSETTA_CLIP_MJPEG).c_str(), window.Child()));
    EXPECT_EQ(7, MembersSet(graph));
    OAFilterState state = State_Running;
    EXPECT_EQ(S_OK, graph.Control->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state); // built, not started

    EXPECT_FALSE(graph.Open(L"", window.Child()));
    EXPECT_EQ(0, MembersSet(graph));
    EXPECT_FALSE(graph.Open(nullptr, window.Child()));
    EXPECT_EQ(0, MembersSet(graph));
    EXPECT_EQ(0, LiveDirect3DObjects()); // the old graph's allocator is gone
    graph.Close();                       // empty: nothing to do
    EXPECT_EQ(0, MembersSet(graph));
}

TEST_F(MovieGraphTest, AFileThatCannotPlayLeavesNothingBehind) {
    TestWindow window(320, 240);
    MovieGraph graph;
    const std::wstring broken = ClipPath(ORSETTA_CLIP_NOT_A_MOVIE);
    const std::wstring missing = ClipPath("no-such-movie.avi");
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(graph.Open(broken.c_str(), window.Child()));
        EXPECT_EQ(0, MembersSet(graph));
        EXPECT_FALSE(graph.Open(missing.c_str(), window.Child()));
        EXPECT_EQ(0, MembersSet(graph));
    }
    // Each attempt made an allocator with its own Direct3D object and device.
    EXPECT_EQ(0, LiveDirect3DObjects());
    // A window that is gone fails at the device, the same way.
    EXPECT_FALSE(graph.Open(ClipPath(ORSETTA_CLIP_MJPEG).c_str(), reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(0, MembersSet(graph));
}

TEST_F(MovieGraphTest, ClosingARunningGraphStopsItFirst) {
    TestWindow window(320, 240);
    MovieGraph graph;
    ASSERT_TRUE(graph.Open(ClipPath(ORSETTA_CLIP_H264_AAC).c_str(), window.Child()));
    ComPtr<IMediaControl> control = graph.Control;
    ComPtr<CKvVmrSurfaceAllocator> allocator = graph.Allocator;
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(WaitUntil([&] { return allocator->PresentedFrames() > 3; }, 5000));
    graph.Close();
    EXPECT_EQ(0, MembersSet(graph));
    OAFilterState state = State_Running;
    EXPECT_EQ(S_OK, control->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    LONG frames = allocator->PresentedFrames();
    PumpFor(300);
    EXPECT_EQ(frames, allocator->PresentedFrames());
}

struct Playback {
    const char* Clip;
    int Width, Height;             // the window's client size
    int Left, Top, DrawnW, DrawnH; // where the picture must show
    bool Sound;
};

void PrintTo(const Playback& p, std::ostream* os) {
    *os << p.Clip << " in " << p.Width << "x" << p.Height;
}

class PlaybackTest : public MovieGraphTest, public ::testing::WithParamInterface<Playback> {};

TEST_P(PlaybackTest, PlaysEveryFrameIntoTheWindowFitted) {
    const Playback& p = GetParam();
    TestWindow window(p.Width, p.Height);
    MovieGraph graph;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(graph.Open(ClipPath(p.Clip).c_str(), window.Child()));
    double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (p.Sound) {
        EXPECT_EQ(S_OK, graph.Audio->put_Volume(-10000)); // the mute option
    }

    // Paused: the first frame shows in the window, fitted with black bands. (Wine's renderer
    // gives offscreen frames, which reach the window through a swap chain of their own, not
    // through the device's back buffer: the screen is where to look.)
    ASSERT_TRUE(SUCCEEDED(graph.Control->Pause()));
    ASSERT_TRUE(WaitUntil([&] { return graph.Allocator->PresentedFrames() >= 1; }, 5000));
    PumpFor(200);
    Picture picture;
    ASSERT_TRUE(CaptureWindow(window.Child(), &picture));
    ASSERT_EQ(p.Width, picture.Width);
    EXPECT_EQ("", CheckQuadrants(picture, p.Left, p.Top, p.DrawnW, p.DrawnH)) << "on screen";

    LONG paused = graph.Allocator->PresentedFrames();
    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SUCCEEDED(graph.Control->Run()));
    double steady = 0;
    ASSERT_TRUE(WaitForCompletion(graph, 15000, &steady));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    LONG frames = graph.Allocator->PresentedFrames() - paused;
    std::printf("%s: Open %.0f ms; %ld frames presented in %.2f s from Run to the end; "
                "%.1f per second from the 10th to the 60th (clip %d)\n",
                p.Clip, openMs, static_cast<long>(frames), seconds, steady, ORSETTA_CLIP_FPS);
    // Most of the clip's frames reach the window (the first fraction of a second is slow).
    EXPECT_GE(frames, ORSETTA_CLIP_FPS * ORSETTA_CLIP_SECONDS * 2 / 3);
    ASSERT_TRUE(CaptureWindow(window.Child(), &picture));
    EXPECT_EQ("", CheckQuadrants(picture, p.Left, p.Top, p.DrawnW, p.DrawnH)) << "last frame";
    graph.Close();
    EXPECT_EQ(0, LiveDirect3DObjects());
}

INSTANTIATE_TEST_SUITE_P(
    Clips, PlaybackTest,
    ::testing::Values(Playback{ORSETTA_CLIP_MJPEG, 320, 240, 0, 0, 320, 240, false},
                      Playback{ORSETTA_CLIP_H264_AAC, 320, 240, 0, 0, 320, 240, true},
                      Playback{ORSETTA_CLIP_WMV2_WMA2, 320, 240, 0, 0, 320, 240, true},
                      // 16:9 in 4:3: 320x180 with bands of 30 above and below.
                      Playback{ORSETTA_CLIP_WIDE_MJPEG, 320, 240, 0, 30, 320, 180, false},
                      // 4:3 in a wide window: 266x200, bands of 67 left and right.
                      Playback{ORSETTA_CLIP_MJPEG, 400, 200, 67, 0, 266, 200, false}));

} // namespace
