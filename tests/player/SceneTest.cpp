// The plane scene on a real device (through a double that can refuse single calls).
#include "KvPlaneScene.h"

#include <gtest/gtest.h>

#include <memory>

#include "PlayerTestSupport.h"

namespace {

using namespace player_test;

class SceneTest : public ::testing::Test {
protected:
    void Make(int width, int height) {
        window = std::make_unique<TestWindow>(width, height);
        Adopt(d3d, new Direct3DDouble(RealDirect3DCreate9(D3D_SDK_VERSION)));
        D3DPRESENT_PARAMETERS pp{};
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = window->Child();
        ComPtr<IDirect3DDevice9> made;
        ASSERT_EQ(S_OK, d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window->Child(),
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &made));
        device = d3d->LastDevice;
        ASSERT_EQ(S_OK, device->CreateTexture(64, 48, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                              D3DPOOL_DEFAULT, &texture, nullptr));
        ComPtr<IDirect3DSurface9> level;
        ASSERT_EQ(S_OK, texture->GetSurfaceLevel(0, &level));
        ASSERT_EQ(S_OK, PaintQuadrants(device.Get(), level.Get(), 64, 48));
    }

    std::unique_ptr<TestWindow> window;
    ComPtr<Direct3DDouble> d3d;
    ComPtr<DeviceDouble> device;
    ComPtr<IDirect3DTexture9> texture;
    CKvPlaneScene scene;
};

TEST_F(SceneTest, PreparesTheProjectionForTheBackBuffer) {
    Make(1024, 768);
    EXPECT_EQ(E_POINTER, scene.Prepare(nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, scene.Draw(device.Get(), texture.Get(), 4, 3)); // unprepared
    ASSERT_EQ(S_OK, scene.Prepare(device.Get()));
    EXPECT_EQ(1024, scene.TargetWidth());
    EXPECT_EQ(768, scene.TargetHeight());
    D3DMATRIX m;
    ASSERT_EQ(S_OK, device->GetTransform(D3DTS_PROJECTION, &m));
    // left -512, right 512, bottom -384, top 384, near 1, far 100
    EXPECT_FLOAT_EQ(2.0f / 1024, m._11);
    EXPECT_FLOAT_EQ(2.0f / 768, m._22);
    EXPECT_FLOAT_EQ(1.0f / 99, m._33);
    EXPECT_FLOAT_EQ(0.0f, m._41);
    EXPECT_FLOAT_EQ(0.0f, m._42);
    EXPECT_FLOAT_EQ(-1.0f / 99, m._43);
    ASSERT_EQ(S_OK, device->GetTransform(D3DTS_VIEW, &m));
    EXPECT_FLOAT_EQ(50.0f, m._43);
    DWORD value = 0;
    ASSERT_EQ(S_OK, device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value));
    EXPECT_EQ(DWORD(D3DTADDRESS_CLAMP), value);
    ASSERT_EQ(S_OK, device->GetRenderState(D3DRS_LIGHTING, &value));
    EXPECT_EQ(DWORD(FALSE), value);

    EXPECT_EQ(E_POINTER, scene.Draw(device.Get(), nullptr, 4, 3));
    ASSERT_EQ(S_OK, scene.Draw(device.Get(), texture.Get(), 16, 9)); // 1024x576
    EXPECT_EQ(512.0f, scene.Vertices()[3].x);
    EXPECT_EQ(-288.0f, scene.Vertices()[3].y);
    Picture picture;
    ASSERT_TRUE(ReadBackBuffer(device.Get(), &picture));
    EXPECT_EQ("", CheckQuadrants(picture, 0, 96, 1024, 576));
}

TEST_F(SceneTest, WithoutABackBufferSizeItDrawsOnlyBlack) {
    Make(320, 240);
    device->BackBufferResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(D3DERR_INVALIDCALL, scene.Prepare(device.Get()));
    device->BackBufferResult = S_OK;
    ASSERT_EQ(S_OK, scene.Draw(device.Get(), texture.Get(), 4, 3));
    Picture picture;
    ASSERT_TRUE(ReadBackBuffer(device.Get(), &picture));
    for (int y = 0; y < picture.Height; y += 20) {
        for (int x = 0; x < picture.Width; x += 20) {
            ASSERT_EQ(0u, picture.At(x, y)) << x << "," << y;
        }
    }
}

TEST_F(SceneTest, AFailingDrawingStepEndsTheFrameAndTheSceneItBegan) {
    Make(320, 240);
    ASSERT_EQ(S_OK, scene.Prepare(device.Get()));
    device->BeginSceneResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(D3DERR_INVALIDCALL, scene.Draw(device.Get(), texture.Get(), 4, 3));
    EXPECT_EQ(0, device->EndSceneCalls); // no scene was begun
    device->BeginSceneResult = S_OK;
    EXPECT_EQ(S_OK, scene.Draw(device.Get(), texture.Get(), 4, 3));
    EXPECT_EQ(1, device->EndSceneCalls);

    // A step after BeginScene fails: its failure is reported, the scene is ended all the same,
    // and the real device begins the next frame's scene again.
    device->DrawResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, scene.Draw(device.Get(), texture.Get(), 4, 3));
    EXPECT_EQ(2, device->EndSceneCalls);
    device->DrawResult = S_OK;
    EXPECT_EQ(S_OK, scene.Draw(device.Get(), texture.Get(), 4, 3));
    EXPECT_EQ(3, device->EndSceneCalls);
    Picture picture;
    ASSERT_TRUE(ReadBackBuffer(device.Get(), &picture));
    EXPECT_EQ("", CheckQuadrants(picture, 0, 0, 320, 240));
}

} // namespace
