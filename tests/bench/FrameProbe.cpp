// The C view of the Direct3D 9 interfaces: their vtables as structures, so that a slot is
// named rather than counted.
#define CINTERFACE
#include "FrameProbe.h"

#include <windows.h>
#include <d3d9.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"

namespace bench {

namespace {

struct Slot {
    const char* Name;
    bool Skip = false;
    volatile LONG64 Calls = 0;
    volatile LONG64 Ticks = 0;
    LONG64 CallsAtStart = 0;
    LONG64 TicksAtStart = 0;
};

std::vector<Slot*>& Slots() {
    static std::vector<Slot*> slots;
    return slots;
}

bool g_started = false;

LONG64 Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Times one call into its slot.
class Timed {
public:
    explicit Timed(Slot& slot) : m_slot(slot), m_start(Ticks()) {}
    ~Timed() {
        InterlockedIncrement64(&m_slot.Calls);
        InterlockedAdd64(&m_slot.Ticks, Ticks() - m_start);
    }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    Slot& m_slot;
    LONG64 m_start;
};

// One hooked method: its slot, the original entry, and the replacement, which answers
// S_OK at once when the slot is skipped and otherwise times the original.
#define PROBE_HOOK(Iface, Method, Params, Args)                                                    \
    Slot g_slot_##Iface##_##Method{#Iface "::" #Method};                                           \
    decltype(Iface##Vtbl::Method) g_orig_##Iface##_##Method = nullptr;                             \
    HRESULT STDMETHODCALLTYPE Hook_##Iface##_##Method Params {                                     \
        if (g_slot_##Iface##_##Method.Skip)                                                        \
            return S_OK;                                                                           \
        Timed timed(g_slot_##Iface##_##Method);                                                    \
        return g_orig_##Iface##_##Method Args;                                                     \
    }

// The first calls are described, so that what each presenter asks for can be read.
volatile LONG g_described = 0;
void DescribeRect(const char* what, const RECT* r) {
    char text[96];
    if (r == nullptr)
        std::snprintf(text, sizeof text, "%s none", what);
    else
        std::snprintf(text, sizeof text, "%s %ld,%ld,%ld,%ld", what, r->left, r->top, r->right,
                      r->bottom);
    ReportText("probe_call", text);
}

Slot g_slot_IDirect3DDevice9_Present{"IDirect3DDevice9::Present"};
decltype(IDirect3DDevice9Vtbl::Present) g_orig_IDirect3DDevice9_Present = nullptr;
HRESULT STDMETHODCALLTYPE Hook_IDirect3DDevice9_Present(IDirect3DDevice9* self, const RECT* a,
                                                        const RECT* b, HWND c, const RGNDATA* d) {
    if (InterlockedIncrement(&g_described) == 50) {
        DescribeRect("Present source", a);
        DescribeRect("Present destination", b);
        char text[96];
        RECT client = {};
        GetClientRect(c, &client);
        std::snprintf(text, sizeof text, "Present override window %p (client %ldx%ld)",
                      static_cast<void*>(c), client.right, client.bottom);
        ReportText("probe_call", text);
        IDirect3DSwapChain9* chain = nullptr;
        D3DPRESENT_PARAMETERS pp = {};
        if (SUCCEEDED(self->lpVtbl->GetSwapChain(self, 0, &chain))) {
            chain->lpVtbl->GetPresentParameters(chain, &pp);
            chain->lpVtbl->Release(chain);
            GetClientRect(pp.hDeviceWindow, &client);
            std::snprintf(
                text, sizeof text,
                "swap chain %ux%u format %d count %u swap effect %d interval %x flags %lx "
                "window %p (client %ldx%ld)",
                pp.BackBufferWidth, pp.BackBufferHeight, pp.BackBufferFormat, pp.BackBufferCount,
                pp.SwapEffect, pp.PresentationInterval, pp.Flags,
                static_cast<void*>(pp.hDeviceWindow), client.right, client.bottom);
            ReportText("probe_call", text);
        }
        D3DDEVICE_CREATION_PARAMETERS created = {};
        if (SUCCEEDED(self->lpVtbl->GetCreationParameters(self, &created))) {
            std::snprintf(text, sizeof text, "device behaviour %lx", created.BehaviorFlags);
            ReportText("probe_call", text);
        }
    }
    if (g_slot_IDirect3DDevice9_Present.Skip)
        return S_OK;
    Timed timed(g_slot_IDirect3DDevice9_Present);
    return g_orig_IDirect3DDevice9_Present(self, a, b, c, d);
}
Slot g_slot_IDirect3DDevice9_StretchRect{"IDirect3DDevice9::StretchRect"};
decltype(IDirect3DDevice9Vtbl::StretchRect) g_orig_IDirect3DDevice9_StretchRect = nullptr;
volatile LONG g_stretchDescribed = 0;
HRESULT STDMETHODCALLTYPE Hook_IDirect3DDevice9_StretchRect(IDirect3DDevice9* self,
                                                            IDirect3DSurface9* a, const RECT* b,
                                                            IDirect3DSurface9* c, const RECT* d,
                                                            D3DTEXTUREFILTERTYPE e) {
    if (InterlockedIncrement(&g_stretchDescribed) == 50) {
        D3DSURFACE_DESC from = {}, to = {};
        a->lpVtbl->GetDesc(a, &from);
        c->lpVtbl->GetDesc(c, &to);
        char text[128];
        std::snprintf(
            text, sizeof text,
            "StretchRect %ux%u format %x usage %lx -> %ux%u format %x usage %lx filter %d",
            from.Width, from.Height, from.Format, from.Usage, to.Width, to.Height, to.Format,
            to.Usage, e);
        ReportText("probe_call", text);
        DescribeRect("StretchRect source", b);
        DescribeRect("StretchRect destination", d);
    }
    if (g_slot_IDirect3DDevice9_StretchRect.Skip)
        return S_OK;
    Timed timed(g_slot_IDirect3DDevice9_StretchRect);
    return g_orig_IDirect3DDevice9_StretchRect(self, a, b, c, d, e);
}
PROBE_HOOK(IDirect3DDevice9, ColorFill,
           (IDirect3DDevice9 * self, IDirect3DSurface9* a, const RECT* b, D3DCOLOR c),
           (self, a, b, c))
PROBE_HOOK(IDirect3DDevice9, Clear,
           (IDirect3DDevice9 * self, DWORD a, const D3DRECT* b, DWORD c, D3DCOLOR d, float e,
            DWORD f),
           (self, a, b, c, d, e, f))
PROBE_HOOK(IDirect3DDevice9, BeginScene, (IDirect3DDevice9 * self), (self))
PROBE_HOOK(IDirect3DDevice9, EndScene, (IDirect3DDevice9 * self), (self))
PROBE_HOOK(IDirect3DDevice9, DrawPrimitive,
           (IDirect3DDevice9 * self, D3DPRIMITIVETYPE a, UINT b, UINT c), (self, a, b, c))
PROBE_HOOK(IDirect3DDevice9, DrawPrimitiveUP,
           (IDirect3DDevice9 * self, D3DPRIMITIVETYPE a, UINT b, const void* c, UINT d),
           (self, a, b, c, d))
PROBE_HOOK(IDirect3DDevice9, SetRenderTarget,
           (IDirect3DDevice9 * self, DWORD a, IDirect3DSurface9* b), (self, a, b))
PROBE_HOOK(IDirect3DDevice9, SetTexture,
           (IDirect3DDevice9 * self, DWORD a, IDirect3DBaseTexture9* b), (self, a, b))
PROBE_HOOK(IDirect3DDevice9, UpdateSurface,
           (IDirect3DDevice9 * self, IDirect3DSurface9* a, const RECT* b, IDirect3DSurface9* c,
            const POINT* d),
           (self, a, b, c, d))
PROBE_HOOK(IDirect3DSurface9, LockRect,
           (IDirect3DSurface9 * self, D3DLOCKED_RECT* a, const RECT* b, DWORD c), (self, a, b, c))
PROBE_HOOK(IDirect3DSurface9, UnlockRect, (IDirect3DSurface9 * self), (self))
PROBE_HOOK(IDirect3DSwapChain9, Present,
           (IDirect3DSwapChain9 * self, const RECT* a, const RECT* b, HWND c, const RGNDATA* d,
            DWORD e),
           (self, a, b, c, d, e))
PROBE_HOOK(IDirect3DVertexBuffer9, Lock,
           (IDirect3DVertexBuffer9 * self, UINT a, UINT b, void** c, DWORD d), (self, a, b, c, d))
PROBE_HOOK(IDirect3DDevice9, CreateAdditionalSwapChain,
           (IDirect3DDevice9 * self, D3DPRESENT_PARAMETERS* a, IDirect3DSwapChain9** b),
           (self, a, b))
PROBE_HOOK(IDirect3D9, CreateDevice,
           (IDirect3D9 * self, UINT a, D3DDEVTYPE b, HWND c, DWORD d, D3DPRESENT_PARAMETERS* e,
            IDirect3DDevice9** f),
           (self, a, b, c, d, e, f))

// Replaces one entry of a vtable shared by every object of its class in this process.
template <class Fn> bool Patch(Fn* entry, Fn hook, Fn* original, Slot& slot) {
    DWORD protection = 0;
    if (!VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &protection))
        return false;
    *original = *entry;
    *entry = hook;
    VirtualProtect(entry, sizeof(*entry), protection, &protection);
    Slots().push_back(&slot);
    return true;
}

#define PROBE_PATCH(vtbl, Iface, Method)                                                           \
    Patch(const_cast<decltype(Iface##Vtbl::Method)*>(&(vtbl)->Method), &Hook_##Iface##_##Method,   \
          &g_orig_##Iface##_##Method, g_slot_##Iface##_##Method)

LRESULT CALLBACK QuietProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
}

// A throwaway device on a hidden window gives the vtables of the classes to patch.
bool PatchVtables() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = QuietProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrsettaFrameProbe";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 64, 64, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (window == nullptr || d3d == nullptr)
        return false;
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    IDirect3DSurface9* surface = nullptr;
    IDirect3DSwapChain9* chain = nullptr;
    IDirect3DVertexBuffer9* buffer = nullptr;
    bool ok =
        SUCCEEDED(d3d->lpVtbl->CreateDevice(d3d, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)) &&
        SUCCEEDED(device->lpVtbl->CreateOffscreenPlainSurface(
            device, 16, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface, nullptr)) &&
        SUCCEEDED(device->lpVtbl->GetSwapChain(device, 0, &chain)) &&
        SUCCEEDED(device->lpVtbl->CreateVertexBuffer(device, 80, 0, 0, D3DPOOL_MANAGED, &buffer,
                                                     nullptr));
    if (ok) {
        const IDirect3DDevice9Vtbl* dv = device->lpVtbl;
        ok = PROBE_PATCH(dv, IDirect3DDevice9, Present) &&
             PROBE_PATCH(dv, IDirect3DDevice9, StretchRect) &&
             PROBE_PATCH(dv, IDirect3DDevice9, ColorFill) &&
             PROBE_PATCH(dv, IDirect3DDevice9, Clear) &&
             PROBE_PATCH(dv, IDirect3DDevice9, BeginScene) &&
             PROBE_PATCH(dv, IDirect3DDevice9, EndScene) &&
             PROBE_PATCH(dv, IDirect3DDevice9, DrawPrimitive) &&
             PROBE_PATCH(dv, IDirect3DDevice9, DrawPrimitiveUP) &&
             PROBE_PATCH(dv, IDirect3DDevice9, SetRenderTarget) &&
             PROBE_PATCH(dv, IDirect3DDevice9, SetTexture) &&
             PROBE_PATCH(dv, IDirect3DDevice9, UpdateSurface) &&
             PROBE_PATCH(dv, IDirect3DDevice9, CreateAdditionalSwapChain) &&
             PROBE_PATCH(surface->lpVtbl, IDirect3DSurface9, LockRect) &&
             PROBE_PATCH(surface->lpVtbl, IDirect3DSurface9, UnlockRect) &&
             PROBE_PATCH(chain->lpVtbl, IDirect3DSwapChain9, Present) &&
             PROBE_PATCH(buffer->lpVtbl, IDirect3DVertexBuffer9, Lock) &&
             PROBE_PATCH(d3d->lpVtbl, IDirect3D9, CreateDevice);
    }
    if (buffer)
        buffer->lpVtbl->Release(buffer);
    if (chain)
        chain->lpVtbl->Release(chain);
    if (surface)
        surface->lpVtbl->Release(surface);
    if (device)
        device->lpVtbl->Release(device);
    d3d->lpVtbl->Release(d3d);
    DestroyWindow(window);
    return ok;
}

void ApplySkips() {
    const char* skip = std::getenv("BENCH_SKIP");
    if (skip == nullptr)
        return;
    for (Slot* slot : Slots()) {
        // "Clear" names IDirect3DDevice9::Clear; a full name picks one class's method.
        const char* method = std::strstr(slot->Name, "::") + 2;
        std::string names = std::string(",") + skip + ",";
        slot->Skip = names.find(std::string(",") + slot->Name + ",") != std::string::npos ||
                     names.find(std::string(",") + method + ",") != std::string::npos;
        if (slot->Skip)
            ReportText("probe_skips", slot->Name);
    }
}

// Every thread of this process with its CPU time in clock ticks, from the kernel's
// per-thread figures (Wine shows the host's /proc on drive Z:). The threads the decoders
// start outside Windows are there too. Wine's server opens the files, so /proc/self would
// be the server: this process is found by a name given to its main thread.
struct ThreadTime {
    std::string Name;
    long long Ticks;
};

bool ReadSmallFile(const std::wstring& path, std::string* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[1024];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    if (!ok)
        return false;
    text->assign(buffer, read);
    return true;
}

std::wstring g_procDir; // "Z:\\proc\\<this process's host id>\\"

bool FindHostProcess() {
    // Unique among the processes of this machine, exited ones included (Wine reuses its
    // process ids): 13 hex digits of the performance counter.
    wchar_t mark[16];
    std::swprintf(mark, 16, L"ob%013llx",
                  static_cast<unsigned long long>(Ticks()) & 0xFFFFFFFFFFFFFull);
    // Not in every SDK's headers.
    using Describe = HRESULT(WINAPI*)(HANDLE, const wchar_t*);
    const auto describe = reinterpret_cast<Describe>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (describe == nullptr || FAILED(describe(GetCurrentThread(), mark)))
        return false;
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "%ls\n", mark);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9')
            continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + found.cFileName + L"\\";
        std::string comm;
        if (ReadSmallFile(dir + L"comm", &comm) && comm == narrow) {
            g_procDir = dir;
            break;
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return !g_procDir.empty();
}

std::map<std::wstring, ThreadTime> ReadThreadTimes() {
    std::map<std::wstring, ThreadTime> threads;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((g_procDir + L"task\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return threads;
    do {
        if (found.cFileName[0] == L'.')
            continue;
        std::string stat;
        if (!ReadSmallFile(g_procDir + L"task\\" + found.cFileName + L"\\stat", &stat))
            continue;
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            continue;
        ThreadTime t;
        t.Name = stat.substr(open + 1, close - open - 1);
        for (char& c : t.Name)
            if (c == ' ')
                c = '_';
        // After the name: state, then fields 4.. ; utime and stime are fields 14 and 15.
        unsigned long long utime = 0, stime = 0;
        if (std::sscanf(stat.c_str() + close + 2,
                        "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                        &stime) != 2)
            continue;
        t.Ticks = static_cast<long long>(utime + stime);
        threads[found.cFileName] = t;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return threads;
}

std::map<std::wstring, ThreadTime> g_threadsAtStart;

} // namespace

bool StartProbe() {
    if (std::getenv("BENCH_PROBE") == nullptr)
        return false;
    g_started = PatchVtables();
    if (!g_started) {
        ReportText("probe", "could not patch the Direct3D 9 vtables");
        return false;
    }
    ApplySkips();
    if (!FindHostProcess())
        ReportText("probe", "no thread times: this process was not found in /proc");
    return true;
}

void ProbeWindowStart() {
    if (!g_started)
        return;
    for (Slot* slot : Slots()) {
        slot->CallsAtStart = slot->Calls;
        slot->TicksAtStart = slot->Ticks;
    }
    g_threadsAtStart = ReadThreadTimes();
}

void ProbeWindowEnd(long frames) {
    if (!g_started || frames <= 0)
        return;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double perFrame = 1.0 / static_cast<double>(frames);
    char name[160];
    for (Slot* slot : Slots()) {
        const LONG64 calls = slot->Calls - slot->CallsAtStart;
        if (calls == 0)
            continue;
        const double us = static_cast<double>(slot->Ticks - slot->TicksAtStart) * 1e6 /
                          static_cast<double>(frequency.QuadPart);
        std::snprintf(name, sizeof name, "call_per_frame:%s", slot->Name);
        Report(name, static_cast<double>(calls) * perFrame);
        std::snprintf(name, sizeof name, "call_us_per_frame:%s", slot->Name);
        Report(name, us * perFrame);
    }
    // By thread name: the threads of one kind (every tile's renderer, say) together.
    const std::map<std::wstring, ThreadTime> end = ReadThreadTimes();
    std::map<std::string, long long> byName;
    for (const auto& [id, t] : end) {
        const auto before = g_threadsAtStart.find(id);
        byName[t.Name] += t.Ticks - (before != g_threadsAtStart.end() ? before->second.Ticks : 0);
    }
    for (const auto& [threadName, ticks] : byName) {
        if (ticks <= 0)
            continue;
        std::snprintf(name, sizeof name, "thread_ms_per_frame:%s", threadName.c_str());
        Report(name, static_cast<double>(ticks) * 10.0 * perFrame); // 100 ticks a second
    }
}

double ProbeCallMs(const char* name) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (const Slot* slot : Slots())
        if (std::strcmp(slot->Name, name) == 0)
            return static_cast<double>(slot->Ticks) * 1000.0 /
                   static_cast<double>(frequency.QuadPart);
    return 0.0;
}

} // namespace bench
