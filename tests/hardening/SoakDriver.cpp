// The long run: nine tiles cycling 2-second clips, one corrupt clip among them, for the
// given minutes; then two mouse positions end it. Passes when the process lives to the end,
// ends within 1 s of the deciding move, every tile wrote its resume entry, its registry keys
// and private bytes at the end are within 10% of their values after the first minute, and its
// other handles show no steady growth.
//
// The platform's own media stack may keep something with every graph it builds (Wine 10's
// does: registry keys and memory). So that this is not charged to the saver, the same work is
// first done for the same minutes by soak_reference, the platform's own player without any
// code of ours, and its change from the first minute to the end is taken off the saver's
// change before the 10% rule is applied (growing less than the platform's own player is no
// fault). The time the platform's own player needs to close its graphs when told to quit is
// printed beside the saver's time to end, which must be under 1 s, and so must the time until
// its windows are gone.
//
// soak_driver MINUTES   (exit code 0: passed)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "HardeningSupport.h"
#include "SaverTestSupport.h"

using namespace hardening;

namespace {

struct Sample {
    HandleCounts handles;
    SIZE_T bytes = 0;
};

Sample Measure(const WatchedProcess& process) {
    return {process.Handles(), process.PrivateBytes()};
}

// Handles other than registry keys gained per minute, fitted (least squares) to the samples
// taken from the first minute on: a handle kept with every graph (about 270 a minute at nine
// tiles of 2-second clips) shows as a steady slope, while the platform's threads and events
// coming and going swing single samples by tens either way.
struct HandleTrend {
    std::vector<std::pair<double, double>> points; // minutes, handles
    void Add(double minute, DWORD handles) { points.emplace_back(minute, handles); }
    double PerMinute() const {
        const double n = static_cast<double>(points.size());
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const auto& [x, y] : points) {
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
        }
        const double d = n * sxx - sx * sx;
        return n >= 2 && d > 0 ? (n * sxy - sx * sy) / d : 0.0;
    }
};

// Lets the process run until the given minutes have passed since its start, printing a line
// each minute; the samples after the first minute and at the end, and the handles' trend from
// the first minute on (sampled every 5 s). False when it died.
bool Watch(const WatchedProcess& process, const char* name, double minutes, Sample* firstMinute,
           Sample* end, HandleTrend* trend) {
    const DWORD total = static_cast<DWORD>(minutes * 60000.0);
    DWORD nextSample = 60000;
    for (DWORD minute = 1;; ++minute) {
        const DWORD until = minute * 60000 < total ? minute * 60000 : total;
        while (GetTickCount() - process.started < until) {
            if (!process.Alive())
                return false;
            Sleep(500);
            const DWORD now = GetTickCount() - process.started;
            if (now >= nextSample) {
                trend->Add(now / 60000.0, process.Handles().Others());
                nextSample += 5000;
            }
        }
        const Sample now = Measure(process);
        std::printf("soak: %-9s %5.1f min: %6lu handles (%6lu registry keys), %7.1f MB private\n",
                    name, (GetTickCount() - process.started) / 60000.0,
                    static_cast<unsigned long>(now.handles.total),
                    static_cast<unsigned long>(now.handles.registryKeys), now.bytes / 1048576.0);
        std::fflush(stdout);
        if (minute == 1)
            *firstMinute = now;
        if (until == total) {
            *end = now;
            return true;
        }
    }
}

