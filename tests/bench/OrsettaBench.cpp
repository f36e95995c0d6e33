// Benchmarks of the product's own code, in this process:
//   orsetta_bench saver MODE CLIP FPS [WINDOW_MS]  the saver host over the screen with
//                                                  (MODE+1)^2 tiles of CLIP
//   orsetta_bench list COUNT                       LoadSettings on a list file of COUNT entries
//   orsetta_bench dialog COUNT                     the settings dialog shown with COUNT entries
// Each prints "name value" lines for scripts/bench.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "FrameProbe.h"
#include "KvVmrSurfaceAllocator.h"
#include "MovieListFile.h"
#include "OrsettaApp.h"
#include "OrsettaDlg.h"
#include "TileMeasure.h"
#include "WndSaver.h"
#include "WndSaverBase.h"
#include "resource.h"

namespace {

// The application object of the benchmarks: settings in memory, its INI file and list
// file beside this program, never the product's own.
class BenchApp : public COrsettaApp {
public:
    BenchApp() {
        const std::wstring ini = ModuleSiblingPath(L"ini");
        DeleteFileW(ini.c_str()); // a stale resume entry would change what plays
        m_pszProfileName = _wcsdup(ini.c_str());
        Vmr9Available = true;
        Shuffle = 0;
        Continue = 0;
        Mute = 1;
    }
};

MovieGraph* GraphOf(CWndSaver* player) {
    auto* real = dynamic_cast<MovieGraphPlayer*>(player->m_graph.get());
    return real != nullptr ? &real->Graph : nullptr;
}

class SaverTiles : public TileSource {
public:
    SaverTiles(CWndSaverBase* host, int expected) : m_host(host), m_expected(expected) {}

    int Count() const override { return m_expected; }

    bool AllCued() override {
        return Each([](MovieGraph& g) {
            OAFilterState state = State_Stopped;
            return g.Control->GetState(0, &state) == S_OK && state != State_Stopped;
        });
    }

    bool AllRunning() override {
        return Each([](MovieGraph& g) {
            OAFilterState state = State_Stopped;
            return g.Control->GetState(0, &state) == S_OK && state == State_Running &&
                   g.Allocator->PresentedFrames() > 0;
        });
    }

    bool Frames(int index, long* frames) override {
        CWndSaver* player = m_host->m_players[index];
        MovieGraph* g = player != nullptr ? GraphOf(player) : nullptr;
        if (g == nullptr || !g->Allocator)
            return false;
        *frames = g->Allocator->PresentedFrames();
        return true;
    }

private:
    template <typename Check> bool Each(Check check) {
        for (int i = 0; i < m_expected; ++i) {
            CWndSaver* player = m_host->m_players[i];
            if (player == nullptr || !player->m_started)
                return false;
            MovieGraph* g = GraphOf(player);
            if (g == nullptr || !g->Control || !g->Allocator || !check(*g))
                return false;
        }
        return true;
    }

    CWndSaverBase* m_host;
    int m_expected;
};

int RunSaver(int mode, const wchar_t* clip, double fps, DWORD windowMs) {
    bench::StartProbe();
    BenchApp app;
    app.ScreenCountMode = mode;
    const int side = mode + 1;
    // One entry per tile, so every tile plays the same clip from its start.
    for (int i = 0; i < side * side; ++i)
        app.MovieList.push_back(MovieEntry{clip, EntryState::NotTried});
    app.BuildPlayOrder();

    auto* host = new CWndSaverBase;
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!host->Create(screen)) {
        delete host;
        bench::ReportText("failed", "the saver host could not be created");
        return 1;
    }
    const HWND hostWnd = host->m_hWnd;
    SaverTiles tiles(host, side * side);
    const bool ok = MeasureTiles(tiles, fps, 1000, windowMs);
    if (IsWindow(hostWnd))
        DestroyWindow(hostWnd); // the host deletes itself with its window
    bench::PumpFor(200);
    return ok ? 0 : 1;
}

// A path of the length and shape of a real one, numbered.
std::wstring EntryPath(int i) {
    std::wstring number = std::to_wstring(i);
    number.insert(0, number.size() < 6 ? 6 - number.size() : 0, L'0');
    return L"D:\\Videos\\Holidays\\2024\\clip-" + number + L".mp4";
}

