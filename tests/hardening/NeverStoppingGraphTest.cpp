// A graph whose Stop never returns (a faulty decoder can do that): the tile's worker that closes
// it is given up within the close's bound, and workers whose graphs stop still finish at once.
#include <gtest/gtest.h>

#include "AppMessages.h"
#include "HardeningSupport.h"
#include "MovieGraphPlayer.h"
#include "SaverTestSupport.h"
#include "TileWorker.h"

namespace {

// A media control whose Stop never returns until the test lets it go, the way a graph
// with a stuck decoder behaves. It lives for the whole process: an abandoned graph's
// references are never released.
class StuckControl : public IMediaControl {
public:
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG stopCalls = 0;
    volatile LONG refs = 1;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IMediaControl) {
            *object = static_cast<IMediaControl*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Run() override { return S_OK; }
    STDMETHODIMP Pause() override { return S_OK; }
    STDMETHODIMP Stop() override {
        InterlockedIncrement(&stopCalls);
        WaitForSingleObject(release, INFINITE);
        return S_OK;
    }
    STDMETHODIMP GetState(LONG, OAFilterState* state) override {
        *state = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP RenderFile(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP StopWhenReady() override { return S_OK; }
};

// A worker playing the clip in the window, once it has said so.
std::unique_ptr<TileWorker> Playing(const wchar_t* clip, HWND window) {
    auto worker = std::make_unique<TileWorker>(std::make_unique<MovieGraphPlayer>(), 0);
    worker->Start(window);
    TileWorker::OpenRequest request;
    request.ticket = 7;
    request.path = saver_test::Clip(clip);
    request.run = true;
    worker->Open(request);
    MSG answer = {};
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(10))
        if (PeekMessageW(&answer, window, WM_APP_TILEWORK, WM_APP_TILEWORK, PM_REMOVE))
            break;
    EXPECT_EQ(answer.wParam, static_cast<WPARAM>(TileWork::Opened)) << "the clip did not open";
    EXPECT_EQ(answer.lParam, 7);
    saver_test::PumpFor(800);
    return worker;
}

// Milliseconds until the worker has closed its graph, or -1 when it was given up.
long Finish(TileWorker& worker) {
    const DWORD start = GetTickCount();
    worker.BeginFinish();
    const bool finished = worker.WaitFinished(start, kTileFinishWaitMs);
    const long took = static_cast<long>(GetTickCount() - start);
    return finished ? took : -took;
}

} // namespace

// In one process, in this order: a graph that stops, one that never stops, then one that
// stops again.
TEST(NeverStoppingGraph, ItsWorkerIsGivenUpInTimeAndTheOthersStillStop) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    hardening::TileWindow window;
    ASSERT_NE(window.child, nullptr);
    const long normal = Finish(*Playing(L"saver-red.avi", window.child));
    EXPECT_GE(normal, 0) << "a graph that stops was given up";
    EXPECT_LT(normal, 500);
    EXPECT_FALSE(TileWorker::AnyGivenUp());

    static StuckControl stuck;
    {
        std::unique_ptr<TileWorker> worker = Playing(L"saver-red.avi", window.child);
        worker->Call([](IPlayerGraph& graph) {
            static_cast<MovieGraphPlayer&>(graph).Graph.Control = &stuck;
        });
        while (worker->Busy())
            Sleep(1);
        const long took = Finish(*worker);
        EXPECT_LE(took, -static_cast<long>(kTileFinishWaitMs) + 100) << "not given up, or early";
        EXPECT_GT(took, -static_cast<long>(kTileFinishWaitMs) - 300);
        EXPECT_TRUE(TileWorker::AnyGivenUp());
        EXPECT_EQ(stuck.stopCalls, 1);
        const DWORD start = GetTickCount();
        worker.reset(); // given up once, not waited for again
        EXPECT_LT(GetTickCount() - start, 100u);
        EXPECT_GT(stuck.refs, 1) << "the stuck graph's reference was released";
        std::printf("[measure] a graph that never stops: its worker given up after %ld ms (one "
                    "that stops: %ld ms)\n",
                    -took, normal);
    }
    const long after = Finish(*Playing(L"saver-green.mp4", window.child));
    EXPECT_GE(after, 0);
    EXPECT_LT(after, 500);
    // The stuck worker ends once let go; the process then ends normally.
    SetEvent(stuck.release);
}
