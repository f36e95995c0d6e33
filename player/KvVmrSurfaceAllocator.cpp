#include "KvVmrSurfaceAllocator.h"

#include <algorithm>
#include <new>

using Microsoft::WRL::ComPtr;

namespace {

// What a call that needs the device answers once a device re-creation has failed and none is
// left: the renderer then stops using this allocator.
constexpr HRESULT NoDevice = E_FAIL;

constexpr D3DCOLOR OpaqueBlack = 0xFF000000;

} // namespace

namespace {
volatile LONG g_presentingStopped = 0;
} // namespace

void CKvVmrSurfaceAllocator::StopPresenting() {
    InterlockedExchange(&g_presentingStopped, 1);
}

CKvVmrSurfaceAllocator::CKvVmrSurfaceAllocator(HWND window, bool* succeeded) : m_Window(window) {
    bool ok = false;
    {
        Hold hold(m_Lock);
        if (IsWindow(m_Window)) {
            // Adopts the new object's one reference (ComPtr::Attach adds one in mingw-w64's
            // WRL, so it is not used for this).
            *m_Direct3D.ReleaseAndGetAddressOf() = SystemDirect3D::ForAllocator();
            if (m_Direct3D) {
                ok = SetUpDevice();
            }
        }
    }
    if (succeeded) {
        *succeeded = ok;
    }
}

CKvVmrSurfaceAllocator::~CKvVmrSurfaceAllocator() {
    ReleaseSurfaces();
    // The fields go in reverse order of declaration: the scene, the surface table, the sink,
    // the copy chain, the render target, the device, the Direct3D object, the lock.
}

bool CKvVmrSurfaceAllocator::SetUpDevice() {
    // The render target belongs to the old device; it is useless once that device is gone.
    m_RenderTarget.Reset();
    m_Device.Reset();

    D3DDISPLAYMODE mode{};
    if (FAILED(m_Direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        return false;
    }
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 0; // the window's client size now
    pp.BackBufferHeight = 0;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = m_Window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = FALSE;
    pp.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    pp.Flags = 0;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    ComPtr<IDirect3DDevice9> device;
    if (FAILED(m_Direct3D->CreateDevice(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window,
            D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &pp, &device))) {
        return false;
    }
    m_Device = device;
    return SUCCEEDED(m_Device->GetRenderTarget(0, &m_RenderTarget));
}

void CKvVmrSurfaceAllocator::ReleaseSurfaces() {
    Hold hold(m_Lock);
    DropCopyChain();
    m_Copying = false;
    for (ComPtr<IDirect3DSurface9>& surface : m_Surfaces) {
        surface.Reset();
    }
}

STDMETHODIMP CKvVmrSurfaceAllocator::QueryInterface(REFIID riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, IID_IVMRSurfaceAllocator9) || IsEqualGUID(riid, IID_IUnknown)) {
        *object = static_cast<IVMRSurfaceAllocator9*>(this);
    } else if (IsEqualGUID(riid, IID_IVMRImagePresenter9)) {
        *object = static_cast<IVMRImagePresenter9*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CKvVmrSurfaceAllocator::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_RefCount));
}

