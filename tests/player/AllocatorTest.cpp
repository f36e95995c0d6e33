// The allocator-presenter driven the way a renderer drives it, through doubles of the renderer
// and of Direct3D. Wine's renderer never asks for texture surfaces and its devices are never
// lost, so these paths are only reachable this way.
#include "KvVmrSurfaceAllocator.h"

#include <gtest/gtest.h>

#include <string>

#include "AllocationCounter.h"
#include "PlayerTestSupport.h"

namespace {

using namespace player_test;

constexpr DWORD_PTR UserId = 0xACDCACDC;

class AllocatorTest : public ::testing::Test {
protected:
    AllocatorTest() {
        NextDirect3D = {};
        Adopt(notify, new NotifyDouble);
    }

    // A new allocator for the window; d3d becomes the Direct3D object it made.
    bool Construct(HWND target, ComPtr<CKvVmrSurfaceAllocator>& made) {
        bool ok = false;
        Adopt(made, new CKvVmrSurfaceAllocator(target, &ok));
        d3d = LastDirect3D();
        return ok;
    }

    void Create() {
        ASSERT_TRUE(Construct(window.Child(), allocator));
        ASSERT_EQ(S_OK, allocator->AdviseNotify(notify.Get()));
    }

    HRESULT Initialize(UINT width, UINT height, DWORD flags, DWORD count = 1) {
        request = VMR9AllocationInfo{};
        request.dwFlags = flags;
        request.dwWidth = width;
        request.dwHeight = height;
        request.Format = D3DFMT_X8R8G8B8;
        request.Pool = D3DPOOL_DEFAULT;
        request.MinBuffers = count;
        request.szAspectRatio = {static_cast<LONG>(width), static_cast<LONG>(height)};
        request.szNativeSize = request.szAspectRatio;
        return allocator->InitializeDevice(UserId, &request, &count);
    }

    ComPtr<IDirect3DSurface9> Surface(DWORD index) {
        ComPtr<IDirect3DSurface9> surface;
        EXPECT_EQ(S_OK, allocator->GetSurface(UserId, index, 0, &surface));
        return surface;
    }

    HRESULT Present(IDirect3DSurface9* surface, LONG cx, LONG cy) {
        info = VMR9PresentationInfo{};
        info.lpSurf = surface;
        info.szAspectRatio = {cx, cy};
        return allocator->PresentImage(UserId, &info);
    }

    // The back buffer shows the quadrants in the given rectangle, black elsewhere.
    void ExpectPicture(int left, int top, int width, int height) {
        Picture picture;
        ASSERT_TRUE(ReadBackBuffer(d3d->LastDevice.Get(), &picture));
        ASSERT_EQ(320, picture.Width);
        ASSERT_EQ(240, picture.Height);
        EXPECT_EQ("", CheckQuadrants(picture, left, top, width, height));
    }

    // Within 3 s the window shows the quadrants in the given rectangle, black elsewhere, and
    // nothing magenta (what lies past a picture) along its right edge. Returns the mismatch.
    std::string ShownOnWindow(int left, int top, int width, int height) {
        std::string mismatch;
        (void)WaitUntil(
            [&] {
                Picture picture;
                if (!CaptureWindow(window.Child(), &picture)) {
                    mismatch = "no capture";
                    return false;
                }
                mismatch = CheckQuadrants(picture, left, top, width, height);
                for (int y = 0; mismatch.empty() && y < picture.Height; y += 8) {
                    const uint32_t pixel = picture.At(picture.Width - 3, y);
                    if ((pixel >> 16 & 0xFF) > 200 && (pixel & 0xFF) > 200 &&
                        (pixel >> 8 & 0xFF) < 60) {
                        mismatch = "magenta at the right edge, row " + std::to_string(y);
                    }
                }
                return mismatch.empty();
            },
            3000);
        return mismatch;
    }

