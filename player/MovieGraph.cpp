#include "MovieGraph.h"

#include <oleauto.h>

#include <new>

#include "AppMessages.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD_PTR AllocatorUserId = 0xACDCACDC;
constexpr wchar_t RendererName[] = L"Video Mixing Renderer 9";

// Frees a COM string at every exit.
class ComString {
public:
    explicit ComString(const wchar_t* text) : m_Text(SysAllocString(text)) {}
    ~ComString() { SysFreeString(m_Text); }
    ComString(const ComString&) = delete;
    ComString& operator=(const ComString&) = delete;
    BSTR Get() const { return m_Text; }

private:
    BSTR m_Text;
};

// The out parameter of a query or creation into a reference holder (the interface identifiers
// are named explicitly: not every interface here has a compiler-known one).
template <class T> void** Out(ComPtr<T>& holder) {
    return reinterpret_cast<void**>(holder.ReleaseAndGetAddressOf());
}

} // namespace

MovieGraph::MovieGraph() = default;

MovieGraph::~MovieGraph() {
    Close();
}

bool MovieGraph::Open(const wchar_t* path, HWND window) {
    ComString file(path);
    Close();
    if (!file.Get() || SysStringLen(file.Get()) == 0) {
        return false;
    }

    ComPtr<IVMRFilterConfig9> config;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                         Out(Graph))) &&
              SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IBaseFilter, Out(Renderer))) &&
              SUCCEEDED(Renderer->QueryInterface(IID_IVMRFilterConfig9, Out(config))) &&
              SUCCEEDED(config->SetRenderingMode(VMR9Mode_Renderless)) &&
              SUCCEEDED(config->SetNumberOfStreams(1)) && AttachAllocator(window) &&
              SUCCEEDED(Graph->AddFilter(Renderer.Get(), RendererName)) &&
              SUCCEEDED(Graph->RenderFile(file.Get(), nullptr)) &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaControl, Out(Control))) &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaEventEx, Out(Events))) &&
              SUCCEEDED(Events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), WM_APP_GRAPHEVENT,
                                                0)) &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaSeeking, Out(Seeking))) &&
              SUCCEEDED(Graph->QueryInterface(IID_IBasicAudio, Out(Audio)));
    if (!ok) {
        Close();
    }
    return ok;
}

bool MovieGraph::AttachAllocator(HWND window) {
    ComPtr<IVMRSurfaceAllocatorNotify9> notify;
    if (FAILED(Renderer->QueryInterface(IID_IVMRSurfaceAllocatorNotify9, Out(notify)))) {
        return false;
    }
    bool created = false;
    // The new object's one reference is adopted, not added to.
    *Allocator.ReleaseAndGetAddressOf() =
        new (std::nothrow) CKvVmrSurfaceAllocator(window, &created);
    if (!Allocator || !created) {
        return false;
    }
    if (FAILED(notify->AdviseSurfaceAllocator(AllocatorUserId, Allocator.Get()))) {
        return false;
    }
    return SUCCEEDED(Allocator->AdviseNotify(notify.Get()));
}

void MovieGraph::Close() {
    if (Control) {
        OAFilterState state = State_Running;
        do {
            (void)Control->Stop();
            if (FAILED(Control->GetState(0, &state))) {
                // A graph that cannot report its state any more is left as stopped as it gets.
                break;
            }
        } while (state != State_Stopped);
    }
    Audio.Reset();
    Seeking.Reset();
    Events.Reset();
    Control.Reset();
    Allocator.Reset();
    Renderer.Reset();
    Graph.Reset();
}
