// The soak's yardstick: the platform's own player doing the saver's work without any code of
// ours. Nine tiles on the saver's rectangles, child windows of a full-screen host as the
// saver's are (Wine renders into child windows differently from top-level ones), each cycling the
// given clips with a VMR9 in windowless mode, one new graph per clip, the next clip on EC_COMPLETE
// and a failed clip skipped. It runs until a WM_QUIT is posted to its thread, then closes its
// graphs and ends, as the saver does on input. The soak driver reads its handles, memory and time
// to end from outside, as it does the saver's, so that what the platform itself costs can be told
// from what the saver adds. Its graphs are closed together, one thread each, as the saver's tiles
// close theirs; a graph whose Stop never returns (the corrupt clip's, under Wine) is given up
// after 5 s. It then sets the event "OrsettaSoakReferenceClosed<process id>" and ends with the
// milliseconds until the last graph that did close was closed, plus 100000 for each graph
// given up: closing every graph one after the other on its own thread hung for good, which
// left the figure unmeasured.
//   soak_reference CLIP...
#include <string>
#include <vector>

#include "PlatformPlayer.h"
#include "SaverLayout.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kTileClass[] = L"OrsettaSoakReferenceTile";
constexpr UINT kGraphEvent = WM_APP + 1;
constexpr uint32_t kSide = 3;

std::vector<std::wstring> g_clips;

struct Tile {
    HWND window = nullptr;
    size_t next = 0; // the list entry to play next
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;

    void Close() {
        if (control)
            (void)control->Stop(); // the graph goes in any case
        events.Reset();
        control.Reset();
        graph.Reset();
    }

    bool OpenOne(const std::wstring& clip) {
        return OpenPlatformGraph(clip.c_str(), window, &graph, &control) &&
               SUCCEEDED(graph->QueryInterface(IID_IMediaEventEx,
                                               reinterpret_cast<void**>(events.GetAddressOf()))) &&
               SUCCEEDED(
                   events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), kGraphEvent, 0)) &&
               SUCCEEDED(control->Run());
    }

    // The next clip that plays, trying each entry once, as the saver does.
    void PlayNext() {
        for (size_t tries = 0; tries < g_clips.size(); ++tries) {
            Close();
            const std::wstring& clip = g_clips[next];
            next = (next + 1) % g_clips.size();
            if (OpenOne(clip))
                return;
        }
        Close();
    }
};

LRESULT CALLBACK TileProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tile = reinterpret_cast<Tile*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (message == kGraphEvent && tile != nullptr) {
        bool complete = false;
        long code = 0;
        LONG_PTR first = 0, second = 0;
        while (tile->events && tile->events->GetEvent(&code, &first, &second, 0) == S_OK) {
            complete = complete || code == EC_COMPLETE;
            (void)tile->events->FreeEventParams(code, first, second);
        }
        if (complete)
            tile->PlayNext();
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(wnd, message, wParam, lParam);
}

DWORD WINAPI CloseTile(void* tile) {
    static_cast<Tile*>(tile)->Close();
    return 0;
}

// Closes every tile's graph on a thread of its own; the exit code described above.
UINT CloseAll(Tile* tiles, uint32_t count) {
    constexpr DWORD kGiveUpMs = 5000;
    const DWORD start = GetTickCount();
    std::vector<HANDLE> threads;
    for (uint32_t i = 0; i < count; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, &CloseTile, &tiles[i], 0, nullptr);
        if (thread != nullptr)
            threads.push_back(thread);
        else
            tiles[i].Close();
    }
    size_t closed = 0;
    DWORD lastClosed = GetTickCount() - start;
    while (closed < threads.size() && GetTickCount() - start < kGiveUpMs) {
        Sleep(5);
        size_t now = 0;
        for (HANDLE thread : threads)
            now += WaitForSingleObject(thread, 0) == WAIT_OBJECT_0 ? 1 : 0;
        if (now != closed) {
            closed = now;
            lastClosed = GetTickCount() - start;
        }
    }
    return static_cast<UINT>(lastClosed + 100000 * (threads.size() - closed));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i)
        g_clips.emplace_back(argv[i]);
    if (g_clips.empty() || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    const std::wstring closedName =
        L"OrsettaSoakReferenceClosed" + std::to_wstring(GetCurrentProcessId());
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, closedName.c_str());
    if (closed == nullptr)
        return 1;
    WNDCLASSEXW tileClass = {};
    tileClass.cbSize = sizeof tileClass;
    tileClass.lpfnWndProc = TileProc;
    tileClass.hInstance = GetModuleHandleW(nullptr);
    tileClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    tileClass.lpszClassName = kTileClass;
    if (RegisterClassExW(&tileClass) == 0)
        return 1;
    const uint32_t width = static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN));
    const uint32_t height = static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN));
    HWND host =
        CreateWindowExW(WS_EX_TOPMOST, kTileClass, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                        0, static_cast<int>(width), static_cast<int>(height), nullptr, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    if (host == nullptr)
        return 1;
    Tile tiles[kSide * kSide];
    for (uint32_t i = 0; i < kSide * kSide; ++i) {
        const TileRect r = TileRectangle(i, kSide, width, height);
        Tile& tile = tiles[i];
        tile.next = i % g_clips.size();
        tile.window = CreateWindowExW(0, kTileClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                      r.left, r.top, r.right - r.left, r.bottom - r.top, host,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        if (tile.window == nullptr)
            return 1;
        SetWindowLongPtrW(tile.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tile));
        tile.PlayNext();
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    const UINT code = CloseAll(tiles, kSide * kSide);
    (void)SetEvent(closed);
    ExitProcess(code); // a graph given up may hold locks that an orderly exit would wait for
}
