#include "MovieGraph.h"

#include <oleauto.h>

#include <new>

#include "AppMessages.h"
#include "MfSourceFilter.h"
#include "MoviePath.h"
#include "SourceReaderRules.h"

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

// The file opens for reading, the way a source filter opens it (sharing everything, so that
// nothing a source could open is refused here).
bool CanReadFile(const wchar_t* path) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file); // result ignored: ours and valid
    return true;
}

// A file that no DirectShow filter takes (on a Windows as shipped: MP4, MOV, MKV, WebM) is
// built again through Media Foundation's reader, with the same renderer.
HRESULT RenderMovie(IGraphBuilder* graph, IBaseFilter* renderer, BSTR file) {
    const HRESULT rendered = graph->RenderFile(file, nullptr);
    if (!FallsBackToMediaFoundation(rendered))
        return rendered;
    return SUCCEEDED(CMfSourceFilter::RenderFile(graph, renderer, file)) ? S_OK : rendered;
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
    // A file that is not there, is a folder or cannot be read fails here, before a graph, a
    // renderer and a Direct3D device are built for it in vain (a tenth of a second each).
    if (NamesDiskOrShareFile(path) && !CanReadFile(path)) {
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
              SUCCEEDED(RenderMovie(Graph.Get(), Renderer.Get(), file.Get())) &&
              HideOtherVideoWindows() &&
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

// How long Close waits for a graph's close: its position, its stop and, for a close begun
// with BeginClose, its releases. A graph that stops does so within a few frames; one whose
// threads are stuck (a faulty splitter or decoder) may never stop or never let go, and the
// user must not be kept waiting for it. Once one graph has been given up, the others of this
// process get a shorter wait.
constexpr DWORD kCloseWaitMs = 1000;
constexpr DWORD kCloseWaitAfterAbandonMs = 300;

LONG g_abandonedGraphs = 0;

// Waits until the handle is signalled or the time since `start` reaches `wait`, answering
// the messages that the graph's threads send to this thread's windows meanwhile (as they
// were answered while the graph was closed here); nothing posted is handled.
bool WaitAnswering(HANDLE handle, DWORD start, DWORD wait) {
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= wait)
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &handle, FALSE, wait - spent, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false; // time-out or failure: not known to have happened
        MSG message;
        (void)PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

// One graph being closed on a thread of its own. It is shared by that thread and the
// closing MovieGraph, and goes with the last of them: never, should the thread never return.
//
// The releases are made on that thread only for the close begun by BeginClose (a window's
// last). A plain Close (a movie replaced by the next) releases on the calling thread once
// the graph has stopped: under Wine a graph let go on another thread than the one that built
// it keeps about a megabyte, which movie after movie would add up.
struct MovieGraph::Closing {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> renderer;
    ComPtr<CKvVmrSurfaceAllocator> allocator;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IBasicAudio> audio;

    bool readPosition = false;
    bool releaseOnThread = false;
    // Written before positionKnown is set, read only after it is.
    bool positionRead = false;
    LONGLONG position = 0;
    HANDLE positionKnown = nullptr;
    HANDLE thread = nullptr;
    DWORD start = 0;
    DWORD wait = 0;
    LONG refs = 2;

    ~Closing() {
        if (positionKnown != nullptr)
            CloseHandle(positionKnown); // result ignored: ours and valid
    }
    void Release() {
        if (InterlockedDecrement(&refs) == 0)
            delete this;
    }

    void Run() {
        const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        if (readPosition && seeking) {
            LONGLONG current = 0;
            if (SUCCEEDED(seeking->GetPositions(&current, nullptr))) {
                position = current;
                positionRead = true;
            }
        }
        if (positionKnown != nullptr)
            (void)SetEvent(positionKnown); // cannot fail on a valid event
        if (control) {
            OAFilterState state = State_Running;
            do {
                (void)control->Stop();
                if (FAILED(control->GetState(0, &state)))
                    break; // a graph that cannot report its state is as stopped as it gets
            } while (state != State_Stopped);
        }
        if (releaseOnThread)
            ReleaseAll();
        if (comReady)
            CoUninitialize();
    }

    // In the reverse order of the members of MovieGraph.
    void ReleaseAll() {
        audio.Reset();
        seeking.Reset();
        events.Reset();
        control.Reset();
        allocator.Reset();
        renderer.Reset();
        graph.Reset();
    }

    static DWORD WINAPI Thread(void* parameter) {
        auto* closing = static_cast<Closing*>(parameter);
        closing->Run();
        closing->Release();
        return 0;
    }
};

bool MovieGraph::AnyAbandoned() {
    return InterlockedCompareExchange(&g_abandonedGraphs, 0, 0) != 0;
}

void MovieGraph::BeginClose(bool readPosition) {
    if (m_closing == nullptr &&
        (Graph || Renderer || Allocator || Control || Events || Seeking || Audio))
        m_closing = StartClosing(readPosition, true);
}

MovieGraph::Closing* MovieGraph::StartClosing(bool readPosition, bool releaseOnThread) {
    auto* closing = new (std::nothrow) Closing;
    if (closing == nullptr) {
        // Nothing to spare for a close on its own: close here and now.
        Closing here;
        TakeInto(here);
        here.Run();
        here.ReleaseAll();
        return nullptr;
    }
    // Without the event the position is not waited for, and so not asked for.
    closing->positionKnown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    closing->readPosition = readPosition && closing->positionKnown != nullptr;
    closing->releaseOnThread = releaseOnThread;
    TakeInto(*closing);
    closing->start = GetTickCount();
    closing->wait = AnyAbandoned() ? kCloseWaitAfterAbandonMs : kCloseWaitMs;
    closing->thread = CreateThread(nullptr, 0, &Closing::Thread, closing, 0, nullptr);
    if (closing->thread == nullptr) {
        // No thread to spare: close here and now, as there is no other way to close it.
        closing->Run();
        closing->refs = 1;
    }
    return closing;
}

void MovieGraph::TakeInto(Closing& closing) {
    // Swapped into the empty holders: mingw-w64's ComPtr copies on move assignment, which
    // would leave the references here as well.
    closing.graph.Swap(Graph);
    closing.renderer.Swap(Renderer);
    closing.allocator.Swap(Allocator);
    closing.control.Swap(Control);
    closing.events.Swap(Events);
    closing.seeking.Swap(Seeking);
    closing.audio.Swap(Audio);
}

bool MovieGraph::ClosingPosition(LONGLONG* position) {
    if (m_closing == nullptr || !m_closing->readPosition ||
        !WaitAnswering(m_closing->positionKnown, m_closing->start, m_closing->wait) ||
        !m_closing->positionRead)
        return false;
    *position = m_closing->position;
    return true;
}

void MovieGraph::Close() {
    Closing* closing = m_closing;
    m_closing = nullptr;
    if (closing == nullptr && !Control) {
        // Nothing to stop (an empty graph, or one that failed to open): let go here.
        Audio.Reset();
        Seeking.Reset();
        Events.Reset();
        Allocator.Reset();
        Renderer.Reset();
        Graph.Reset();
        return;
    }
    if (closing == nullptr && (closing = StartClosing(false, false)) == nullptr)
        return;
    if (closing->thread != nullptr &&
        !WaitAnswering(closing->thread, closing->start, closing->wait)) {
        // Given up: the references stay with the thread, which may never return.
        InterlockedIncrement(&g_abandonedGraphs);
    } else {
        closing->ReleaseAll(); // when the thread has not released them already
    }
    if (closing->thread != nullptr)
        CloseHandle(closing->thread); // result ignored: ours and valid
    closing->Release();
}
