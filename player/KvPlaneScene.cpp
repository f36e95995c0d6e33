#include "KvPlaneScene.h"

#include <cstring>

namespace {

constexpr D3DCOLOR OpaqueBlack = 0xFF000000;

HRESULT ClearToBlack(IDirect3DDevice9* device) {
    return device->Clear(0, nullptr, D3DCLEAR_TARGET, OpaqueBlack, 1.0f, 0);
}

D3DMATRIX ToD3D(const KvMatrix& m) {
    D3DMATRIX d;
    static_assert(sizeof(d.m) == sizeof(m.m), "matrix layouts differ");
    std::memcpy(d.m, m.m, sizeof(d.m));
    return d;
}

} // namespace

CKvPlaneScene::CKvPlaneScene() {
    ResetPlane(m_Vertices);
}

CKvPlaneScene::~CKvPlaneScene() = default;

void CKvPlaneScene::SetTextureExtent(float u, float v) {
    SetPlaneTextureExtent(m_Vertices, u, v);
}

HRESULT CKvPlaneScene::Prepare(IDirect3DDevice9* device) {
    if (!device) {
        return E_POINTER;
    }
    HRESULT hr = ClearToBlack(device);
    if (FAILED(hr)) {
        return hr;
    }
    static const struct {
        D3DRENDERSTATETYPE State;
        DWORD Value;
    } renderStates[] = {{D3DRS_CULLMODE, D3DCULL_CW}, {D3DRS_LIGHTING, FALSE}};
    for (const auto& s : renderStates) {
        hr = device->SetRenderState(s.State, s.Value);
        if (FAILED(hr)) {
            return hr;
        }
    }
    static const struct {
        D3DSAMPLERSTATETYPE State;
        DWORD Value;
    } samplerStates[] = {{D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
                         {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
                         {D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
                         {D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
                         {D3DSAMP_MIPFILTER, D3DTEXF_LINEAR}};
    for (const auto& s : samplerStates) {
        hr = device->SetSamplerState(0, s.State, s.Value);
        if (FAILED(hr)) {
            return hr;
        }
    }

    // A failure leaves no buffer; Draw then refuses every frame.
    m_VertexBuffer.Reset();
    (void)device->CreateVertexBuffer(PlaneVertexBytes, D3DUSAGE_WRITEONLY, PlaneVertexFormat,
                                     D3DPOOL_MANAGED, &m_VertexBuffer, nullptr);

    Microsoft::WRL::ComPtr<IDirect3DSurface9> backBuffer;
    hr = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (FAILED(hr)) {
        return hr;
    }
    D3DSURFACE_DESC desc{};
    (void)backBuffer->GetDesc(&desc);
    m_TargetWidth = static_cast<int32_t>(desc.Width);
    m_TargetHeight = static_cast<int32_t>(desc.Height);

    D3DMATRIX projection = ToD3D(PlaneProjection(m_TargetWidth, m_TargetHeight));
    hr = device->SetTransform(D3DTS_PROJECTION, &projection);
    if (FAILED(hr)) {
        return hr;
    }
    D3DMATRIX view = ToD3D(PlaneView());
    return device->SetTransform(D3DTS_VIEW, &view);
}

HRESULT CKvPlaneScene::Draw(IDirect3DDevice9* device, IDirect3DTexture9* texture, LONG cx,
                            LONG cy) {
    if (!device || !texture) {
        return E_POINTER;
    }
    if (!m_VertexBuffer) {
        return D3DERR_INVALIDCALL;
    }
    SetPlanePositions(m_Vertices, FitPicture(m_TargetWidth, m_TargetHeight, cx, cy));

    void* data = nullptr;
    HRESULT hr = m_VertexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(data, m_Vertices, PlaneVertexBytes);
    hr = m_VertexBuffer->Unlock();
    if (FAILED(hr)) {
        return hr;
    }

    (void)ClearToBlack(device);

    hr = device->BeginScene();
    if (FAILED(hr)) {
        return hr;
    }
    if (FAILED(hr = device->SetTexture(0, texture)) ||
        FAILED(hr = device->SetStreamSource(0, m_VertexBuffer.Get(), 0, sizeof(PlaneVertex))) ||
        FAILED(hr = device->SetFVF(PlaneVertexFormat)) ||
        FAILED(hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)) ||
        FAILED(hr = device->SetTexture(0, nullptr))) {
        // A scene left open makes every later BeginScene on this device fail: the step's
        // failure is what counts, the end's result is not.
        (void)device->EndScene();
        return hr;
    }
    return device->EndScene();
}
