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
              SUCCEEDED(Graph->RenderFile(file.Get(), nullptr)) && HideOtherVideoWindows() &&
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

bool MovieGraph::HideOtherVideoWindows() {
    // A stream our renderer does not take gets a renderer of its own from RenderFile, with a
    // window of its own; shown, that window would take the activation and end the saver.
    ComPtr<IVideoWindow> videoWindow;
    if (SUCCEEDED(Graph->QueryInterface(IID_IVideoWindow, Out(videoWindow))))
        (void)videoWindow->put_AutoShow(OAFALSE); // fails when no such renderer is there
    return true;
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

namespace {

// How long Close waits for a graph to stop. A graph that stops does so within a few frames;
// one whose streaming threads are stuck (a faulty decoder) never does, and the user must
// not be kept waiting for it. Once one graph has been given up, the others of this process
// get a shorter wait, so that several stuck graphs still end the saver promptly.
constexpr DWORD kStopWaitMs = 1000;
constexpr DWORD kStopWaitAfterAbandonMs = 300;

LONG g_abandonedGraphs = 0;

// Stops the graph on a thread of its own. The reference is the closing MovieGraph's, which
// keeps it alive until this thread has ended or, should the stop never end, for ever.
DWORD WINAPI StopGraphThread(void* parameter) {
    auto* control = static_cast<IMediaControl*>(parameter);
    const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    OAFilterState state = State_Running;
    do {
        (void)control->Stop();
        if (FAILED(control->GetState(0, &state))) {
            // A graph that cannot report its state any more is left as stopped as it gets.
            break;
        }
    } while (state != State_Stopped);
    if (comReady)
        CoUninitialize();
    return 0;
}

// Lets go of a reference without releasing it: the object may be in use by a thread that
// never returns, and releasing it could block this thread or free what that thread uses.
template <class T> void Abandon(ComPtr<T>& holder) {
    (void)holder.Detach();
}

} // namespace

bool MovieGraph::AnyAbandoned() {
    return InterlockedCompareExchange(&g_abandonedGraphs, 0, 0) != 0;
}

bool MovieGraph::StopControl() {
    HANDLE thread = CreateThread(nullptr, 0, &StopGraphThread, Control.Get(), 0, nullptr);
    if (thread == nullptr) {
        // No thread to spare: stop here and now, as there is no other way to stop it.
        (void)StopGraphThread(Control.Get());
        return true;
    }
    const DWORD wait = AnyAbandoned() ? kStopWaitAfterAbandonMs : kStopWaitMs;
    const DWORD start = GetTickCount();
    bool stopped = false;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= wait)
            break;
        // Messages sent to this thread's windows by the graph's threads are answered while
        // waiting, as they were while Stop ran here; nothing posted is handled.
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &thread, FALSE, wait - spent, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) {
            stopped = true;
            break;
        }
        if (woken != WAIT_OBJECT_0 + 1)
            break; // time-out or failure: the graph is not known to have stopped
        MSG message;
        (void)PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread); // result ignored: the handle is ours and valid
    return stopped;
}

void MovieGraph::Close() {
    if (Control && !StopControl()) {
        InterlockedIncrement(&g_abandonedGraphs);
        Abandon(Audio);
        Abandon(Seeking);
        Abandon(Events);
        Abandon(Control);
        Abandon(Allocator);
        Abandon(Renderer);
        Abandon(Graph);
        return;
    }
    Audio.Reset();
    Seeking.Reset();
    Events.Reset();
    Control.Reset();
    Allocator.Reset();
    Renderer.Reset();
    Graph.Reset();
}
