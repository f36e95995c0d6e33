#pragma once
#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>
#include <wrl/client.h>

#include <vector>

#include "KvPlaneScene.h"
#include "SystemDirect3D.h"

// The allocator-presenter of a Video Mixing Renderer 9 in renderless mode: it has the renderer
// allocate the frame surfaces on its own Direct3D 9 device, bound to one window, and draws
// every frame through the plane scene into that window. The renderer calls it on its own
// threads; one re-entrant lock guards the device and the surfaces.
class CKvVmrSurfaceAllocator : public IVMRSurfaceAllocator9, public IVMRImagePresenter9 {
public:
    // The object comes with one reference. *succeeded tells whether it could make its
    // Direct3D device for the window; only then may it be advised to a renderer.
    CKvVmrSurfaceAllocator(HWND window, bool* succeeded);

    CKvVmrSurfaceAllocator(const CKvVmrSurfaceAllocator&) = delete;
    CKvVmrSurfaceAllocator& operator=(const CKvVmrSurfaceAllocator&) = delete;

    // IUnknown (both interfaces share one identity and one count)
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IVMRSurfaceAllocator9
    STDMETHODIMP InitializeDevice(DWORD_PTR userId, VMR9AllocationInfo* info,
                                  DWORD* count) override;
    STDMETHODIMP TerminateDevice(DWORD_PTR userId) override;
    STDMETHODIMP GetSurface(DWORD_PTR userId, DWORD index, DWORD flags,
                            IDirect3DSurface9** surface) override;
    STDMETHODIMP AdviseNotify(IVMRSurfaceAllocatorNotify9* notify) override;

    // IVMRImagePresenter9
    STDMETHODIMP StartPresenting(DWORD_PTR userId) override;
    STDMETHODIMP StopPresenting(DWORD_PTR userId) override;
    STDMETHODIMP PresentImage(DWORD_PTR userId, VMR9PresentationInfo* info) override;

    // From now on the allocators of this process share one Direct3D object (see
    // SystemDirect3D::Share).
    static void ShareDirect3D() { SystemDirect3D::Share(); }

    // From now on no allocator of this process draws or presents (frames are dropped): the
    // saver is closing, and its windows leave the screen faster when nothing draws into them.
    static void StopPresenting();

    // Frames that reached the window (Present succeeded) since construction.
    LONG PresentedFrames() const { return m_PresentedFrames; }

protected:
    virtual ~CKvVmrSurfaceAllocator();

private:
    bool SetUpDevice();
    void ReleaseSurfaces();
    HRESULT DrawFrame(VMR9PresentationInfo* info);
    // The copy path (offscreen frames): see CopyFrame.
    HRESULT MakeCopyChain(UINT width, UINT height);
    HRESULT PrepareCopy(const PictureLayout& layout);
    void DropCopyChain();
    HRESULT CopyFrame(IDirect3DSurface9* frame, LONG cx, LONG cy);

    // Re-entrant; destroyed after every other field.
    struct Lock {
        Lock() { InitializeCriticalSection(&Section); }
        ~Lock() { DeleteCriticalSection(&Section); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        CRITICAL_SECTION Section;
    };
    // Holds the lock for the scope.
    class Hold {
    public:
        explicit Hold(Lock& lock) : m_Section(&lock.Section) { EnterCriticalSection(m_Section); }
        ~Hold() { LeaveCriticalSection(m_Section); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CRITICAL_SECTION* m_Section;
    };

    volatile LONG m_RefCount = 1;
    Lock m_Lock;
    HWND m_Window;
    Microsoft::WRL::ComPtr<IDirect3D9> m_Direct3D;
    Microsoft::WRL::ComPtr<IDirect3DDevice9> m_Device;
    Microsoft::WRL::ComPtr<IDirect3DSurface9> m_RenderTarget;
    // The copy path: a swap chain of its own on the window, whose back buffer takes every
    // frame (at its own size, or shrunk to its place) with black margins around it; Present
    // stretches it onto the window.
    bool m_Copying = false; // the surfaces are offscreen: frames go through the copy chain
    Microsoft::WRL::ComPtr<IDirect3DSwapChain9> m_CopyChain;
    Microsoft::WRL::ComPtr<IDirect3DSurface9> m_CopyTarget;   // its back buffer
    Microsoft::WRL::ComPtr<IDirect3DSurface9> m_ShrinkSource; // a frame to shrink, converted
    D3DFORMAT m_CopyFormat = D3DFMT_UNKNOWN;
    UINT m_CopyChainWidth = 0;
    UINT m_CopyChainHeight = 0;
    UINT m_FrameWidth = 0; // the picture's size in the frame surfaces (which may be larger)
    UINT m_FrameHeight = 0;
    PictureLayout m_CopyLayout{}; // what the back buffer holds now; all zero when nothing
    Microsoft::WRL::ComPtr<IVMRSurfaceAllocatorNotify9> m_Notify;
    std::vector<Microsoft::WRL::ComPtr<IDirect3DSurface9>> m_Surfaces;
    CKvPlaneScene m_Scene;
    volatile LONG m_PresentedFrames = 0;
};