int RunList(int count) {
    BenchApp app;
    MovieListType list;
    list.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        list.push_back(MovieEntry{EntryPath(i), EntryState::NotTried});
    const std::wstring listPath = ModuleSiblingPath(L"mflst");
    if (!WriteMovieListFile(listPath.c_str(), list)) {
        bench::ReportText("failed", "the list file could not be written");
        return 1;
    }
    // The best of three: the first also pays for the file cache.
    double best = 1e18;
    for (int run = 0; run < 3; ++run) {
        app.MovieList.clear();
        const double start = bench::NowMs();
        app.LoadSettings();
        const double took = bench::NowMs() - start;
        if (app.MovieList.size() != static_cast<size_t>(count)) {
            bench::ReportText("failed", "the list did not load completely");
            return 1;
        }
        if (took < best)
            best = took;
    }
    DeleteFileW(listPath.c_str());
    bench::Report("entries", count);
    bench::Report("list_load_ms", best);
    return 0;
}

// Watches for the dialog from a second thread, so the figure includes everything the
// dialog's own thread does before the window shows.
struct DialogWatch {
    DWORD dialogThread = 0;
    double startMs = 0;
    double shownMs = -1;
    double answersMs = -1;
    LRESULT listCount = -1;
};

BOOL CALLBACK FindVisibleDialog(HWND wnd, LPARAM param) {
    wchar_t name[16] = {};
    if (IsWindowVisible(wnd) && GetClassNameW(wnd, name, 16) > 0 && wcscmp(name, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(param) = wnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI WatchDialog(void* param) {
    auto* watch = static_cast<DialogWatch*>(param);
    const DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (dialog == nullptr && GetTickCount() - start < 60000) {
        EnumThreadWindows(watch->dialogThread, &FindVisibleDialog,
                          reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr)
            Sleep(1);
    }
    if (dialog == nullptr)
        return 1;
    watch->shownMs = bench::NowMs() - watch->startMs;
    // The first answer from the list box: the dialog's thread is back in its message loop.
    DWORD_PTR count = 0;
    if (SendMessageTimeoutW(GetDlgItem(dialog, IDC_FILE_LIST), LB_GETCOUNT, 0, 0, SMTO_NORMAL,
                            60000, &count) != 0) {
        watch->answersMs = bench::NowMs() - watch->startMs;
        watch->listCount = static_cast<LRESULT>(count);
    }
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

int RunDialog(int count) {
    BenchApp app;
    for (int i = 0; i < count; ++i)
        app.MovieList.push_back(MovieEntry{EntryPath(i), EntryState::NotTried});
    DialogWatch watch;
    watch.dialogThread = GetCurrentThreadId();
    COrsettaDlg dialog;
    watch.startMs = bench::NowMs();
    HANDLE thread = CreateThread(nullptr, 0, &WatchDialog, &watch, 0, nullptr);
    if (thread == nullptr) {
        bench::ReportText("failed", "no watching thread");
        return 1;
    }
    const INT_PTR result = dialog.DoModal();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    if (result != IDCANCEL || watch.shownMs < 0 || watch.listCount != count) {
        bench::ReportText("failed", "the dialog did not show its list");
        return 1;
    }
    bench::Report("entries", count);
    bench::Report("dialog_shown_ms", watch.shownMs);
    bench::Report("dialog_answers_ms", watch.answersMs);
    return 0;
}

int Usage() {
    bench::ReportText("failed", "usage: saver MODE CLIP FPS [WINDOW_MS] | list COUNT | "
                                "dialog COUNT");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        bench::ReportText("failed", "COM could not start");
        return 1;
    }
    int status = 2;
    const std::wstring what = argc > 1 ? argv[1] : L"";
    if (what == L"saver" && argc >= 5)
        status = RunSaver(_wtoi(argv[2]), argv[3], _wtof(argv[4]),
                          argc > 5 ? static_cast<DWORD>(_wtoi(argv[5])) : 8000);
    else if (what == L"list" && argc >= 3)
        status = RunList(_wtoi(argv[2]));
    else if (what == L"dialog" && argc >= 3)
        status = RunDialog(_wtoi(argv[2]));
    else
        status = Usage();
    CoUninitialize();
    return status;
}
