// The long run: nine tiles cycling 2-second clips, one corrupt clip among them, for the
// given minutes; then two mouse positions end it. Passes when the process lives to the end,
// ends within 1 s of the deciding move, its handles and private bytes at the end are within
// 10% of their values after the first minute, and every tile wrote its resume entry.
//
// soak_driver MINUTES   (exit code 0: passed)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "HardeningSupport.h"
#include "SaverTestSupport.h"

using namespace hardening;

namespace {

bool Within10Percent(double end, double reference) {
    return reference > 0 && end <= reference * 1.1 && end >= reference * 0.9;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const double minutes = argc > 1 ? _wtof(argv[1]) : 2.0;
    if (minutes < 1.0) {
        std::printf("soak: at least one minute, please\n");
        return 2;
    }
    Stage stage;
    if (!stage.copied) {
        std::printf("soak: cannot stage the program\n");
        return 1;
    }
    stage.SetOptions({1, 1, 1, 2});
    // The corrupt clip: a real one overwritten with garbage.
    const std::wstring corrupt = stage.dir.File(L"corrupt.avi");
    std::string clip = testing_support::ReadBytes(HardClip(L"soak-red.avi"));
    unsigned seed = 4711;
    for (size_t i = 0; i < clip.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        clip[i] = static_cast<char>(seed >> 16);
    }
    testing_support::WriteBytes(corrupt, clip);
    stage.SetList({HardClip(L"soak-red.avi"), HardClip(L"soak-green.mp4"), corrupt,
                   HardClip(L"soak-blue.wmv")});
    SaverRun run;
    if (!run.Start(stage) || run.WaitForHost() == nullptr) {
        std::printf("soak: the saver did not start\n");
        return 1;
    }
    const DWORD total = static_cast<DWORD>(minutes * 60000.0);
    DWORD handlesAfterMinute = 0;
    SIZE_T bytesAfterMinute = 0;
    bool alive = true;
    for (DWORD minute = 1; alive; ++minute) {
        const DWORD until = minute * 60000 < total ? minute * 60000 : total;
        while (GetTickCount() - run.started < until && (alive = run.Alive()))
            Sleep(500);
        if (!alive)
            break;
        const DWORD handles = run.HandleCount();
        const SIZE_T bytes = run.PrivateBytes();
        std::printf("soak: %5.1f min: %lu handles, %.1f MB private\n",
                    (GetTickCount() - run.started) / 60000.0, static_cast<unsigned long>(handles),
                    bytes / 1048576.0);
        if (minute == 1) {
            handlesAfterMinute = handles;
            bytesAfterMinute = bytes;
        }
        if (until == total)
            break;
    }
    if (!alive) {
        std::printf("soak: FAILED: the saver died after %.1f min (exit code 0x%lx)\n",
                    (GetTickCount() - run.started) / 60000.0,
                    static_cast<unsigned long>(run.ExitCode()));
        return 1;
    }
    const DWORD handles = run.HandleCount();
    const SIZE_T bytes = run.PrivateBytes();
    const long took = run.EndByMouse();

    bool ok = true;
    if (!Within10Percent(handles, handlesAfterMinute)) {
        std::printf("soak: FAILED: %lu handles at the end, %lu after the first minute\n",
                    static_cast<unsigned long>(handles),
                    static_cast<unsigned long>(handlesAfterMinute));
        ok = false;
    }
    if (!Within10Percent(static_cast<double>(bytes), static_cast<double>(bytesAfterMinute))) {
        std::printf("soak: FAILED: %.1f MB private at the end, %.1f MB after the first minute\n",
                    bytes / 1048576.0, bytesAfterMinute / 1048576.0);
        ok = false;
    }
    if (took < 0 || took >= 1000) {
        std::printf("soak: FAILED: the saver ended %ld ms after the move (-1: not at all)\n", took);
        ok = false;
    }
    for (int i = 0; i < 9; ++i) {
        const std::wstring n = std::to_wstring(i);
        const std::wstring file =
            saver_test::IniString(stage.ini, L"Wnd" + n + L"_CurrentFileName");
        const std::wstring pos = saver_test::IniString(stage.ini, L"Wnd" + n + L"_Pos");
        if (file.empty() || pos.empty()) {
            std::printf("soak: FAILED: tile %d's resume entry is missing or wrong\n", i);
            ok = false;
        }
    }
    std::printf("soak: %s: %.1f min, ended %ld ms after the move\n", ok ? "passed" : "FAILED",
                minutes, took);
    return ok ? 0 : 1;
}
