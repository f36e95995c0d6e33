// Benchmarks of the product's own code, in this process:
//   orsetta_bench saver MODE CLIP FPS [WINDOW_MS]  the saver host over the screen with
//                                                  (MODE+1)^2 tiles of CLIP
//   orsetta_bench list COUNT                       LoadSettings on a list file of COUNT entries
//   orsetta_bench dialog COUNT                     the settings dialog shown with COUNT entries
//   orsetta_bench open MODE CLIP                   where the start of (MODE+1)^2 tiles goes,
//                                                  step by step
// Each prints "name value" lines for scripts/bench.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "FrameProbe.h"
#include "KvVmrSurfaceAllocator.h"
#include "MovieGraphPlayer.h"
#include "MovieListFile.h"
#include "OrsettaApp.h"
#include "OrsettaDlg.h"
#include "SaverLayout.h"
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
    auto* real = dynamic_cast<MovieGraphPlayer*>(&player->m_worker.Graph());
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

// The renderer's side of one tile's allocator, passed on to the real one, with a clock on
// the allocation and on the first frame.
class TimedAllocator : public IVMRSurfaceAllocator9, public IVMRImagePresenter9 {
public:
    explicit TimedAllocator(CKvVmrSurfaceAllocator* real) : m_real(real) {}
    virtual ~TimedAllocator() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IVMRSurfaceAllocator9))
            *object = static_cast<IVMRSurfaceAllocator9*>(this);
        else if (IsEqualGUID(riid, IID_IVMRImagePresenter9))
            *object = static_cast<IVMRImagePresenter9*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP InitializeDevice(DWORD_PTR id, VMR9AllocationInfo* info, DWORD* count) override {
        const double start = bench::NowMs();
        const HRESULT hr = m_real->InitializeDevice(id, info, count);
        AllocatingMs = AllocatingMs + (bench::NowMs() - start);
        return hr;
    }
    STDMETHODIMP TerminateDevice(DWORD_PTR id) override { return m_real->TerminateDevice(id); }
    STDMETHODIMP GetSurface(DWORD_PTR id, DWORD index, DWORD flags,
                            IDirect3DSurface9** surface) override {
        return m_real->GetSurface(id, index, flags, surface);
    }
    STDMETHODIMP AdviseNotify(IVMRSurfaceAllocatorNotify9* notify) override {
        return m_real->AdviseNotify(notify);
    }
    STDMETHODIMP StartPresenting(DWORD_PTR id) override { return m_real->StartPresenting(id); }
    STDMETHODIMP StopPresenting(DWORD_PTR id) override { return m_real->StopPresenting(id); }
    STDMETHODIMP PresentImage(DWORD_PTR id, VMR9PresentationInfo* info) override {
        const HRESULT hr = m_real->PresentImage(id, info);
        if (FirstFrameMs < 0)
            FirstFrameMs = bench::NowMs();
        return hr;
    }

    volatile double AllocatingMs = 0;
    volatile double FirstFrameMs = -1;

private:
    Microsoft::WRL::ComPtr<CKvVmrSurfaceAllocator> m_real;
    volatile LONG m_refs = 1;
};

// One tile, opened by the product's own MovieGraph::Open and then paused, with every step
// timed.
struct OpenedTile {
    HWND window = nullptr;
    MovieGraph graph;
    Microsoft::WRL::ComPtr<TimedAllocator> timed;
    double pausedMs = 0;
};

// Open's steps on the clock, with what the Direct3D probe saw inside them.
class TimedOpen final : public MovieGraph::OpenWatch {
public:
    TimedOpen(OpenedTile& tile, bench::Steps& steps) : m_tile(tile), m_steps(steps) {}

    void StepDone(const char* step) override {
        const double now = bench::NowMs();
        m_steps[step] += now - m_t;
        m_t = now;
        const std::string name = step;
        if (name[0] == '3')
            m_steps["3a  of which CreateDevice"] += Since("IDirect3D9::CreateDevice", m_devices);
        if (name[0] == '5') {
            m_steps["5a  of which InitializeDevice"] += m_tile.timed->AllocatingMs;
            m_steps["5b  of which the copy swap chain"] +=
                Since("IDirect3DDevice9::CreateAdditionalSwapChain", m_chains);
        }
    }
    IVMRSurfaceAllocator9* Advised(CKvVmrSurfaceAllocator* allocator) override {
        *m_tile.timed.ReleaseAndGetAddressOf() = new TimedAllocator(allocator);
        return m_tile.timed.Get();
    }
    double Last() const { return m_t; }

private:
    static double Since(const char* call, double before) {
        return bench::ProbeCallMs(call) - before;
    }

