// The comparison for the saver benchmark: the same clip on the same tile rectangles, each
// tile played by the platform's own VMR9 presenter in windowless mode.
//   orsetta_bench_baseline MODE CLIP FPS [WINDOW_MS [null]]
// With "null", the floor under both: the same decoding into a null renderer, nothing drawn.
// Prints "name value" lines for scripts/bench, like orsetta_bench.
#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>
#include <wrl/client.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <memory>
#include <vector>

#include "BenchClock.h"
#include "FrameProbe.h"
#include "SaverLayout.h"
#include "TileMeasure.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kHostClass[] = L"OrsettaBenchBaselineHost";
constexpr wchar_t kTileClass[] = L"OrsettaBenchBaselineTile";

// Wine's VMR9 has no IQualProp, so where that is missing the frames are counted at the
// renderer's input pin instead: every IMemInputPin::Receive that returns S_OK is a frame
// the renderer took and handed to its presenter (the renderer holds each sample until its
// time, so the count follows presentation). The pin's vtable entry is replaced once; the
// replacement counts per pin and calls the original.
using ReceiveFn = HRESULT(STDMETHODCALLTYPE*)(IMemInputPin*, IMediaSample*);
constexpr int kReceiveSlot = 6; // IUnknown's three, GetAllocator, NotifyAllocator, requirements
ReceiveFn g_originalReceive = nullptr;
struct PinCount {
    IMemInputPin* pin = nullptr;
    volatile LONG frames = 0;
};
PinCount g_pins[9];
volatile LONG g_pinCount = 0;

HRESULT STDMETHODCALLTYPE CountingReceive(IMemInputPin* pin, IMediaSample* sample) {
    const HRESULT hr = g_originalReceive(pin, sample);
    if (hr == S_OK)
        for (LONG i = 0; i < g_pinCount; ++i)
            if (g_pins[i].pin == pin)
                InterlockedIncrement(&g_pins[i].frames);
    return hr;
}

// Counts the frames received by the renderer's connected input pin; the slot's index, or -1.
int CountReceivedFrames(IBaseFilter* renderer) {
    ComPtr<IEnumPins> pins;
    if (FAILED(renderer->EnumPins(&pins)))
        return -1;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        ComPtr<IPin> upstream;
        ComPtr<IMemInputPin> input;
        if (FAILED(pin->ConnectedTo(&upstream)) || FAILED(pin.As(&input)))
            continue;
        if (g_pinCount >= static_cast<LONG>(std::size(g_pins)))
            return -1;
        void** table = *reinterpret_cast<void***>(input.Get());
        if (table[kReceiveSlot] != reinterpret_cast<void*>(&CountingReceive)) {
            const auto original = reinterpret_cast<ReceiveFn>(table[kReceiveSlot]);
            if (g_originalReceive != nullptr && g_originalReceive != original)
                return -1; // another pin class: not counted rather than counted wrongly
            DWORD protection = 0;
            if (!VirtualProtect(&table[kReceiveSlot], sizeof(void*), PAGE_READWRITE, &protection))
                return -1;
            g_originalReceive = original;
            table[kReceiveSlot] = reinterpret_cast<void*>(&CountingReceive);
            VirtualProtect(&table[kReceiveSlot], sizeof(void*), protection, &protection);
        }
        // The pin stays alive with its graph, which outlives the count.
        g_pins[g_pinCount].pin = input.Get();
        return static_cast<int>(InterlockedIncrement(&g_pinCount) - 1);
    }
    return -1;
}

struct Tile {
    HWND window = nullptr;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> renderer;
    ComPtr<IVMRWindowlessControl9> windowless;
    ComPtr<IMediaControl> control;
    ComPtr<IQualProp> quality;
    int pinSlot = -1; // where IQualProp is missing: the frames counted at the input pin
};

// The presenter draws only while frames arrive; a repaint in between is asked of it.
LRESULT CALLBACK TileProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(wnd, &paint);
        auto* tile = reinterpret_cast<Tile*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (tile != nullptr && tile->windowless && dc != nullptr)
            tile->windowless->RepaintVideo(wnd, dc); // a failed repaint waits for the next frame
        EndPaint(wnd, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1; // the presenter covers the tile
    return DefWindowProcW(wnd, message, wParam, lParam);
}

