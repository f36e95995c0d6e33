#pragma once
// Windows, doubles and picture checks shared by the player tests.
#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "D3D9Forwarders.h"

namespace player_test {

using Microsoft::WRL::ComPtr;

// Takes over a new object's one reference (mingw-w64's ComPtr::Attach adds another).
template <class T, class U> void Adopt(ComPtr<T>& holder, U* object) {
    *holder.ReleaseAndGetAddressOf() = object;
}

// A borderless top-level window at the screen's top-left corner with one child of the given
// client size, the way a saver tile sits in its host.
class TestWindow {
public:
    TestWindow(int width, int height);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Child() const { return m_Child; }

private:
    HWND m_Top = nullptr;
    HWND m_Child = nullptr;
};

// Pumps this thread's messages until the condition holds or the time runs out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
void PumpFor(DWORD ms);

// The full Windows path of a test clip.
std::wstring ClipPath(const char* name);

// An XRGB picture; pixel (x, y) with y downwards.
struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
// Back buffer 0 of a device, read back through a system-memory surface.
bool ReadBackBuffer(IDirect3DDevice9* device, Picture* picture);
// What the screen shows of a window's client area (GDI, from the screen).
bool CaptureWindow(HWND window, Picture* picture);

// Checks that the picture shows the four colour quadrants (red, green / blue, white) in the
// rectangle (left, top, width, height) and black outside it. Returns a description of the
// first mismatch, or an empty string.
std::string CheckQuadrants(const Picture& picture, int left, int top, int width, int height);

// Paints the quadrant pattern over the top-left width x height of a surface.
HRESULT PaintQuadrants(IDirect3DDevice9* device, IDirect3DSurface9* surface, UINT width,
                       UINT height);

// A device that passes everything on to a real one but can pretend to be lost or to demand
// power-of-two textures.
class DeviceDouble : public ForwardingDevice9 {
public:
    explicit DeviceDouble(IDirect3DDevice9* inner) : ForwardingDevice9(inner) {}
    virtual ~DeviceDouble() = default;
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_Refs); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Present(const RECT* source, const RECT* dest, HWND window,
                         const RGNDATA* dirty) override;
    STDMETHODIMP TestCooperativeLevel() override { return CooperativeLevel; }
    STDMETHODIMP GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type,
                               IDirect3DSurface9** surface) override;
    STDMETHODIMP BeginScene() override;
    STDMETHODIMP EndScene() override;
    STDMETHODIMP DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override;
    STDMETHODIMP GetDeviceCaps(D3DCAPS9* caps) override;
    STDMETHODIMP StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                             IDirect3DSurface9* dest, const RECT* destRect,
                             D3DTEXTUREFILTERTYPE filter) override;

    HRESULT PresentResult = S_OK; // anything but S_OK is answered without presenting
    HRESULT CooperativeLevel = D3D_OK;
    bool DemandPowerOfTwo = false;
    HRESULT BackBufferResult = S_OK; // a failure is answered without a back buffer
    HRESULT BeginSceneResult = S_OK;
    HRESULT DrawResult = S_OK; // a failure is answered without drawing
    int EndSceneCalls = 0;
    RECT StretchedFrom{}; // the bounds of what every StretchRect read from its source

private:
    volatile LONG m_Refs = 1;
};

// The system's Direct3DCreate9. This test program links its own SystemDirect3DCreate9, which
// hands out counted Direct3DDoubles, so that every Direct3D object the product makes is seen.
IDirect3D9* RealDirect3DCreate9(UINT sdkVersion);
// Direct3DDoubles alive now.
int LiveDirect3DObjects();

class Direct3DDouble;
// How the next Direct3D objects the product makes behave.
struct Direct3DSettings {
    bool FailCreate = false;
    bool DemandPowerOfTwo = false;
};
extern Direct3DSettings NextDirect3D;
// The Direct3D object the product made last, while it lives.
Direct3DDouble* LastDirect3D();

// A Direct3D object whose devices are DeviceDoubles, or which cannot make one.
class Direct3DDouble : public ForwardingDirect3D9 {
public:
    // Takes over the real object's reference.
    explicit Direct3DDouble(IDirect3D9* real);
    virtual ~Direct3DDouble();
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_Refs); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                              D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** device) override;

    bool FailCreate = false;
    bool DemandPowerOfTwo = false;
    int CreateCalls = 0;
    DWORD LastBehaviour = 0;
    D3DPRESENT_PARAMETERS LastParameters{};
    ComPtr<DeviceDouble> LastDevice;

private:
    volatile LONG m_Refs = 1;
};

// Stands in for the renderer's side of the allocator: it allocates surfaces the way it is
// told and records what it was asked.
class NotifyDouble : public IVMRSurfaceAllocatorNotify9 {
public:
    enum class Grant { Textures, OffscreenOnly, Nothing };
    virtual ~NotifyDouble() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_Refs); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP AdviseSurfaceAllocator(DWORD_PTR, IVMRSurfaceAllocator9*) override { return S_OK; }
    STDMETHODIMP SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override;
    STDMETHODIMP ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override;
    STDMETHODIMP AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count,
                                       IDirect3DSurface9** surfaces) override;
    STDMETHODIMP NotifyEvent(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
    LONG Refs() const { return m_Refs; }

    Grant Granted = Grant::Textures;
    HRESULT ChangeResult = S_OK;
    int SetDeviceCalls = 0;
    int ChangeDeviceCalls = 0;
    ComPtr<IDirect3DDevice9> Device;
    HMONITOR Monitor = nullptr;
    std::vector<VMR9AllocationInfo> Requests; // as each allocation saw it

private:
    volatile LONG m_Refs = 1;
};

} // namespace player_test