    OpenedTile& m_tile;
    bench::Steps& m_steps;
    double m_t = bench::NowMs();
    const double m_devices = bench::ProbeCallMs("IDirect3D9::CreateDevice");
    const double m_chains = bench::ProbeCallMs("IDirect3DDevice9::CreateAdditionalSwapChain");
};

bool OpenTimed(OpenedTile& tile, const wchar_t* clip, bench::Steps& steps) {
    TimedOpen watch(tile, steps);
    if (!tile.graph.Open(clip, tile.window, &watch))
        return false;
    (void)tile.graph.Audio->put_Volume(-10000);
    if (FAILED(tile.graph.Control->Pause()))
        return false;
    watch.StepDone("7 volume and Pause call");
    tile.pausedMs = watch.Last();
    return true;
}

LRESULT CALLBACK QuietTileProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(wnd, message, wParam, lParam);
}

int RunOpen(int mode, const wchar_t* clip) {
    bench::StartProbe();
    // As the saver host does before it opens its tiles (BENCH_NO_SHARE: each allocator makes
    // its own Direct3D object).
    if (std::getenv("BENCH_NO_SHARE") == nullptr)
        CKvVmrSurfaceAllocator::ShareDirect3D();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = QuietTileProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"OrsettaBenchOpen";
    RegisterClassW(&wc);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND host = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                width, height, nullptr, nullptr, wc.hInstance, nullptr);
    const uint32_t side = GridSideForMode(mode);
    std::vector<std::unique_ptr<OpenedTile>> tiles;
    bench::Steps steps;
    bool ok = host != nullptr && side > 0;
    for (uint32_t i = 0; ok && i < side * side; ++i) {
        const TileRect r =
            TileRectangle(i, side, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
        auto tile = std::make_unique<OpenedTile>();
        double t = bench::NowMs();
        tile->window = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, r.left,
                                       r.top, r.right - r.left, r.bottom - r.top, host, nullptr,
                                       wc.hInstance, nullptr);
        steps["0 window"] += bench::NowMs() - t;
        ok = tile->window != nullptr && OpenTimed(*tile, clip, steps);
        tiles.push_back(std::move(tile));
    }
    if (!ok) {
        bench::ReportText("failed", "a tile could not be opened");
        return 1;
    }
    bench::Report("opened_ms", bench::MsSinceProcessStart());
    // Cued: every tile has shown its first frame.
    const DWORD start = GetTickCount();
    double cueTotal = 0;
    for (;;) {
        bool all = true;
        for (auto& tile : tiles)
            all = all && tile->timed->FirstFrameMs >= 0;
        if (all || GetTickCount() - start > 60000)
            break;
        bench::PumpFor(2);
    }
    for (auto& tile : tiles) {
        if (tile->timed->FirstFrameMs < 0) {
            bench::ReportText("failed", "not every tile cued within 60 s");
            return 1;
        }
        cueTotal += tile->timed->FirstFrameMs - tile->pausedMs;
    }
    bench::Report("cued_ms", bench::MsSinceProcessStart());
    steps["8 Pause to first frame"] = cueTotal;
    bench::ReportSteps(steps, static_cast<double>(tiles.size()));
    for (auto& tile : tiles)
        tile->graph.Close();
    DestroyWindow(host);
    return 0;
}

int Usage() {
    bench::ReportText("failed", "usage: saver MODE CLIP FPS [WINDOW_MS] | list COUNT | "
                                "dialog COUNT | open MODE CLIP");
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
    else if (what == L"open" && argc >= 4)
        status = RunOpen(_wtoi(argv[2]), argv[3]);
    else
        status = Usage();
    CoUninitialize();
    return status;
}
