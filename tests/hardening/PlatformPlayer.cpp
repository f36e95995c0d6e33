#include "PlatformPlayer.h"

using Microsoft::WRL::ComPtr;

bool OpenPlatformGraph(const wchar_t* clip, HWND window, ComPtr<IGraphBuilder>* graph,
                       ComPtr<IMediaControl>* control) {
    ComPtr<IBaseFilter> renderer;
    ComPtr<IVMRFilterConfig9> config;
    ComPtr<IVMRWindowlessControl9> windowless;
    RECT client = {};
    GetClientRect(window, &client);
    return SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(graph->ReleaseAndGetAddressOf()))) &&
           SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&renderer))) &&
           SUCCEEDED((*graph)->AddFilter(renderer.Get(), L"VMR9")) &&
           SUCCEEDED(renderer.As(&config)) &&
           SUCCEEDED(config->SetRenderingMode(VMR9Mode_Windowless)) &&
           SUCCEEDED(renderer.As(&windowless)) &&
           SUCCEEDED(windowless->SetVideoClippingWindow(window)) &&
           SUCCEEDED((*graph)->RenderFile(clip, nullptr)) &&
           SUCCEEDED(windowless->SetVideoPosition(nullptr, &client)) &&
           SUCCEEDED((*graph)->QueryInterface(
               IID_IMediaControl, reinterpret_cast<void**>(control->ReleaseAndGetAddressOf())));
}
