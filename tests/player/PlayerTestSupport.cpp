#include "PlayerTestSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "OrsettaMedia.h"
#include "SystemDirect3D.h"
#include "TestFiles.h"

namespace player_test {

namespace {

const wchar_t* WindowClass() {
    static const wchar_t name[] = L"OrsettaPlayerTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = name;
        registered = RegisterClassW(&wc) != 0;
    }
    return name;
}

int Channel(uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

// Colours are compared loosely: the clips are compressed and chroma is subsampled.
bool Near(uint32_t pixel, uint32_t expected) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(Channel(pixel, shift) - Channel(expected, shift)) > 48) {
            return false;
        }
    }
    return true;
}

} // namespace

TestWindow::TestWindow(int width, int height) {
    m_Top = CreateWindowExW(0, WindowClass(), L"player test", WS_POPUP | WS_VISIBLE, 0, 0, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    m_Child = CreateWindowExW(0, WindowClass(), L"tile", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                              m_Top, nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpFor(50);
}

TestWindow::~TestWindow() {
    if (m_Top) {
        DestroyWindow(m_Top);
    }
    PumpFor(10);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

std::wstring ClipPath(const char* name) {
    std::string path = std::string(ORSETTA_MEDIA_DIR) + "/" + name;
    std::wstring wide;
    if (!path.empty() && path[0] == '/') {
        wide = L"Z:"; // the build tree seen from Wine
    }
    for (char c : path) {
        wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return wide;
}

bool ReadBackBuffer(IDirect3DDevice9* device, Picture* picture) {
    ComPtr<IDirect3DSurface9> back, copy;
    D3DSURFACE_DESC desc{};
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) ||
        FAILED(back->GetDesc(&desc)) ||
        FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
        FAILED(device->GetRenderTargetData(back.Get(), copy.Get()))) {
        return false;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    picture->Width = static_cast<int>(desc.Width);
    picture->Height = static_cast<int>(desc.Height);
    picture->Pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                            static_cast<size_t>(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            picture->Pixels[static_cast<size_t>(y) * desc.Width + x] = row[x] & 0xFFFFFF;
        }
    }
    copy->UnlockRect();
    return true;
}

bool CaptureWindow(HWND window, Picture* picture) {
    RECT rc;
    GetClientRect(window, &rc);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    int w = rc.right, h = rc.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = testing_support::CreateTopDownDib(memory, w, h, &bits);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY) != FALSE;
        GdiFlush();
        if (ok) {
            picture->Width = w;
            picture->Height = h;
            picture->Pixels.assign(static_cast<const uint32_t*>(bits),
                                   static_cast<const uint32_t*>(bits) + w * h);
            for (uint32_t& p : picture->Pixels) {
                p &= 0xFFFFFF;
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

std::string CheckQuadrants(const Picture& p, int left, int top, int width, int height) {
    char text[160];
    auto expect = [&](int x, int y, uint32_t colour, const char* what) -> bool {
        uint32_t got = p.At(x, y);
        if (Near(got, colour)) {
            return true;
        }
        std::snprintf(text, sizeof text, "%s at (%d, %d): got %06X, expected %06X", what, x, y,
                      static_cast<unsigned>(got), static_cast<unsigned>(colour));
        return false;
    };
    int qx[2] = {left + width / 4, left + width * 3 / 4};
    int qy[2] = {top + height / 4, top + height * 3 / 4};
    const uint32_t colours[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}};
    const char* names[2][2] = {{"red, top left", "green, top right"},
                               {"blue, bottom left", "white, bottom right"}};
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            if (!expect(qx[col], qy[row], colours[row][col], names[row][col])) {
                return text;
            }
        }
    }
    // Bands: a few pixels in from the picture's edges, where there is room.
    if (top >= 4 &&
        (!expect(p.Width / 2, top / 2, 0, "band above") ||
         !expect(p.Width / 2, top + height + (p.Height - top - height) / 2, 0, "band below"))) {
        return text;
    }
    if (left >= 4 &&
        (!expect(left / 2, p.Height / 2, 0, "band left") ||
         !expect(left + width + (p.Width - left - width) / 2, p.Height / 2, 0, "band right"))) {
        return text;
    }
    return {};
}

HRESULT PaintQuadrants(IDirect3DDevice9* device, IDirect3DSurface9* surface, UINT width,
                       UINT height) {
    const LONG w = static_cast<LONG>(width), h = static_cast<LONG>(height);
    const struct {
        RECT Rect;
        D3DCOLOR Colour;
    } parts[] = {{{0, 0, w / 2, h / 2}, 0xFFFF0000},
                 {{w / 2, 0, w, h / 2}, 0xFF00FF00},
                 {{0, h / 2, w / 2, h}, 0xFF0000FF},
                 {{w / 2, h / 2, w, h}, 0xFFFFFFFF}};
    for (const auto& part : parts) {
        HRESULT hr = device->ColorFill(surface, &part.Rect, part.Colour);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

STDMETHODIMP DeviceDouble::QueryInterface(REFIID riid, void** object) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, __uuidof(IDirect3DDevice9))) {
        *object = static_cast<IDirect3DDevice9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DeviceDouble::Release() {
    LONG n = InterlockedDecrement(&m_Refs);
    if (n == 0) {
        delete this;
    }
    return static_cast<ULONG>(n);
}

STDMETHODIMP DeviceDouble::Present(const RECT* source, const RECT* dest, HWND window,
                                   const RGNDATA* dirty) {
    if (PresentResult != S_OK) {
        return PresentResult;
    }
    return m_Inner->Present(source, dest, window, dirty);
}

STDMETHODIMP DeviceDouble::GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type,
                                         IDirect3DSurface9** surface) {
    if (FAILED(BackBufferResult)) {
        return BackBufferResult;
    }
    return m_Inner->GetBackBuffer(chain, index, type, surface);
}

STDMETHODIMP DeviceDouble::BeginScene() {
    return FAILED(BeginSceneResult) ? BeginSceneResult : m_Inner->BeginScene();
}

STDMETHODIMP DeviceDouble::EndScene() {
    ++EndSceneCalls;
    return m_Inner->EndScene();
}

STDMETHODIMP DeviceDouble::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) {
    return FAILED(DrawResult) ? DrawResult : m_Inner->DrawPrimitive(type, start, count);
}

