// The saver itself (the same libraries, resources and start-up as Orsetta.scr) with one
// fault put in: once every tile runs, tile 1's graph gets a double that never returns, as a
// faulty splitter or decoder can. ORSETTA_GRAPH_DOUBLE says which call hangs: "release"
// (the graph manager's last Release), "position" (IMediaSeeking::GetPositions) or "ui" (a
// call on the user-interface thread, outside any close). The named
// event "OrsettaGraphDouble<process id>" is set once the double is in place.
#include <cstdlib>
#include <string>

#include "MovieGraphPlayer.h"
#include "OrsettaApp.h"
#include "WndSaver.h"
#include "WndSaverBase.h"

namespace {

constexpr int kStuckTile = 1;

// The IUnknown part of a double that stands in for a real interface: it answers for its own
// interface, passes other queries on to the real object and holds a reference on it.
template <class Interface> class DoubleOf : public Interface {
public:
    DoubleOf(Interface* real, REFIID iid) : m_real(real), m_iid(iid) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == m_iid) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        return m_real->QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }

protected:
    Microsoft::WRL::ComPtr<Interface> m_real;
    IID m_iid;
    LONG m_refs = 1;
};

// A graph manager whose last Release never returns; it answers nothing else.
class NeverReleasedGraph final : public DoubleOf<IGraphBuilder> {
public:
    explicit NeverReleasedGraph(IGraphBuilder* real) : DoubleOf(real, IID_IGraphBuilder) {}
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0)
            Sleep(INFINITE);
        return left;
    }
    STDMETHODIMP AddFilter(IBaseFilter*, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
    STDMETHODIMP FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Reconnect(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; }
    STDMETHODIMP Connect(IPin*, IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Render(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP Abort() override { return E_NOTIMPL; }
    STDMETHODIMP ShouldOperationContinue() override { return E_NOTIMPL; }
};

// A seeking interface whose position query never returns; it answers nothing else.
class NeverAnsweringSeeking final : public DoubleOf<IMediaSeeking> {
public:
    explicit NeverAnsweringSeeking(IMediaSeeking* real) : DoubleOf(real, IID_IMediaSeeking) {}
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override {
        Sleep(INFINITE);
        return E_FAIL;
    }
    STDMETHODIMP GetCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP IsFormatSupported(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDuration(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetRate(double) override { return E_NOTIMPL; }
    STDMETHODIMP GetRate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPreroll(LONGLONG*) override { return E_NOTIMPL; }
};

MovieGraph* RunningGraph(CWndSaver* player) {
    auto* real =
        player != nullptr ? dynamic_cast<MovieGraphPlayer*>(&player->m_worker.Graph()) : nullptr;
    OAFilterState state = State_Stopped;
    if (real == nullptr || !real->Graph.Control ||
        real->Graph.Control->GetState(0, &state) != S_OK || state != State_Running)
        return nullptr;
    return &real->Graph;
}

// Puts the double in once every tile has run for a second (so that its position is known).
void CALLBACK PutDoubleIn(HWND, UINT, UINT_PTR timer, DWORD) {
    static DWORD runningSince = 0;
    auto* host = dynamic_cast<CWndSaverBase*>(AfxGetApp()->m_pMainWnd);
    if (host == nullptr)
        return;
    for (int i = 0; i <= kStuckTile; ++i) {
        if (RunningGraph(host->m_players[i]) == nullptr) {
            runningSince = 0;
            return;
        }
    }
    if (runningSince == 0)
        runningSince = GetTickCount();
    if (GetTickCount() - runningSince < 1000)
        return;
    KillTimer(nullptr, timer);
    const std::string kind =
        std::getenv("ORSETTA_GRAPH_DOUBLE") ? std::getenv("ORSETTA_GRAPH_DOUBLE") : "";
    const std::wstring name = L"OrsettaGraphDouble" + std::to_wstring(GetCurrentProcessId());
    if (kind == "ui") {
        (void)SetEvent(CreateEventW(nullptr, TRUE, FALSE, name.c_str())); // kept for the process
        Sleep(INFINITE); // a call on the user-interface thread that never returns
    }
    // Put in by the tile's worker, which makes every call of the graph.
    host->m_players[kStuckTile]->m_worker.Call([kind, name](IPlayerGraph& player) {
        MovieGraph& graph = static_cast<MovieGraphPlayer&>(player).Graph;
        if (kind == "position")
            *graph.Seeking.ReleaseAndGetAddressOf() =
                new NeverAnsweringSeeking(graph.Seeking.Get());
        else
            *graph.Graph.ReleaseAndGetAddressOf() = new NeverReleasedGraph(graph.Graph.Get());
        (void)SetEvent(CreateEventW(nullptr, TRUE, FALSE, name.c_str())); // kept for the process
    });
}

class GraphDoubleApp : public COrsettaApp {
public:
    int Run() override {
        (void)SetTimer(nullptr, 0, 50, &PutDoubleIn);
        return COrsettaApp::Run();
    }
};

GraphDoubleApp theApp;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return AfxWinMain(instance, showCommand);
}