STDMETHODIMP_(ULONG) CKvVmrSurfaceAllocator::Release() {
    LONG count = InterlockedDecrement(&m_RefCount);
    if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CKvVmrSurfaceAllocator::InitializeDevice(DWORD_PTR, VMR9AllocationInfo* info,
                                                      DWORD* count) {
    if (!count || !info) {
        return E_POINTER;
    }
    if (!m_Notify) {
        return E_FAIL;
    }
    if (!m_Device) {
        return NoDevice;
    }
    // The renderer always asks for at least one surface; with none there is no first table
    // entry to allocate into.
    if (*count == 0) {
        return E_INVALIDARG;
    }
    // A size no Direct3D 9 surface can have is refused, so that the renderer looks for
    // another way: under Wine a bottom-up RGB stream comes with a negative height here
    // (0xFFFFFF10 for -240), and the surface made for it keeps Direct3D's lock for every tile
    // of the process while its pixels are cleared.
    constexpr DWORD kLargestSide = 16384;
    if (info->dwWidth == 0 || info->dwHeight == 0 || info->dwWidth > kLargestSide ||
        info->dwHeight > kLargestSide) {
        return E_INVALIDARG;
    }

    // The picture's own size: on a device that demands power-of-two textures the surfaces
    // grow past it, and only this part of them holds the picture.
    const UINT pictureWidth = info->dwWidth;
    const UINT pictureHeight = info->dwHeight;
    D3DCAPS9 caps{};
    (void)m_Device->GetDeviceCaps(&caps);
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        PowerOfTwoSurface pow2 = PowerOfTwoFor(info->dwWidth, info->dwHeight);
        m_Scene.SetTextureExtent(pow2.U, pow2.V);
        info->dwWidth = pow2.Width;
        info->dwHeight = pow2.Height;
    }
    info->dwFlags |= VMR9AllocFlag_TextureSurface;

    ReleaseSurfaces();
    try {
        m_Surfaces.resize(*count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    // The table is handed over as an array of plain surface pointers.
    static_assert(sizeof(ComPtr<IDirect3DSurface9>) == sizeof(IDirect3DSurface9*));
    HRESULT hr = m_Notify->AllocateSurfaceHelper(info, count, m_Surfaces[0].GetAddressOf());
    if (FAILED(hr)) {
        if (info->dwFlags & VMR9AllocFlag_3DRenderTarget) {
            return hr;
        }
        ReleaseSurfaces();
        // Offscreen surfaces have no texture of their own, whatever their format: every frame
        // is copied into the copy chain's back buffer, made here for the first frame's shape.
        D3DDISPLAYMODE mode{};
        hr = m_Device->GetDisplayMode(0, &mode);
        if (FAILED(hr)) {
            return hr;
        }
        D3DSURFACE_DESC target{}; // without a size: a one-pixel layout, grown at need
        if (m_RenderTarget) {
            (void)m_RenderTarget->GetDesc(&target);
        }
        m_CopyFormat = mode.Format;
        m_FrameWidth = pictureWidth;
        m_FrameHeight = pictureHeight;
        const PictureLayout first = LayoutPicture(
            static_cast<int32_t>(target.Width), static_cast<int32_t>(target.Height), m_FrameWidth,
            m_FrameHeight, info->szAspectRatio.cx, info->szAspectRatio.cy);
        hr = PrepareCopy(first);
        if (FAILED(hr)) {
            return hr;
        }
        m_Copying = true;
        info->dwFlags &= ~static_cast<DWORD>(VMR9AllocFlag_TextureSurface);
        info->dwFlags |= VMR9AllocFlag_OffscreenSurface;
        hr = m_Notify->AllocateSurfaceHelper(info, count, m_Surfaces[0].GetAddressOf());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return m_Scene.Prepare(m_Device.Get());
}

STDMETHODIMP CKvVmrSurfaceAllocator::TerminateDevice(DWORD_PTR) {
    ReleaseSurfaces();
    return S_OK;
}

STDMETHODIMP CKvVmrSurfaceAllocator::GetSurface(DWORD_PTR, DWORD index, DWORD,
                                                IDirect3DSurface9** surface) {
    if (!surface) {
        return E_POINTER;
    }
    if (index >= m_Surfaces.size()) {
        return E_FAIL;
    }
    Hold hold(m_Lock);
    *surface = m_Surfaces[index].Get();
    if (*surface) {
        (*surface)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CKvVmrSurfaceAllocator::AdviseNotify(IVMRSurfaceAllocatorNotify9* notify) {
    if (!notify) {
        return E_POINTER;
    }
    Hold hold(m_Lock);
    if (m_Notify.Get() != notify) {
        m_Notify = notify;
    }
    if (!m_Device) {
        return NoDevice;
    }
    HMONITOR monitor = m_Direct3D->GetAdapterMonitor(D3DADAPTER_DEFAULT);
    return m_Notify->SetD3DDevice(m_Device.Get(), monitor);
}

STDMETHODIMP CKvVmrSurfaceAllocator::StartPresenting(DWORD_PTR) {
    Hold hold(m_Lock);
    return m_Device ? S_OK : E_FAIL;
}

STDMETHODIMP CKvVmrSurfaceAllocator::StopPresenting(DWORD_PTR) {
    return S_OK;
}

STDMETHODIMP CKvVmrSurfaceAllocator::PresentImage(DWORD_PTR, VMR9PresentationInfo* info) {
    if (g_presentingStopped != 0)
        return S_OK; // dropped: the saver is closing
    Hold hold(m_Lock);
    if (!m_Device) {
        return NoDevice;
    }
    HRESULT hr = DrawFrame(info);
    if (hr != D3DERR_DEVICELOST) {
        return hr;
    }
    if (m_Device->TestCooperativeLevel() != D3DERR_DEVICENOTRESET) {
        return S_OK; // dropped; the next frame tries again
    }
    ReleaseSurfaces();
    if (!SetUpDevice()) {
        return E_FAIL;
    }
    if (!m_Notify) {
        return E_FAIL; // no renderer to hand the new device to
    }
    HMONITOR monitor = m_Direct3D->GetAdapterMonitor(D3DADAPTER_DEFAULT);
    hr = m_Notify->ChangeD3DDevice(m_Device.Get(), monitor);
    if (FAILED(hr)) {
        return hr;
    }
    return S_OK;
}

HRESULT CKvVmrSurfaceAllocator::DrawFrame(VMR9PresentationInfo* info) {
    if (!info || !info->lpSurf) {
        return E_POINTER;
    }
    Hold hold(m_Lock);
    if (!m_Device) {
        return NoDevice;
    }
    HRESULT hr;
    if (m_Copying) {
        hr = CopyFrame(info->lpSurf, info->szAspectRatio.cx, info->szAspectRatio.cy);
    } else {
        (void)m_Device->SetRenderTarget(0, m_RenderTarget.Get());
        ComPtr<IDirect3DTexture9> texture;
        hr = info->lpSurf->GetContainer(__uuidof(IDirect3DTexture9),
                                        reinterpret_cast<void**>(texture.GetAddressOf()));
        if (FAILED(hr)) {
            return hr;
        }
        hr = m_Scene.Draw(m_Device.Get(), texture.Get(), info->szAspectRatio.cx,
                          info->szAspectRatio.cy);
        if (FAILED(hr)) {
            return hr;
        }
        hr = m_Device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    if (SUCCEEDED(hr)) {
        InterlockedIncrement(&m_PresentedFrames);
    }
    return hr;
}

void CKvVmrSurfaceAllocator::DropCopyChain() {
    m_ShrinkSource.Reset();
    m_CopyTarget.Reset();
    m_CopyChain.Reset();
    m_CopyChainWidth = 0;
    m_CopyChainHeight = 0;
    m_CopyLayout = {};
}

HRESULT CKvVmrSurfaceAllocator::MakeCopyChain(UINT width, UINT height) {
    DropCopyChain();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = m_CopyFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY; // keeps the margins between frames; allows a source rect
    pp.hDeviceWindow = m_Window;
    pp.Windowed = TRUE;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    ComPtr<IDirect3DSwapChain9> chain;
    HRESULT hr = m_Device->CreateAdditionalSwapChain(&pp, &chain);
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IDirect3DSurface9> target;
    hr = chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &target);
    if (FAILED(hr)) {
        return hr;
    }
    m_CopyChain = chain;
    m_CopyTarget = target;
    m_CopyChainWidth = width;
    m_CopyChainHeight = height;
    return S_OK;
}

// Makes what a layout needs that is not there yet: a copy chain at least as large as its
// buffer, and the frame-sized surface a shrunk frame is converted into first.
HRESULT CKvVmrSurfaceAllocator::PrepareCopy(const PictureLayout& layout) {
    const auto width = static_cast<UINT>(layout.BufferWidth);
    const auto height = static_cast<UINT>(layout.BufferHeight);
    HRESULT hr = S_OK;
    if (width > m_CopyChainWidth || height > m_CopyChainHeight) {
        hr = MakeCopyChain(std::max(width, m_CopyChainWidth), std::max(height, m_CopyChainHeight));
    }
    const bool shrunk = static_cast<UINT>(layout.PictureWidth) < m_FrameWidth ||
                        static_cast<UINT>(layout.PictureHeight) < m_FrameHeight;
    if (SUCCEEDED(hr) && shrunk && !m_ShrinkSource) {
        hr = m_Device->CreateRenderTarget(m_FrameWidth, m_FrameHeight, m_CopyFormat,
                                          D3DMULTISAMPLE_NONE, 0, FALSE, &m_ShrinkSource, nullptr);
    }
    return hr;
}

// A frame that is no texture is shown without a pass of its own through the scene: it is put
// (converted from its video format) into a back buffer of about the picture's size, with
// black margins, and Present stretches that with bilinear filtering onto the window, so that
// the picture lands on the rectangle the plane would give it and the margins make the bands.
// The window-sized back buffer, its clear and its textured quad cost several times more on a
// device that draws on the CPU, and so does a filtered StretchRect onto a large rectangle: a
// frame is scaled by StretchRect only where it shrinks (a small destination).
HRESULT CKvVmrSurfaceAllocator::CopyFrame(IDirect3DSurface9* frame, LONG cx, LONG cy) {
    const PictureLayout layout = LayoutPicture(m_Scene.TargetWidth(), m_Scene.TargetHeight(),
                                               m_FrameWidth, m_FrameHeight, cx, cy);
    HRESULT hr;
    if (!(layout == m_CopyLayout)) {
        // A new shape, or a swap chain that could not be made before: the margins are painted
        // once, the swap chain keeps them.
        hr = PrepareCopy(layout);
        if (FAILED(hr)) {
            return hr;
        }
        hr = m_Device->ColorFill(m_CopyTarget.Get(), nullptr, OpaqueBlack);
        if (FAILED(hr)) {
            return hr;
        }
        m_CopyLayout = layout;
    }
    if (layout.PictureWidth > 0 && layout.PictureHeight > 0) {
        const RECT picture = {layout.PictureLeft, layout.PictureTop,
                              layout.PictureLeft + layout.PictureWidth,
                              layout.PictureTop + layout.PictureHeight};
        // Only the picture's part of the frame: a surface grown to powers of two holds
        // nothing past it.
        const RECT own = {0, 0, static_cast<LONG>(m_FrameWidth), static_cast<LONG>(m_FrameHeight)};
        if (static_cast<UINT>(layout.PictureWidth) == m_FrameWidth &&
            static_cast<UINT>(layout.PictureHeight) == m_FrameHeight) {
            hr = m_Device->StretchRect(frame, &own, m_CopyTarget.Get(), &picture, D3DTEXF_NONE);
        } else {
            // Converted at its own size first: one filtered stretch straight out of YV12
            // leaves the picture's last column black under Wine (measured).
            hr = m_Device->StretchRect(frame, &own, m_ShrinkSource.Get(), nullptr, D3DTEXF_NONE);
            if (SUCCEEDED(hr)) {
                hr = m_Device->StretchRect(m_ShrinkSource.Get(), nullptr, m_CopyTarget.Get(),
                                           &picture, D3DTEXF_LINEAR);
            }
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    const RECT shown = {0, 0, layout.BufferWidth, layout.BufferHeight};
    const RECT onWindow = {layout.TargetLeft, layout.TargetTop, layout.TargetRight,
                           layout.TargetBottom};
    return m_CopyChain->Present(&shown, &onWindow, nullptr, nullptr, 0);
}