bool RegisterClasses() {
    WNDCLASSEXW host = {};
    host.cbSize = sizeof(host);
    host.lpfnWndProc = DefWindowProcW;
    host.hInstance = GetModuleHandleW(nullptr);
    host.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    host.lpszClassName = kHostClass;
    WNDCLASSEXW tile = host;
    tile.lpfnWndProc = TileProc;
    tile.lpszClassName = kTileClass;
    return RegisterClassExW(&host) != 0 && RegisterClassExW(&tile) != 0;
}

// DirectShow's Null Renderer (qedit.h, not in every SDK).
constexpr CLSID kNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

// The floor: the decoder's output, in the very format it gave the VMR9, goes to a null
// renderer instead, so that decoding and the clock cost the same and nothing is drawn.
bool ReplaceWithNullRenderer(Tile& tile) {
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> input, upstream, nullInput;
    AM_MEDIA_TYPE type = {};
    if (FAILED(tile.renderer->EnumPins(&pins)))
        return false;
    while (pins->Next(1, input.ReleaseAndGetAddressOf(), nullptr) == S_OK)
        if (SUCCEEDED(input->ConnectedTo(upstream.ReleaseAndGetAddressOf())))
            break;
    if (!upstream || FAILED(input->ConnectionMediaType(&type)))
        return false;
    ComPtr<IBaseFilter> null;
    ComPtr<IEnumPins> nullPins;
    const bool ok = SUCCEEDED(tile.graph->RemoveFilter(tile.renderer.Get())) &&
                    SUCCEEDED(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_PPV_ARGS(&null))) &&
                    SUCCEEDED(tile.graph->AddFilter(null.Get(), L"Null Renderer")) &&
                    SUCCEEDED(null->EnumPins(&nullPins)) &&
                    nullPins->Next(1, nullInput.GetAddressOf(), nullptr) == S_OK &&
                    SUCCEEDED(tile.graph->ConnectDirect(upstream.Get(), nullInput.Get(), &type));
    CoTaskMemFree(type.pbFormat);
    if (type.pUnk != nullptr)
        type.pUnk->Release();
    tile.windowless.Reset();
    tile.renderer = null;
    return ok;
}

bool OpenTile(Tile& tile, const wchar_t* clip, const RECT& area, bool floor, bench::Steps& steps) {
    double t = bench::NowMs();
    auto lap = [&](const char* step) {
        const double now = bench::NowMs();
        steps[step] += now - t;
        t = now;
    };
    const double devicesBefore = bench::ProbeCallMs("IDirect3D9::CreateDevice");
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&tile.graph))))
        return false;
    lap("1 graph manager");
    if (FAILED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&tile.renderer))) ||
        FAILED(tile.graph->AddFilter(tile.renderer.Get(), L"VMR9")))
        return false;
    ComPtr<IVMRFilterConfig9> config;
    if (FAILED(tile.renderer.As(&config)) ||
        FAILED(config->SetRenderingMode(VMR9Mode_Windowless)) ||
        FAILED(tile.renderer.As(&tile.windowless)) ||
        FAILED(tile.windowless->SetVideoClippingWindow(tile.window)) ||
        FAILED(tile.windowless->SetAspectRatioMode(VMR9ARMode_LetterBox)))
        return false;
    lap("2 renderer, windowless");
    const HRESULT rendered = tile.graph->RenderFile(clip, nullptr);
    if (FAILED(rendered))
        return false;
    lap("5 RenderFile");
    steps["9  CreateDevice, wherever it ran"] +=
        bench::ProbeCallMs("IDirect3D9::CreateDevice") - devicesBefore;
    const RECT destination = {0, 0, area.right - area.left, area.bottom - area.top};
    if (floor ? !ReplaceWithNullRenderer(tile)
              : FAILED(tile.windowless->SetVideoPosition(nullptr, &destination)))
        return false;
    if (FAILED(tile.graph.As(&tile.control)))
        return false;
    // Not every renderer counts its frames; the caller says which count it used.
    // (By IID: the headers give IQualProp no __uuidof.)
    if (FAILED(tile.renderer->QueryInterface(
            IID_IQualProp, reinterpret_cast<void**>(tile.quality.ReleaseAndGetAddressOf()))))
        tile.quality.Reset();
    if (!tile.quality) {
        tile.pinSlot = CountReceivedFrames(tile.renderer.Get());
        if (tile.pinSlot < 0)
            return false;
    }
    lap("6 position and interfaces");
    return true;
}

