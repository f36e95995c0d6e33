#pragma once
#include <windows.h>
#include <d3d9.h>
#include <wrl/client.h>

#include "PlaneGeometry.h"

// Draws one video frame, given as a texture, on a textured quad that fills as much of the
// device's back buffer as the picture's aspect ratio allows, centred, black elsewhere.
// It does not present.
class CKvPlaneScene {
public:
    CKvPlaneScene();
    virtual ~CKvPlaneScene();

    CKvPlaneScene(const CKvPlaneScene&) = delete;
    CKvPlaneScene& operator=(const CKvPlaneScene&) = delete;

    // The share (u, v) of the texture that the picture covers.
    void SetTextureExtent(float u, float v);
    // Sets the device's states and matrices, makes the vertex buffer and reads the back
    // buffer's size. Called after every surface allocation.
    HRESULT Prepare(IDirect3DDevice9* device);
    // Draws the texture fitted to aspect ratio cx:cy into the back buffer. Allocates nothing.
    HRESULT Draw(IDirect3DDevice9* device, IDirect3DTexture9* texture, LONG cx, LONG cy);

    int32_t TargetWidth() const { return m_TargetWidth; }
    int32_t TargetHeight() const { return m_TargetHeight; }
    const PlaneVertex (&Vertices() const)[PlaneVertexCount] { return m_Vertices; }

private:
    int32_t m_TargetWidth = 0;
    int32_t m_TargetHeight = 0;
    PlaneVertex m_Vertices[PlaneVertexCount];
    Microsoft::WRL::ComPtr<IDirect3DVertexBuffer9> m_VertexBuffer;
};