    TestWindow window{320, 240};
    ComPtr<Direct3DDouble> d3d;
    ComPtr<NotifyDouble> notify;
    ComPtr<CKvVmrSurfaceAllocator> allocator;
    VMR9AllocationInfo request{};
    VMR9PresentationInfo info{};
};

TEST_F(AllocatorTest, MakesAMultithreadedWindowedDeviceOnlyForAWindow) {
    Create();
    EXPECT_EQ(1, d3d->CreateCalls);
    EXPECT_EQ(DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED),
              d3d->LastBehaviour);
    const D3DPRESENT_PARAMETERS& pp = d3d->LastParameters;
    EXPECT_EQ(0u, pp.BackBufferWidth); // the window's client size
    EXPECT_EQ(D3DSWAPEFFECT_COPY, pp.SwapEffect);
    EXPECT_EQ(window.Child(), pp.hDeviceWindow);
    EXPECT_TRUE(pp.Windowed);
    EXPECT_FALSE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(1, notify->SetDeviceCalls);
    EXPECT_EQ(d3d->LastDevice.Get(), notify->Device.Get());
    EXPECT_NE(nullptr, notify->Monitor);

    ComPtr<Direct3DDouble> first = d3d;
    ComPtr<CKvVmrSurfaceAllocator> noWindow;
    EXPECT_FALSE(Construct(reinterpret_cast<HWND>(0x1234), noWindow));
    EXPECT_EQ(first.Get(), d3d.Get()); // no Direct3D object made
    EXPECT_EQ(1, d3d->CreateCalls);
    EXPECT_EQ(E_FAIL, noWindow->StartPresenting(UserId));

    NextDirect3D.FailCreate = true;
    ComPtr<CKvVmrSurfaceAllocator> noDevice;
    EXPECT_FALSE(Construct(window.Child(), noDevice));
    EXPECT_NE(first.Get(), d3d.Get());
    EXPECT_EQ(1, d3d->CreateCalls);
}

TEST_F(AllocatorTest, BothInterfacesShareOneIdentityAndOneCount) {
    Create();
    EXPECT_EQ(2u, allocator.Get()->AddRef());
    EXPECT_EQ(1u, allocator.Get()->Release());
    IVMRSurfaceAllocator9* primary = allocator.Get();
    ComPtr<IUnknown> unknown;
    ComPtr<IVMRSurfaceAllocator9> surfaceAllocator;
    ComPtr<IVMRImagePresenter9> presenter;
    ASSERT_EQ(S_OK, allocator->QueryInterface(IID_PPV_ARGS(&unknown)));
    ASSERT_EQ(S_OK, allocator->QueryInterface(IID_PPV_ARGS(&surfaceAllocator)));
    ASSERT_EQ(S_OK, surfaceAllocator->QueryInterface(IID_PPV_ARGS(&presenter)));
    EXPECT_EQ(static_cast<IUnknown*>(primary), unknown.Get());
    EXPECT_EQ(primary, surfaceAllocator.Get());
    EXPECT_NE(static_cast<void*>(primary), static_cast<void*>(presenter.Get()));
    ComPtr<IUnknown> back;
    ASSERT_EQ(S_OK, presenter->QueryInterface(IID_PPV_ARGS(&back)));
    EXPECT_EQ(unknown.Get(), back.Get());

    // One count: ours + unknown + surfaceAllocator + presenter + back = 5, whichever side.
    EXPECT_EQ(6u, presenter.Get()->AddRef());
    EXPECT_EQ(5u, surfaceAllocator.Get()->Release());
    EXPECT_EQ(6u, surfaceAllocator.Get()->AddRef());
    EXPECT_EQ(5u, presenter.Get()->Release());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, allocator->QueryInterface(__uuidof(IDirect3D9), &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, allocator->QueryInterface(IID_IUnknown, nullptr));
}

TEST_F(AllocatorTest, AdvisingTheSameSinkAgainTellsTheDeviceAgainWithoutAReference) {
    Create();
    LONG refs = notify->Refs();
    EXPECT_EQ(S_OK, allocator->AdviseNotify(notify.Get()));
    EXPECT_EQ(refs, notify->Refs());
    EXPECT_EQ(2, notify->SetDeviceCalls);
    EXPECT_EQ(E_POINTER, allocator->AdviseNotify(nullptr));
}