STDMETHODIMP DeviceDouble::GetDeviceCaps(D3DCAPS9* caps) {
    HRESULT hr = m_Inner->GetDeviceCaps(caps);
    if (SUCCEEDED(hr) && DemandPowerOfTwo) {
        caps->TextureCaps |= D3DPTEXTURECAPS_POW2;
    }
    return hr;
}

STDMETHODIMP DeviceDouble::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                       IDirect3DSurface9* dest, const RECT* destRect,
                                       D3DTEXTUREFILTERTYPE filter) {
    RECT read{};
    D3DSURFACE_DESC desc{};
    if (sourceRect) {
        read = *sourceRect;
    } else if (source && SUCCEEDED(source->GetDesc(&desc))) {
        read = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    }
    (void)UnionRect(&StretchedFrom, &StretchedFrom, &read); // empty when both are
    return m_Inner->StretchRect(source, sourceRect, dest, destRect, filter);
}

namespace {
std::atomic<int> liveDirect3D{0};
Direct3DDouble* lastDirect3D = nullptr;
} // namespace

Direct3DSettings NextDirect3D;

Direct3DDouble* LastDirect3D() {
    return lastDirect3D;
}

IDirect3D9* RealDirect3DCreate9(UINT sdkVersion) {
    using Create = IDirect3D9*(WINAPI*)(UINT);
    static Create real = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"d3d9.dll"), "Direct3DCreate9")));
    return real ? real(sdkVersion) : nullptr;
}

int LiveDirect3DObjects() {
    return liveDirect3D;
}

