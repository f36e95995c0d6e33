#include "MovieGraph.h"

#include <oleauto.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

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

// The servers and drives that did not answer a file check in this run: their other entries
// fail at once rather than each after the network's time-out.
SRWLOCK g_deadRootsLock = SRWLOCK_INIT;
std::vector<std::wstring> g_deadRoots;

bool RootKnownDead(const std::wstring& root) {
    AcquireSRWLockShared(&g_deadRootsLock);
    const bool dead = std::find(g_deadRoots.begin(), g_deadRoots.end(), root) != g_deadRoots.end();
    ReleaseSRWLockShared(&g_deadRootsLock);
    return dead;
}

void MarkRootDead(const std::wstring& root) {
    AcquireSRWLockExclusive(&g_deadRootsLock);
    try {
        if (std::find(g_deadRoots.begin(), g_deadRoots.end(), root) == g_deadRoots.end())
            g_deadRoots.push_back(root);
    } catch (const std::bad_alloc&) {
        // Unremembered: the next entry there costs its own time-out.
    }
    ReleaseSRWLockExclusive(&g_deadRootsLock);
}

MovieGraph::FileCheck g_fileCheck = &MovieGraph::CheckFile;

} // namespace

DWORD MovieGraph::CheckFile(const wchar_t* path) {
    // Opened the way a source filter opens it (sharing everything, so that nothing a source
    // could open is refused here).
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    (void)CloseHandle(file); // ours and valid
    return ERROR_SUCCESS;
}

// A disk or share file that is not there, is a folder or cannot be read fails here, before a
// graph, a renderer and a Direct3D device are built for it in vain (a tenth of a second each).
bool MovieGraph::FileLooksPlayable(const wchar_t* path) {
    if (!NamesDiskOrShareFile(path))
        return true; // left to the graph
    std::wstring root;
    try {
        root = PathRootKey(path);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (RootKnownDead(root))
        return false;
    const DWORD start = GetTickCount();
    const DWORD error = g_fileCheck(path);
    if (RootIsDown(error, GetTickCount() - start))
        MarkRootDead(root);
    return error == ERROR_SUCCESS;
}

void MovieGraph::SetFileCheck(FileCheck check) {
    g_fileCheck = check != nullptr ? check : &MovieGraph::CheckFile;
}

namespace {

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

bool MovieGraph::Open(const wchar_t* path, HWND window, OpenWatch* watch) {
    ComString file(path);
    Close();
    if (!file.Get() || SysStringLen(file.Get()) == 0) {
        return false;
    }
    // Each step's end, for a watching caller; always true.
    const auto done = [watch](const char* step) {
        if (watch != nullptr)
            watch->StepDone(step);
        return true;
    };
    if (!FileLooksPlayable(path) || !done("0 file check")) {
        return false;
    }

    ComPtr<IVMRFilterConfig9> config;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                         Out(Graph))) &&
              done("1 graph manager") &&
              SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IBaseFilter, Out(Renderer))) &&
              SUCCEEDED(Renderer->QueryInterface(IID_IVMRFilterConfig9, Out(config))) &&
              SUCCEEDED(config->SetRenderingMode(VMR9Mode_Renderless)) &&
              SUCCEEDED(config->SetNumberOfStreams(1)) && done("2 renderer") &&
              AttachAllocator(window, watch) &&
              SUCCEEDED(Graph->AddFilter(Renderer.Get(), RendererName)) &&
              SUCCEEDED(RenderMovie(Graph.Get(), Renderer.Get(), file.Get())) &&
              HideOtherVideoWindows() && done("5 RenderFile (graph built, surfaces allocated)") &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaControl, Out(Control))) &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaEventEx, Out(Events))) &&
              SUCCEEDED(Events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), WM_APP_GRAPHEVENT,
                                                0)) &&
              SUCCEEDED(Graph->QueryInterface(IID_IMediaSeeking, Out(Seeking))) &&
              SUCCEEDED(Graph->QueryInterface(IID_IBasicAudio, Out(Audio))) && done("6 interfaces");
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

bool MovieGraph::AttachAllocator(HWND window, OpenWatch* watch) {
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
    IVMRSurfaceAllocator9* advised = Allocator.Get();
    if (watch != nullptr) {
        watch->StepDone("3 allocator (Direct3D object and device)");
        advised = watch->Advised(Allocator.Get());
    }
    if (FAILED(notify->AdviseSurfaceAllocator(AllocatorUserId, advised))) {
        return false;
    }
    const bool ok = SUCCEEDED(Allocator->AdviseNotify(notify.Get()));
    if (ok && watch != nullptr)
        watch->StepDone("4 advise");
    return ok;
}

void MovieGraph::Close() {
    if (Control) {
        OAFilterState state = State_Running;
        do {
            (void)Control->Stop(); // the state below says whether it took
            if (FAILED(Control->GetState(0, &state)))
                break; // a graph that cannot report its state is as stopped as it gets
        } while (state != State_Stopped);
    }
    // In the reverse order of the members.
    Audio.Reset();
    Seeking.Reset();
    Events.Reset();
    Control.Reset();
    Allocator.Reset();
    Renderer.Reset();
    Graph.Reset();
}