TEST_F(AllocatorTest, RefusesRequestsItCannotServe) {
    ASSERT_TRUE(Construct(window.Child(), allocator));
    EXPECT_EQ(E_FAIL, Initialize(320, 240, 0)); // not advised yet
    ComPtr<IDirect3DSurface9> surface;
    EXPECT_EQ(E_FAIL, allocator->GetSurface(UserId, 0, 0, &surface)); // no table yet
    ASSERT_EQ(S_OK, allocator->AdviseNotify(notify.Get()));
    EXPECT_EQ(E_POINTER, allocator->InitializeDevice(UserId, &request, nullptr));
    EXPECT_EQ(E_POINTER, allocator->PresentImage(UserId, nullptr));
    EXPECT_EQ(E_POINTER, Present(nullptr, 4, 3));

    ASSERT_EQ(S_OK, Initialize(320, 240, 0, 2));
    ComPtr<IDirect3DSurface9> first = Surface(0);
    EXPECT_NE(nullptr, first.Get());
    EXPECT_EQ(E_FAIL, allocator->GetSurface(UserId, 2, 0, &surface));
    EXPECT_EQ(E_POINTER, allocator->GetSurface(UserId, 0, 0, nullptr));

    // Zero surfaces: refused, and the table keeps what it had.
    EXPECT_EQ(E_INVALIDARG, Initialize(320, 240, 0, 0));
    EXPECT_EQ(first.Get(), Surface(0).Get());

    // Terminating releases the surfaces but keeps the table's length.
    EXPECT_EQ(S_OK, allocator->TerminateDevice(UserId));
    EXPECT_EQ(nullptr, Surface(1).Get());
    EXPECT_EQ(E_FAIL, allocator->GetSurface(UserId, 2, 0, &surface));
}

TEST_F(AllocatorTest, DrawsTextureFramesFittedWithBlackBands) {
    Create();
    ASSERT_EQ(S_OK, Initialize(320, 240, 0, 2));
    EXPECT_TRUE(request.dwFlags & VMR9AllocFlag_TextureSurface);
    EXPECT_EQ(320u, request.dwWidth); // no power-of-two demand: sizes kept
    EXPECT_EQ(240u, request.dwHeight);
    ComPtr<IDirect3DSurface9> frame = Surface(1);
    ASSERT_EQ(S_OK, PaintQuadrants(d3d->LastDevice.Get(), frame.Get(), 320, 240));

    EXPECT_EQ(S_OK, allocator->StartPresenting(UserId));
    EXPECT_EQ(S_OK, Present(frame.Get(), 4, 3));
    ExpectPicture(0, 0, 320, 240);
    EXPECT_EQ(S_OK, Present(frame.Get(), 16, 9)); // letterbox: 320x180
    ExpectPicture(0, 30, 320, 180);
    EXPECT_EQ(S_OK, Present(frame.Get(), 1, 1)); // pillarbox: 240x240
    ExpectPicture(40, 0, 240, 240);
    EXPECT_EQ(S_OK, Present(frame.Get(), 0, 0)); // no shape: the back buffer's
    ExpectPicture(0, 0, 320, 240);
    EXPECT_EQ(S_OK, allocator->StopPresenting(UserId));
    EXPECT_EQ(4, allocator->PresentedFrames());
}

// Offscreen frames are copied and stretched onto the window by a swap chain of their own, so
// the picture is checked where the user sees it.
TEST_F(AllocatorTest, CopiesOffscreenFramesOntoTheWindowFittedWithBlackBands) {
    notify->Granted = NotifyDouble::Grant::OffscreenOnly;
    Create();
    ASSERT_EQ(S_OK, Initialize(320, 240, 0));
    ASSERT_EQ(2u, notify->Requests.size());
    EXPECT_TRUE(notify->Requests[1].dwFlags & VMR9AllocFlag_OffscreenSurface);
    EXPECT_FALSE(notify->Requests[1].dwFlags & VMR9AllocFlag_TextureSurface);
    ComPtr<IDirect3DSurface9> frame = Surface(0);
    ASSERT_EQ(S_OK, PaintQuadrants(d3d->LastDevice.Get(), frame.Get(), 320, 240));
    const struct {
        LONG cx, cy;
        int left, top, width, height;
    } shapes[] = {{16, 9, 0, 30, 320, 180}, // letterbox
                  {1, 1, 40, 0, 240, 240},  // pillarbox: the bands move
                  {4, 3, 0, 0, 320, 240},   // fills
                  {16, 9, 0, 30, 320, 180}};
    for (const auto& shape : shapes) {
        EXPECT_EQ(S_OK, Present(frame.Get(), shape.cx, shape.cy));
        EXPECT_EQ("", ShownOnWindow(shape.left, shape.top, shape.width, shape.height))
            << shape.cx << ":" << shape.cy;
    }
    EXPECT_EQ(4, allocator->PresentedFrames());
}

