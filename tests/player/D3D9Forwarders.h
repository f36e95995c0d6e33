#pragma once
// Direct3D 9 objects that pass every call on to a real one; test doubles derive from these and
// change only the calls they care about. Made by make-d3d9-forwarders.py from d3d9.h.
// Reference counting is left to the derived class.
#include <windows.h>
#include <d3d9.h>
#include <wrl/client.h>

class ForwardingDevice9 : public IDirect3DDevice9 {
public:
    explicit ForwardingDevice9(IDirect3DDevice9* inner) : m_Inner(inner) {}
    virtual ~ForwardingDevice9() = default;
    IDirect3DDevice9* Inner() const { return m_Inner.Get(); }
    STDMETHOD_(HRESULT, TestCooperativeLevel)() override { return m_Inner->TestCooperativeLevel(); }
    STDMETHOD_(UINT, GetAvailableTextureMem)() override {
        return m_Inner->GetAvailableTextureMem();
    }
    STDMETHOD_(HRESULT, EvictManagedResources)() override {
        return m_Inner->EvictManagedResources();
    }
    STDMETHOD_(HRESULT, GetDirect3D)(IDirect3D9** ppD3D9) override {
        return m_Inner->GetDirect3D(ppD3D9);
    }
    STDMETHOD_(HRESULT, GetDeviceCaps)(D3DCAPS9* pCaps) override {
        return m_Inner->GetDeviceCaps(pCaps);
    }
    STDMETHOD_(HRESULT, GetDisplayMode)(UINT iSwapChain, D3DDISPLAYMODE* pMode) override {
        return m_Inner->GetDisplayMode(iSwapChain, pMode);
    }
    STDMETHOD_(HRESULT, GetCreationParameters)
    (D3DDEVICE_CREATION_PARAMETERS* pParameters) override {
        return m_Inner->GetCreationParameters(pParameters);
    }
    STDMETHOD_(HRESULT, SetCursorProperties)
    (UINT XHotSpot, UINT YHotSpot, IDirect3DSurface9* pCursorBitmap) override {
        return m_Inner->SetCursorProperties(XHotSpot, YHotSpot, pCursorBitmap);
    }
    STDMETHOD_(void, SetCursorPosition)(int X, int Y, DWORD Flags) override {
        return m_Inner->SetCursorPosition(X, Y, Flags);
    }
    STDMETHOD_(WINBOOL, ShowCursor)(WINBOOL bShow) override { return m_Inner->ShowCursor(bShow); }
    STDMETHOD_(HRESULT, CreateAdditionalSwapChain)
    (D3DPRESENT_PARAMETERS* pPresentationParameters, IDirect3DSwapChain9** pSwapChain) override {
        return m_Inner->CreateAdditionalSwapChain(pPresentationParameters, pSwapChain);
    }
    STDMETHOD_(HRESULT, GetSwapChain)(UINT iSwapChain, IDirect3DSwapChain9** pSwapChain) override {
        return m_Inner->GetSwapChain(iSwapChain, pSwapChain);
    }
    STDMETHOD_(UINT, GetNumberOfSwapChains)() override { return m_Inner->GetNumberOfSwapChains(); }
    STDMETHOD_(HRESULT, Reset)(D3DPRESENT_PARAMETERS* pPresentationParameters) override {
        return m_Inner->Reset(pPresentationParameters);
    }
    STDMETHOD_(HRESULT, Present)
    (const RECT* src_rect, const RECT* dst_rect, HWND dst_window_override,
     const RGNDATA* dirty_region) override {
        return m_Inner->Present(src_rect, dst_rect, dst_window_override, dirty_region);
    }
    STDMETHOD_(HRESULT, GetBackBuffer)
    (UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
     IDirect3DSurface9** ppBackBuffer) override {
        return m_Inner->GetBackBuffer(iSwapChain, iBackBuffer, Type, ppBackBuffer);
    }
    STDMETHOD_(HRESULT, GetRasterStatus)
    (UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) override {
        return m_Inner->GetRasterStatus(iSwapChain, pRasterStatus);
    }
    STDMETHOD_(HRESULT, SetDialogBoxMode)(WINBOOL bEnableDialogs) override {
        return m_Inner->SetDialogBoxMode(bEnableDialogs);
    }
    STDMETHOD_(void, SetGammaRamp)
    (UINT swapchain_idx, DWORD flags, const D3DGAMMARAMP* ramp) override {
        return m_Inner->SetGammaRamp(swapchain_idx, flags, ramp);
    }
    STDMETHOD_(void, GetGammaRamp)(UINT iSwapChain, D3DGAMMARAMP* pRamp) override {
        return m_Inner->GetGammaRamp(iSwapChain, pRamp);
    }
    STDMETHOD_(HRESULT, CreateTexture)
    (UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
     IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override {
        return m_Inner->CreateTexture(Width, Height, Levels, Usage, Format, Pool, ppTexture,
                                      pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateVolumeTexture)
    (UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
     IDirect3DVolumeTexture9** ppVolumeTexture, HANDLE* pSharedHandle) override {
        return m_Inner->CreateVolumeTexture(Width, Height, Depth, Levels, Usage, Format, Pool,
                                            ppVolumeTexture, pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateCubeTexture)
    (UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
     IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) override {
        return m_Inner->CreateCubeTexture(EdgeLength, Levels, Usage, Format, Pool, ppCubeTexture,
                                          pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateVertexBuffer)
    (UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool, IDirect3DVertexBuffer9** ppVertexBuffer,
     HANDLE* pSharedHandle) override {
        return m_Inner->CreateVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer, pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateIndexBuffer)
    (UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
     IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override {
        return m_Inner->CreateIndexBuffer(Length, Usage, Format, Pool, ppIndexBuffer,
                                          pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateRenderTarget)
    (UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
     DWORD MultisampleQuality, WINBOOL Lockable, IDirect3DSurface9** ppSurface,
     HANDLE* pSharedHandle) override {
        return m_Inner->CreateRenderTarget(Width, Height, Format, MultiSample, MultisampleQuality,
                                           Lockable, ppSurface, pSharedHandle);
    }
    STDMETHOD_(HRESULT, CreateDepthStencilSurface)
    (UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
     DWORD MultisampleQuality, WINBOOL Discard, IDirect3DSurface9** ppSurface,
     HANDLE* pSharedHandle) override {
        return m_Inner->CreateDepthStencilSurface(Width, Height, Format, MultiSample,
                                                  MultisampleQuality, Discard, ppSurface,
                                                  pSharedHandle);
    }
    STDMETHOD_(HRESULT, UpdateSurface)
    (IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
     const POINT* dst_point) override {
        return m_Inner->UpdateSurface(src_surface, src_rect, dst_surface, dst_point);
    }
    STDMETHOD_(HRESULT, UpdateTexture)
    (IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) override {
        return m_Inner->UpdateTexture(pSourceTexture, pDestinationTexture);
    }
    STDMETHOD_(HRESULT, GetRenderTargetData)
    (IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) override {
        return m_Inner->GetRenderTargetData(pRenderTarget, pDestSurface);
    }
    STDMETHOD_(HRESULT, GetFrontBufferData)
    (UINT iSwapChain, IDirect3DSurface9* pDestSurface) override {
        return m_Inner->GetFrontBufferData(iSwapChain, pDestSurface);
    }
    STDMETHOD_(HRESULT, StretchRect)
    (IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
     const RECT* dst_rect, D3DTEXTUREFILTERTYPE filter) override {
        return m_Inner->StretchRect(src_surface, src_rect, dst_surface, dst_rect, filter);
    }
    STDMETHOD_(HRESULT, ColorFill)
    (IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override {
        return m_Inner->ColorFill(surface, rect, color);
    }
    STDMETHOD_(HRESULT, CreateOffscreenPlainSurface)
    (UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool, IDirect3DSurface9** ppSurface,
     HANDLE* pSharedHandle) override {
        return m_Inner->CreateOffscreenPlainSurface(Width, Height, Format, Pool, ppSurface,
                                                    pSharedHandle);
    }
    STDMETHOD_(HRESULT, SetRenderTarget)
    (DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override {
        return m_Inner->SetRenderTarget(RenderTargetIndex, pRenderTarget);
    }
    STDMETHOD_(HRESULT, GetRenderTarget)
    (DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override {
        return m_Inner->GetRenderTarget(RenderTargetIndex, ppRenderTarget);
    }
    STDMETHOD_(HRESULT, SetDepthStencilSurface)(IDirect3DSurface9* pNewZStencil) override {
        return m_Inner->SetDepthStencilSurface(pNewZStencil);
    }
    STDMETHOD_(HRESULT, GetDepthStencilSurface)(IDirect3DSurface9** ppZStencilSurface) override {
        return m_Inner->GetDepthStencilSurface(ppZStencilSurface);
    }
    STDMETHOD_(HRESULT, BeginScene)() override { return m_Inner->BeginScene(); }
    STDMETHOD_(HRESULT, EndScene)() override { return m_Inner->EndScene(); }
    STDMETHOD_(HRESULT, Clear)
    (DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
     DWORD stencil) override {
        return m_Inner->Clear(rect_count, rects, flags, color, z, stencil);
    }
    STDMETHOD_(HRESULT, SetTransform)
    (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
        return m_Inner->SetTransform(state, matrix);
    }
    STDMETHOD_(HRESULT, GetTransform)(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override {
        return m_Inner->GetTransform(State, pMatrix);
    }
    STDMETHOD_(HRESULT, MultiplyTransform)
    (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
        return m_Inner->MultiplyTransform(state, matrix);
    }
    STDMETHOD_(HRESULT, SetViewport)(const D3DVIEWPORT9* viewport) override {
        return m_Inner->SetViewport(viewport);
    }
    STDMETHOD_(HRESULT, GetViewport)(D3DVIEWPORT9* pViewport) override {
        return m_Inner->GetViewport(pViewport);
    }
    STDMETHOD_(HRESULT, SetMaterial)(const D3DMATERIAL9* material) override {
        return m_Inner->SetMaterial(material);
    }
    STDMETHOD_(HRESULT, GetMaterial)(D3DMATERIAL9* pMaterial) override {
        return m_Inner->GetMaterial(pMaterial);
    }
    STDMETHOD_(HRESULT, SetLight)(DWORD index, const D3DLIGHT9* light) override {
        return m_Inner->SetLight(index, light);
    }
    STDMETHOD_(HRESULT, GetLight)(DWORD Index, D3DLIGHT9* a1) override {
        return m_Inner->GetLight(Index, a1);
    }
    STDMETHOD_(HRESULT, LightEnable)(DWORD Index, WINBOOL Enable) override {
        return m_Inner->LightEnable(Index, Enable);
    }
    STDMETHOD_(HRESULT, GetLightEnable)(DWORD Index, WINBOOL* pEnable) override {
        return m_Inner->GetLightEnable(Index, pEnable);
    }
    STDMETHOD_(HRESULT, SetClipPlane)(DWORD index, const float* plane) override {
        return m_Inner->SetClipPlane(index, plane);
    }
    STDMETHOD_(HRESULT, GetClipPlane)(DWORD Index, float* pPlane) override {
        return m_Inner->GetClipPlane(Index, pPlane);
    }
    STDMETHOD_(HRESULT, SetRenderState)(D3DRENDERSTATETYPE State, DWORD Value) override {
        return m_Inner->SetRenderState(State, Value);
    }
    STDMETHOD_(HRESULT, GetRenderState)(D3DRENDERSTATETYPE State, DWORD* pValue) override {
        return m_Inner->GetRenderState(State, pValue);
    }
    STDMETHOD_(HRESULT, CreateStateBlock)
    (D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) override {
        return m_Inner->CreateStateBlock(Type, ppSB);
    }
    STDMETHOD_(HRESULT, BeginStateBlock)() override { return m_Inner->BeginStateBlock(); }
    STDMETHOD_(HRESULT, EndStateBlock)(IDirect3DStateBlock9** ppSB) override {
        return m_Inner->EndStateBlock(ppSB);
    }
    STDMETHOD_(HRESULT, SetClipStatus)(const D3DCLIPSTATUS9* clip_status) override {
        return m_Inner->SetClipStatus(clip_status);
    }
    STDMETHOD_(HRESULT, GetClipStatus)(D3DCLIPSTATUS9* pClipStatus) override {
        return m_Inner->GetClipStatus(pClipStatus);
    }
    STDMETHOD_(HRESULT, GetTexture)(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override {
        return m_Inner->GetTexture(Stage, ppTexture);
    }
    STDMETHOD_(HRESULT, SetTexture)(DWORD Stage, IDirect3DBaseTexture9* pTexture) override {
        return m_Inner->SetTexture(Stage, pTexture);
    }
    STDMETHOD_(HRESULT, GetTextureStageState)
    (DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override {
        return m_Inner->GetTextureStageState(Stage, Type, pValue);
    }
    STDMETHOD_(HRESULT, SetTextureStageState)
    (DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override {
        return m_Inner->SetTextureStageState(Stage, Type, Value);
    }
    STDMETHOD_(HRESULT, GetSamplerState)
    (DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override {
        return m_Inner->GetSamplerState(Sampler, Type, pValue);
    }
    STDMETHOD_(HRESULT, SetSamplerState)
    (DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override {
        return m_Inner->SetSamplerState(Sampler, Type, Value);
    }
    STDMETHOD_(HRESULT, ValidateDevice)(DWORD* pNumPasses) override {
        return m_Inner->ValidateDevice(pNumPasses);
    }
    STDMETHOD_(HRESULT, SetPaletteEntries)(UINT palette_idx, const PALETTEENTRY* entries) override {
        return m_Inner->SetPaletteEntries(palette_idx, entries);
    }
    STDMETHOD_(HRESULT, GetPaletteEntries)(UINT PaletteNumber, PALETTEENTRY* pEntries) override {
        return m_Inner->GetPaletteEntries(PaletteNumber, pEntries);
    }
    STDMETHOD_(HRESULT, SetCurrentTexturePalette)(UINT PaletteNumber) override {
        return m_Inner->SetCurrentTexturePalette(PaletteNumber);
    }
    STDMETHOD_(HRESULT, GetCurrentTexturePalette)(UINT* PaletteNumber) override {
        return m_Inner->GetCurrentTexturePalette(PaletteNumber);
    }
    STDMETHOD_(HRESULT, SetScissorRect)(const RECT* rect) override {
        return m_Inner->SetScissorRect(rect);
    }
    STDMETHOD_(HRESULT, GetScissorRect)(RECT* pRect) override {
        return m_Inner->GetScissorRect(pRect);
    }
    STDMETHOD_(HRESULT, SetSoftwareVertexProcessing)(WINBOOL bSoftware) override {
        return m_Inner->SetSoftwareVertexProcessing(bSoftware);
    }
    STDMETHOD_(WINBOOL, GetSoftwareVertexProcessing)() override {
        return m_Inner->GetSoftwareVertexProcessing();
    }
    STDMETHOD_(HRESULT, SetNPatchMode)(float nSegments) override {
        return m_Inner->SetNPatchMode(nSegments);
    }
    STDMETHOD_(float, GetNPatchMode)() override { return m_Inner->GetNPatchMode(); }
    STDMETHOD_(HRESULT, DrawPrimitive)
    (D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override {
        return m_Inner->DrawPrimitive(PrimitiveType, StartVertex, PrimitiveCount);
    }
    STDMETHOD_(HRESULT, DrawIndexedPrimitive)
    (D3DPRIMITIVETYPE a0, INT BaseVertexIndex, UINT MinVertexIndex, UINT NumVertices,
     UINT startIndex, UINT primCount) override {
        return m_Inner->DrawIndexedPrimitive(a0, BaseVertexIndex, MinVertexIndex, NumVertices,
                                             startIndex, primCount);
    }
    STDMETHOD_(HRESULT, DrawPrimitiveUP)
    (D3DPRIMITIVETYPE primitive_type, UINT primitive_count, const void* data,
     UINT stride) override {
        return m_Inner->DrawPrimitiveUP(primitive_type, primitive_count, data, stride);
    }
    STDMETHOD_(HRESULT, DrawIndexedPrimitiveUP)
    (D3DPRIMITIVETYPE primitive_type, UINT min_vertex_idx, UINT vertex_count, UINT primitive_count,
     const void* index_data, D3DFORMAT index_format, const void* data, UINT stride) override {
        return m_Inner->DrawIndexedPrimitiveUP(primitive_type, min_vertex_idx, vertex_count,
                                               primitive_count, index_data, index_format, data,
                                               stride);
    }
    STDMETHOD_(HRESULT, ProcessVertices)
    (UINT SrcStartIndex, UINT DestIndex, UINT VertexCount, IDirect3DVertexBuffer9* pDestBuffer,
     IDirect3DVertexDeclaration9* pVertexDecl, DWORD Flags) override {
        return m_Inner->ProcessVertices(SrcStartIndex, DestIndex, VertexCount, pDestBuffer,
                                        pVertexDecl, Flags);
    }
    STDMETHOD_(HRESULT, CreateVertexDeclaration)
    (const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration) override {
        return m_Inner->CreateVertexDeclaration(elements, declaration);
    }
    STDMETHOD_(HRESULT, SetVertexDeclaration)(IDirect3DVertexDeclaration9* pDecl) override {
        return m_Inner->SetVertexDeclaration(pDecl);
    }
    STDMETHOD_(HRESULT, GetVertexDeclaration)(IDirect3DVertexDeclaration9** ppDecl) override {
        return m_Inner->GetVertexDeclaration(ppDecl);
    }
    STDMETHOD_(HRESULT, SetFVF)(DWORD FVF) override { return m_Inner->SetFVF(FVF); }
    STDMETHOD_(HRESULT, GetFVF)(DWORD* pFVF) override { return m_Inner->GetFVF(pFVF); }
    STDMETHOD_(HRESULT, CreateVertexShader)
    (const DWORD* byte_code, IDirect3DVertexShader9** shader) override {
        return m_Inner->CreateVertexShader(byte_code, shader);
    }
    STDMETHOD_(HRESULT, SetVertexShader)(IDirect3DVertexShader9* pShader) override {
        return m_Inner->SetVertexShader(pShader);
    }
    STDMETHOD_(HRESULT, GetVertexShader)(IDirect3DVertexShader9** ppShader) override {
        return m_Inner->GetVertexShader(ppShader);
    }
    STDMETHOD_(HRESULT, SetVertexShaderConstantF)
    (UINT reg_idx, const float* data, UINT count) override {
        return m_Inner->SetVertexShaderConstantF(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetVertexShaderConstantF)
    (UINT StartRegister, float* pConstantData, UINT Vector4fCount) override {
        return m_Inner->GetVertexShaderConstantF(StartRegister, pConstantData, Vector4fCount);
    }
    STDMETHOD_(HRESULT, SetVertexShaderConstantI)
    (UINT reg_idx, const int* data, UINT count) override {
        return m_Inner->SetVertexShaderConstantI(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetVertexShaderConstantI)
    (UINT StartRegister, int* pConstantData, UINT Vector4iCount) override {
        return m_Inner->GetVertexShaderConstantI(StartRegister, pConstantData, Vector4iCount);
    }
    STDMETHOD_(HRESULT, SetVertexShaderConstantB)
    (UINT reg_idx, const WINBOOL* data, UINT count) override {
        return m_Inner->SetVertexShaderConstantB(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetVertexShaderConstantB)
    (UINT StartRegister, WINBOOL* pConstantData, UINT BoolCount) override {
        return m_Inner->GetVertexShaderConstantB(StartRegister, pConstantData, BoolCount);
    }
    STDMETHOD_(HRESULT, SetStreamSource)
    (UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
     UINT Stride) override {
        return m_Inner->SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride);
    }
    STDMETHOD_(HRESULT, GetStreamSource)
    (UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* OffsetInBytes,
     UINT* pStride) override {
        return m_Inner->GetStreamSource(StreamNumber, ppStreamData, OffsetInBytes, pStride);
    }
    STDMETHOD_(HRESULT, SetStreamSourceFreq)(UINT StreamNumber, UINT Divider) override {
        return m_Inner->SetStreamSourceFreq(StreamNumber, Divider);
    }
    STDMETHOD_(HRESULT, GetStreamSourceFreq)(UINT StreamNumber, UINT* Divider) override {
        return m_Inner->GetStreamSourceFreq(StreamNumber, Divider);
    }
    STDMETHOD_(HRESULT, SetIndices)(IDirect3DIndexBuffer9* pIndexData) override {
        return m_Inner->SetIndices(pIndexData);
    }
    STDMETHOD_(HRESULT, GetIndices)(IDirect3DIndexBuffer9** ppIndexData) override {
        return m_Inner->GetIndices(ppIndexData);
    }
    STDMETHOD_(HRESULT, CreatePixelShader)
    (const DWORD* byte_code, IDirect3DPixelShader9** shader) override {
        return m_Inner->CreatePixelShader(byte_code, shader);
    }
    STDMETHOD_(HRESULT, SetPixelShader)(IDirect3DPixelShader9* pShader) override {
        return m_Inner->SetPixelShader(pShader);
    }
    STDMETHOD_(HRESULT, GetPixelShader)(IDirect3DPixelShader9** ppShader) override {
        return m_Inner->GetPixelShader(ppShader);
    }
    STDMETHOD_(HRESULT, SetPixelShaderConstantF)
    (UINT reg_idx, const float* data, UINT count) override {
        return m_Inner->SetPixelShaderConstantF(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetPixelShaderConstantF)
    (UINT StartRegister, float* pConstantData, UINT Vector4fCount) override {
        return m_Inner->GetPixelShaderConstantF(StartRegister, pConstantData, Vector4fCount);
    }
    STDMETHOD_(HRESULT, SetPixelShaderConstantI)
    (UINT reg_idx, const int* data, UINT count) override {
        return m_Inner->SetPixelShaderConstantI(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetPixelShaderConstantI)
    (UINT StartRegister, int* pConstantData, UINT Vector4iCount) override {
        return m_Inner->GetPixelShaderConstantI(StartRegister, pConstantData, Vector4iCount);
    }
    STDMETHOD_(HRESULT, SetPixelShaderConstantB)
    (UINT reg_idx, const WINBOOL* data, UINT count) override {
        return m_Inner->SetPixelShaderConstantB(reg_idx, data, count);
    }
    STDMETHOD_(HRESULT, GetPixelShaderConstantB)
    (UINT StartRegister, WINBOOL* pConstantData, UINT BoolCount) override {
        return m_Inner->GetPixelShaderConstantB(StartRegister, pConstantData, BoolCount);
    }
    STDMETHOD_(HRESULT, DrawRectPatch)
    (UINT handle, const float* segment_count, const D3DRECTPATCH_INFO* patch_info) override {
        return m_Inner->DrawRectPatch(handle, segment_count, patch_info);
    }
    STDMETHOD_(HRESULT, DrawTriPatch)
    (UINT handle, const float* segment_count, const D3DTRIPATCH_INFO* patch_info) override {
        return m_Inner->DrawTriPatch(handle, segment_count, patch_info);
    }
    STDMETHOD_(HRESULT, DeletePatch)(UINT Handle) override { return m_Inner->DeletePatch(Handle); }
    STDMETHOD_(HRESULT, CreateQuery)(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) override {
        return m_Inner->CreateQuery(Type, ppQuery);
    }

protected:
    Microsoft::WRL::ComPtr<IDirect3DDevice9> m_Inner;
};

class ForwardingDirect3D9 : public IDirect3D9 {
public:
    explicit ForwardingDirect3D9(IDirect3D9* inner) : m_Inner(inner) {}
    virtual ~ForwardingDirect3D9() = default;
    IDirect3D9* Inner() const { return m_Inner.Get(); }
    STDMETHOD_(HRESULT, RegisterSoftwareDevice)(void* pInitializeFunction) override {
        return m_Inner->RegisterSoftwareDevice(pInitializeFunction);
    }
    STDMETHOD_(UINT, GetAdapterCount)() override { return m_Inner->GetAdapterCount(); }
    STDMETHOD_(HRESULT, GetAdapterIdentifier)
    (UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) override {
        return m_Inner->GetAdapterIdentifier(Adapter, Flags, pIdentifier);
    }
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT Adapter, D3DFORMAT Format) override {
        return m_Inner->GetAdapterModeCount(Adapter, Format);
    }
    STDMETHOD_(HRESULT, EnumAdapterModes)
    (UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override {
        return m_Inner->EnumAdapterModes(Adapter, Format, Mode, pMode);
    }
    STDMETHOD_(HRESULT, GetAdapterDisplayMode)(UINT Adapter, D3DDISPLAYMODE* pMode) override {
        return m_Inner->GetAdapterDisplayMode(Adapter, pMode);
    }
    STDMETHOD_(HRESULT, CheckDeviceType)
    (UINT iAdapter, D3DDEVTYPE DevType, D3DFORMAT DisplayFormat, D3DFORMAT BackBufferFormat,
     WINBOOL bWindowed) override {
        return m_Inner->CheckDeviceType(iAdapter, DevType, DisplayFormat, BackBufferFormat,
                                        bWindowed);
    }
    STDMETHOD_(HRESULT, CheckDeviceFormat)
    (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
     D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override {
        return m_Inner->CheckDeviceFormat(Adapter, DeviceType, AdapterFormat, Usage, RType,
                                          CheckFormat);
    }
    STDMETHOD_(HRESULT, CheckDeviceMultiSampleType)
    (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, WINBOOL Windowed,
     D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) override {
        return m_Inner->CheckDeviceMultiSampleType(Adapter, DeviceType, SurfaceFormat, Windowed,
                                                   MultiSampleType, pQualityLevels);
    }
    STDMETHOD_(HRESULT, CheckDepthStencilMatch)
    (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, D3DFORMAT RenderTargetFormat,
     D3DFORMAT DepthStencilFormat) override {
        return m_Inner->CheckDepthStencilMatch(Adapter, DeviceType, AdapterFormat,
                                               RenderTargetFormat, DepthStencilFormat);
    }
    STDMETHOD_(HRESULT, CheckDeviceFormatConversion)
    (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SourceFormat, D3DFORMAT TargetFormat) override {
        return m_Inner->CheckDeviceFormatConversion(Adapter, DeviceType, SourceFormat,
                                                    TargetFormat);
    }
    STDMETHOD_(HRESULT, GetDeviceCaps)
    (UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override {
        return m_Inner->GetDeviceCaps(Adapter, DeviceType, pCaps);
    }
    STDMETHOD_(HMONITOR, GetAdapterMonitor)(UINT Adapter) override {
        return m_Inner->GetAdapterMonitor(Adapter);
    }
    STDMETHOD_(HRESULT, CreateDevice)
    (UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
     D3DPRESENT_PARAMETERS* pPresentationParameters,
     struct IDirect3DDevice9** ppReturnedDeviceInterface) override {
        return m_Inner->CreateDevice(Adapter, DeviceType, hFocusWindow, BehaviorFlags,
                                     pPresentationParameters, ppReturnedDeviceInterface);
    }

protected:
    Microsoft::WRL::ComPtr<IDirect3D9> m_Inner;
};