Direct3DDouble::Direct3DDouble(IDirect3D9* real) : ForwardingDirect3D9(nullptr) {
    Adopt(m_Inner, real);
    ++liveDirect3D;
}

Direct3DDouble::~Direct3DDouble() {
    --liveDirect3D;
    if (lastDirect3D == this) {
        lastDirect3D = nullptr;
    }
}

STDMETHODIMP Direct3DDouble::QueryInterface(REFIID riid, void** object) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, __uuidof(IDirect3D9))) {
        *object = static_cast<IDirect3D9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Direct3DDouble::Release() {
    LONG n = InterlockedDecrement(&m_Refs);
    if (n == 0) {
        delete this;
    }
    return static_cast<ULONG>(n);
}

STDMETHODIMP Direct3DDouble::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                          D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** device) {
    ++CreateCalls;
    LastBehaviour = flags;
    LastParameters = *pp;
    if (FailCreate) {
        return D3DERR_NOTAVAILABLE;
    }
    ComPtr<IDirect3DDevice9> real;
    HRESULT hr = m_Inner->CreateDevice(adapter, type, focus, flags, pp, &real);
    if (FAILED(hr)) {
        return hr;
    }
    Adopt(LastDevice, new DeviceDouble(real.Get()));
    LastDevice->DemandPowerOfTwo = DemandPowerOfTwo;
    *device = LastDevice.Get();
    (*device)->AddRef();
    return S_OK;
}

STDMETHODIMP NotifyDouble::QueryInterface(REFIID riid, void** object) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IVMRSurfaceAllocatorNotify9)) {
        *object = static_cast<IVMRSurfaceAllocatorNotify9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) NotifyDouble::Release() {
    LONG n = InterlockedDecrement(&m_Refs);
    if (n == 0) {
        delete this;
    }
    return static_cast<ULONG>(n);
}

STDMETHODIMP NotifyDouble::SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) {
    ++SetDeviceCalls;
    Device = device;
    Monitor = monitor;
    return S_OK;
}

STDMETHODIMP NotifyDouble::ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) {
    ++ChangeDeviceCalls;
    Device = device;
    Monitor = monitor;
    return ChangeResult;
}

STDMETHODIMP NotifyDouble::AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count,
                                                 IDirect3DSurface9** surfaces) {
    Requests.push_back(*info);
    if (!Device) {
        return E_FAIL;
    }
    bool texture = (info->dwFlags & VMR9AllocFlag_TextureSurface) != 0;
    bool offscreen = (info->dwFlags & VMR9AllocFlag_OffscreenSurface) != 0;
    if ((texture && Granted != Grant::Textures) || (!texture && !offscreen) ||
        Granted == Grant::Nothing) {
        return E_INVALIDARG;
    }
    for (DWORD i = 0; i < *count; ++i) {
        HRESULT hr;
        if (texture) {
            ComPtr<IDirect3DTexture9> t;
            hr = Device->CreateTexture(info->dwWidth, info->dwHeight, 1, D3DUSAGE_RENDERTARGET,
                                       info->Format, D3DPOOL_DEFAULT, &t, nullptr);
            if (SUCCEEDED(hr)) {
                hr = t->GetSurfaceLevel(0, &surfaces[i]);
            }
        } else {
            hr = Device->CreateOffscreenPlainSurface(info->dwWidth, info->dwHeight, info->Format,
                                                     D3DPOOL_DEFAULT, &surfaces[i], nullptr);
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

} // namespace player_test

// Replaces the product's Direct3DCreate9 for this program.
IDirect3D9* SystemDirect3DCreate9(UINT sdkVersion) {
    IDirect3D9* real = player_test::RealDirect3DCreate9(sdkVersion);
    if (!real) {
        return nullptr;
    }
    auto* made = new player_test::Direct3DDouble(real);
    made->FailCreate = player_test::NextDirect3D.FailCreate;
    made->DemandPowerOfTwo = player_test::NextDirect3D.DemandPowerOfTwo;
    player_test::lastDirect3D = made;
    return made;
}