TEST_F(AllocatorTest, AFailedRenderTargetAllocationHasNoFallback) {
    notify->Granted = NotifyDouble::Grant::OffscreenOnly;
    Create();
    EXPECT_EQ(E_INVALIDARG, Initialize(320, 240, VMR9AllocFlag_3DRenderTarget));
    EXPECT_EQ(1u, notify->Requests.size());
    // Without a private texture an offscreen frame cannot be drawn.
    ComPtr<IDirect3DSurface9> offscreen;
    ASSERT_EQ(S_OK, d3d->LastDevice->CreateOffscreenPlainSurface(
                        320, 240, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr));
    EXPECT_TRUE(FAILED(Present(offscreen.Get(), 4, 3)));
    EXPECT_EQ(0, allocator->PresentedFrames());
}

TEST_F(AllocatorTest, GrowsSurfacesToPowersOfTwoWhenTheDeviceDemandsIt) {
    NextDirect3D.DemandPowerOfTwo = true;
    Create();
    ASSERT_EQ(S_OK, Initialize(720, 480, 0));
    EXPECT_EQ(1024u, notify->Requests[0].dwWidth);
    EXPECT_EQ(512u, notify->Requests[0].dwHeight);
    ComPtr<IDirect3DSurface9> frame = Surface(0);
    // Magenta past the picture must never show.
    ASSERT_EQ(S_OK, d3d->LastDevice->ColorFill(frame.Get(), nullptr, 0xFFFF00FF));
    ASSERT_EQ(S_OK, PaintQuadrants(d3d->LastDevice.Get(), frame.Get(), 720, 480));
    EXPECT_EQ(S_OK, Present(frame.Get(), 4, 3));
    ExpectPicture(0, 0, 320, 240);
    Picture picture;
    ASSERT_TRUE(ReadBackBuffer(d3d->LastDevice.Get(), &picture));
    for (int y = 0; y < 240; y += 8) {
        EXPECT_NE(0xFF00FFu, picture.At(317, y)) << y;
    }
}

// Offscreen frames there are copied from the picture's part of the grown surface only, where
// they are shrunk to their place and where they show at their own size.
TEST_F(AllocatorTest, CopiesOnlyThePictureOfPowerOfTwoOffscreenFrames) {
    NextDirect3D.DemandPowerOfTwo = true;
    notify->Granted = NotifyDouble::Grant::OffscreenOnly;
    Create();
    const struct {
        UINT width, height, surfaceWidth, surfaceHeight;
    } sizes[] = {{720, 480, 1024, 512}, {200, 150, 256, 256}};
    for (const auto& size : sizes) {
        ASSERT_EQ(S_OK, Initialize(size.width, size.height, 0));
        EXPECT_EQ(size.surfaceWidth, notify->Requests.back().dwWidth);
        EXPECT_EQ(size.surfaceHeight, notify->Requests.back().dwHeight);
        ComPtr<IDirect3DSurface9> frame = Surface(0);
        DeviceDouble* device = d3d->LastDevice.Get();
        ASSERT_EQ(S_OK, device->ColorFill(frame.Get(), nullptr, 0xFFFF00FF));
        ASSERT_EQ(S_OK, PaintQuadrants(device, frame.Get(), size.width, size.height));
        device->StretchedFrom = {};
        EXPECT_EQ(S_OK, Present(frame.Get(), 4, 3));
        const RECT picture = {0, 0, static_cast<LONG>(size.width), static_cast<LONG>(size.height)};
        EXPECT_TRUE(EqualRect(&picture, &device->StretchedFrom))
            << size.width << "x" << size.height << ": read up to " << device->StretchedFrom.right
            << "x" << device->StretchedFrom.bottom;
        EXPECT_EQ("", ShownOnWindow(0, 0, 320, 240)) << size.width << "x" << size.height;
    }
}