// The saver's change from the first minute to the end, less the reference's change over the
// same run (times `pace`), must stay within 10% of the saver's first-minute value.
bool Steady(const char* what, double first, double end, double referenceChange, double pace = 1.0) {
    const double allowed = referenceChange * pace;
    const double excess = (end - first) - allowed;
    const bool ok = first > 0 && excess <= first * 0.1;
    std::printf("soak: %s %s: %.1f after the first minute, %.1f at the end; the reference "
                "changed by %+.1f (%+.1f allowed), so the saver's own change is %+.1f "
                "(%+.1f%%)\n",
                ok ? "steady" : "FAILED:", what, first, end, referenceChange, allowed, excess,
                first > 0 ? excess * 100.0 / first : 0.0);
    return ok;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring SiblingProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length < MAX_PATH ? length : 0);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
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
    const std::vector<std::wstring> clips = {HardClip(L"soak-red.avi"), HardClip(L"soak-green.mp4"),
                                             corrupt, HardClip(L"soak-blue.wmv")};
    stage.SetList(clips);

    // The platform's own player first, for the same minutes.
    Sample refFirst, refEnd;
    HandleTrend refTrend, trend;
    long refTook = -1;
    {
        std::wstring line = Quoted(SiblingProgram(L"soak_reference.exe"));
        for (const auto& clip : clips)
            line += L" " + Quoted(clip);
        WatchedProcess reference;
        if (!reference.Launch(line, stage.dir.Path()) ||
            !Watch(reference, "reference", minutes, &refFirst, &refEnd, &refTrend)) {
            std::printf("soak: FAILED: the reference player did not run to the end\n");
            return 1;
        }
        // Its end is when it has closed its graphs, as it says through its event and its exit
        // code.
        const std::wstring closedName =
            L"OrsettaSoakReferenceClosed" + std::to_wstring(reference.pi.dwProcessId);
        HANDLE closed = OpenEventW(SYNCHRONIZE, FALSE, closedName.c_str());
        if (closed == nullptr || !PostThreadMessageW(reference.pi.dwThreadId, WM_QUIT, 0, 0))
            std::printf("soak: the reference could not be told to quit (error %lu)\n",
                        static_cast<unsigned long>(GetLastError()));
        else if (WaitForSingleObject(closed, 30000) == WAIT_OBJECT_0 &&
                 WaitForSingleObject(reference.pi.hProcess, 5000) == WAIT_OBJECT_0)
            refTook = static_cast<long>(reference.ExitCode() % 100000);
        if (closed != nullptr)
            CloseHandle(closed);
        if (refTook >= 0)
            std::printf("soak: reference closed its graphs %ld ms after it was told to quit (%lu "
                        "given up after 5 s)\n",
                        refTook, static_cast<unsigned long>(reference.ExitCode() / 100000));
        else
            std::printf("soak: reference did not even begin to close within 30 s: its only "
                        "thread was held in a platform call, as a player that opens on its "
                        "user-interface thread is\n");
    }

    SaverRun run;
    if (!run.Start(stage) || run.WaitForHost() == nullptr) {
        std::printf("soak: the saver did not start\n");
        return 1;
    }
    Sample first, last;
    if (!Watch(run, "saver", minutes, &first, &last, &trend)) {
        std::printf("soak: FAILED: the saver died after %.1f min (exit code 0x%lx)\n",
                    (GetTickCount() - run.started) / 60000.0,
                    static_cast<unsigned long>(run.ExitCode()));
        return 1;
    }
    const long took = run.EndByMouse();

    bool ok = true;
    // Handles other than registry keys: their slope over every sample, beyond the reference's,
    // must stay under a floor well below one handle kept per graph. Wine's own grow with the
    // graphs built, as its registry keys do, so the reference's slope is taken at the saver's
    // pace of building them (measured: 1.39 times the reference's, for +190 a minute against
    // +137). One handle kept per graph would still add one per graph built: about 180 a
    // minute here.
    {
        constexpr double kFloorPerMinute = 60.0;
        const double savedKeys =
            static_cast<double>(last.handles.registryKeys) - first.handles.registryKeys;
        const double refKeys =
            static_cast<double>(refEnd.handles.registryKeys) - refFirst.handles.registryKeys;
        const double pace = refKeys > 0 ? std::clamp(savedKeys / refKeys, 1.0, 2.0) : 1.0;
        const double excess = trend.PerMinute() - std::max(0.0, refTrend.PerMinute()) * pace;
        const bool steady = excess < kFloorPerMinute;
        std::printf("soak: %s handles other than registry keys: %.1f after the first minute, "
                    "%.1f at the end; %+.1f a minute over %zu samples (the reference %+.1f), "
                    "at %.2f times its pace, so the saver's own trend is %+.1f a minute "
                    "(%.0f allowed)\n",
                    steady ? "steady" : "FAILED:", static_cast<double>(first.handles.Others()),
                    static_cast<double>(last.handles.Others()), trend.PerMinute(),
                    trend.points.size(), refTrend.PerMinute(), pace, excess, kFloorPerMinute);
        ok &= steady;
    }
    // Registry keys are Wine's, about 74 with every graph built, so they follow each program's
    // pace of opening clips, which differs by up to a fifth from one minute to the next
    // (10,785-14,773 keys a minute for the saver, 12,245-15,508 for the reference over 30
    // minutes), and more on a loaded machine, where the saver, starting a clip sooner than the
    // reference, opened 1.44 times as many in a minute (14,615 keys against 10,175). What a
    // graph keeps is held to the platform's own by the graph-cycle test; here only a key kept
    // with every frame (9 tiles at 25 fps: 13,500 a minute) must stand out, and at 1.6 times
    // the reference's fastest minute it still does.
    ok &= Steady("registry key handles", first.handles.registryKeys, last.handles.registryKeys,
                 static_cast<double>(refEnd.handles.registryKeys) - refFirst.handles.registryKeys,
                 1.6);
    ok &= Steady("private MB", first.bytes / 1048576.0, last.bytes / 1048576.0,
                 (static_cast<double>(refEnd.bytes) - static_cast<double>(refFirst.bytes)) /
                     1048576.0);
    // The saver's own close is bounded: its end is held to a second whatever the reference
    // took (which only says what the platform's own player would have made the user wait).
    if (took < 0 || took >= 1000 || run.windowsGoneMs >= 1000) {
        std::printf("soak: FAILED: after the move the saver's windows were gone in %ld ms and "
                    "the process ended in %ld ms (-1: not at all); the platform's own player "
                    "took %ld ms to close its graphs (-1: it did not)\n",
                    run.windowsGoneMs, took, refTook);
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
    std::printf("soak: %s: %.1f min; after the move the windows were gone in %ld ms and the "
                "process ended in %ld ms (the platform's own player: %ld ms)\n",
                ok ? "passed" : "FAILED", minutes, run.windowsGoneMs, took, refTook);
    return ok ? 0 : 1;
}
