// The real saver on a display of two monitors side by side (scripts/two-monitors makes one,
// with a grey desktop): the tiles stay on the primary monitor, the other one turns black, and
// a move of the pointer over it ends the saver as a move over the tiles does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "HangGuard.h"
#include "HardeningSupport.h"
#include "SaverTestSupport.h"

using namespace hardening;

namespace {

BOOL CALLBACK AddSecondary(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) == 0)
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(info.rcMonitor);
    return TRUE;
}

int Brightest(saver_test::Rgb c) {
    return std::max({c.r, c.g, c.b});
}

TEST(MonitorCover, TheOtherMonitorIsBlackAndEndsTheSaverOnAMove) {
    std::vector<RECT> others;
    EnumDisplayMonitors(nullptr, nullptr, &AddSecondary, reinterpret_cast<LPARAM>(&others));
    // The second monitor within screenshots of the virtual screen.
    const RECT screen = saver_test::VirtualScreen();
    ASSERT_EQ(others.size(), 1u) << "needs a second monitor (run through scripts/two-monitors); "
                                 << "the virtual screen is " << screen.right - screen.left << "x"
                                 << screen.bottom - screen.top;
    RECT second = others[0];
    OffsetRect(&second, -screen.left, -screen.top);

    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({0, 1, 0, 1});
    stage.SetList({saver_test::Clip(L"saver-red.avi"), saver_test::Clip(L"saver-yellow.avi")});
    SaverRun run;
    ASSERT_TRUE(run.Start(stage));
    ASSERT_GT(Brightest(run.desktop.Mean(second)), 40) << "the desktop there is black already";
    ASSERT_NE(run.WaitForHost(), nullptr);
    ASSERT_TRUE(run.WaitPictures(4, 30000));

    saver_test::Screenshot both, other;
    ASSERT_TRUE(both.Capture(screen));
    ASSERT_TRUE(other.Capture(others[0]));
    const std::wstring artifacts = saver_test::ArtifactDir();
    both.SaveBmp(artifacts + L"\\two-monitors.bmp");
    other.SaveBmp(artifacts + L"\\two-monitors-second.bmp");
    EXPECT_LT(Brightest(both.Mean(second)), 8) << "the second monitor is not covered";
    EXPECT_LT(both.BrightShare(second, 40), 0.001) << "the desktop shows through";

    const long took = run.EndByPointer({others[0].left + 200, others[0].top + 200});
    EXPECT_GE(took, 0) << "did not end";
    // Well before the hang guard would end the process, losing the resume entries.
    EXPECT_LT(took, static_cast<long>(kHangGuardDeafMs) - 500);
    EXPECT_GE(run.desktopBackMs, 0) << "the desktop did not come back";
    std::printf("[measure] a move over the second monitor: desktop back %ld ms (windows gone "
                "%ld ms), process ended %ld ms after the move\n",
                run.desktopBackMs, run.windowsGoneMs, took);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(
            saver_test::IniString(stage.ini, L"Wnd" + std::to_wstring(i) + L"_CurrentFileName"),
            L"")
            << "tile " << i << " wrote no resume entry";
}

} // namespace