TEST_F(AllocatorTest, DropsFramesWhileLostAndHandsOverANewDevice) {
    Create();
    ASSERT_EQ(S_OK, Initialize(320, 240, 0));
    ComPtr<DeviceDouble> lost = d3d->LastDevice;
    lost->PresentResult = D3DERR_DEVICELOST;
    lost->CooperativeLevel = D3DERR_DEVICELOST;
    EXPECT_EQ(S_OK, Present(Surface(0).Get(), 4, 3));
    EXPECT_EQ(1, d3d->CreateCalls);
    EXPECT_EQ(0, notify->ChangeDeviceCalls);
    EXPECT_EQ(0, allocator->PresentedFrames());

    lost->CooperativeLevel = D3DERR_DEVICENOTRESET;
    EXPECT_EQ(S_OK, Present(Surface(0).Get(), 4, 3));
    EXPECT_EQ(2, d3d->CreateCalls);
    EXPECT_EQ(1, notify->ChangeDeviceCalls);
    EXPECT_NE(lost.Get(), d3d->LastDevice.Get());
    EXPECT_EQ(d3d->LastDevice.Get(), notify->Device.Get());
    EXPECT_EQ(nullptr, Surface(0).Get()); // the old device's surfaces are gone

    // The renderer allocates again on the new device, and frames show again.
    ASSERT_EQ(S_OK, Initialize(320, 240, 0));
    ComPtr<IDirect3DSurface9> frame = Surface(0);
    ASSERT_EQ(S_OK, PaintQuadrants(d3d->LastDevice.Get(), frame.Get(), 320, 240));
    EXPECT_EQ(S_OK, Present(frame.Get(), 4, 3));
    ExpectPicture(0, 0, 320, 240);
    EXPECT_EQ(1, allocator->PresentedFrames());
}

TEST_F(AllocatorTest, WithoutANewDeviceEveryLaterCallFailsCleanly) {
    Create();
    ASSERT_EQ(S_OK, Initialize(320, 240, 0));
    ComPtr<IDirect3DSurface9> frame = Surface(0);
    d3d->LastDevice->PresentResult = D3DERR_DEVICELOST;
    d3d->LastDevice->CooperativeLevel = D3DERR_DEVICENOTRESET;
    d3d->FailCreate = true;
    EXPECT_EQ(E_FAIL, Present(frame.Get(), 4, 3));
    EXPECT_EQ(0, notify->ChangeDeviceCalls);
    EXPECT_EQ(E_FAIL, Present(frame.Get(), 4, 3));
    EXPECT_EQ(E_FAIL, Initialize(320, 240, 0));
    EXPECT_EQ(E_FAIL, allocator->StartPresenting(UserId));
    EXPECT_EQ(E_FAIL, allocator->AdviseNotify(notify.Get()));
    EXPECT_EQ(S_OK, allocator->TerminateDevice(UserId));
}

TEST_F(AllocatorTest, AFailedHandOverIsReported) {
    Create();
    ASSERT_EQ(S_OK, Initialize(320, 240, 0));
    d3d->LastDevice->PresentResult = D3DERR_DEVICELOST;
    d3d->LastDevice->CooperativeLevel = D3DERR_DEVICENOTRESET;
    notify->ChangeResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, Present(Surface(0).Get(), 4, 3));
}

TEST_F(AllocatorTest, PresentingAllocatesNothing) {
    for (auto granted : {NotifyDouble::Grant::Textures, NotifyDouble::Grant::OffscreenOnly}) {
        notify->Granted = granted;
        Create();
        ASSERT_EQ(S_OK, Initialize(320, 240, 0));
        ComPtr<IDirect3DSurface9> frame = Surface(0);
        ASSERT_EQ(S_OK, Present(frame.Get(), 4, 3)); // first use outside the count
        StartCountingAllocations();
        for (int i = 0; i < 50; ++i) {
            EXPECT_EQ(S_OK, Present(frame.Get(), i % 2 ? 16 : 4, i % 2 ? 9 : 3));
        }
        EXPECT_EQ(0u, StopCountingAllocations());
    }
}

} // namespace