class BaselineTiles : public TileSource {
public:
    explicit BaselineTiles(std::vector<std::unique_ptr<Tile>>& tiles) : m_tiles(tiles) {}

    int Count() const override { return static_cast<int>(m_tiles.size()); }

    bool AllCued() override {
        for (auto& tile : m_tiles) {
            OAFilterState state = State_Stopped;
            if (tile->control->GetState(0, &state) != S_OK || state != State_Paused)
                return false;
        }
        // Started together, as the saver host starts its tiles.
        for (auto& tile : m_tiles)
            if (FAILED(tile->control->Run()))
                return false;
        return true;
    }

    bool AllRunning() override {
        for (int i = 0; i < Count(); ++i) {
            OAFilterState state = State_Stopped;
            long frames = 0;
            if (m_tiles[static_cast<size_t>(i)]->control->GetState(0, &state) != S_OK ||
                state != State_Running || !Frames(i, &frames) || frames <= 0)
                return false;
        }
        return true;
    }

    bool Frames(int index, long* frames) override {
        Tile& tile = *m_tiles[static_cast<size_t>(index)];
        if (tile.pinSlot >= 0) {
            *frames = g_pins[tile.pinSlot].frames;
            return true;
        }
        int drawn = 0;
        if (!tile.quality || FAILED(tile.quality->get_FramesDrawn(&drawn)))
            return false;
        *frames = drawn;
        return true;
    }

private:
    std::vector<std::unique_ptr<Tile>>& m_tiles;
};

int Run(int mode, const wchar_t* clip, double fps, DWORD windowMs, bool floor) {
    bench::StartProbe();
    if (!RegisterClasses()) {
        bench::ReportText("failed", "window classes");
        return 1;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND host =
        CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"baseline", WS_POPUP | WS_VISIBLE, 0, 0, width,
                        height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (host == nullptr) {
        bench::ReportText("failed", "host window");
        return 1;
    }
    const uint32_t side = GridSideForMode(mode);
    std::vector<std::unique_ptr<Tile>> tiles;
    bench::Steps steps;
    bool ok = side > 0;
    for (uint32_t i = 0; ok && i < side * side; ++i) {
        const TileRect r =
            TileRectangle(i, side, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
        const RECT area = {r.left, r.top, r.right, r.bottom};
        auto tile = std::make_unique<Tile>();
        tile->window = CreateWindowExW(0, kTileClass, L"", WS_CHILD | WS_VISIBLE, area.left,
                                       area.top, area.right - area.left, area.bottom - area.top,
                                       host, nullptr, GetModuleHandleW(nullptr), nullptr);
        ok = tile->window != nullptr;
        if (ok) {
            SetWindowLongPtrW(tile->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tile.get()));
            ok = OpenTile(*tile, clip, area, floor, steps);
            const double t = bench::NowMs();
            ok = ok && SUCCEEDED(tile->control->Pause());
            steps["7 Pause call"] += bench::NowMs() - t;
        }
        tiles.push_back(std::move(tile));
    }
    if (!ok) {
        bench::ReportText("failed", "a tile's graph could not be built");
    } else {
        bench::ReportText("baseline_frames",
                          tiles[0]->quality
                              ? "IQualProp::get_FramesDrawn"
                              : "IMemInputPin::Receive calls that returned S_OK at the "
                                "renderer's input pin (no IQualProp on this renderer)");
        bench::ReportSteps(steps, static_cast<double>(tiles.size()));
        BaselineTiles source(tiles);
        ok = MeasureTiles(source, fps, 1000, windowMs);
    }
    for (auto& tile : tiles) {
        if (tile->control)
            tile->control->Stop(); // the process ends anyway
        SetWindowLongPtrW(tile->window, GWLP_USERDATA, 0);
    }
    tiles.clear();
    DestroyWindow(host);
    return ok ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        bench::ReportText("failed", "COM could not start");
        return 1;
    }
    const bool floor = argc > 5 && wcscmp(argv[5], L"null") == 0;
    const int status = argc >= 4 ? Run(_wtoi(argv[1]), argv[2], _wtof(argv[3]),
                                       argc > 4 ? static_cast<DWORD>(_wtoi(argv[4])) : 8000, floor)
                                 : 2;
    if (status == 2)
        bench::ReportText("failed", "usage: MODE CLIP FPS [WINDOW_MS [null]]");
    CoUninitialize();
    return status;
}
