// A graph whose Stop never returns (a faulty decoder can do that): closing it must not hang
// the closing thread, and graphs that do stop are still stopped and released as before.
#include <gtest/gtest.h>

#include "HardeningSupport.h"
#include "MovieGraph.h"
#include "SaverTestSupport.h"

namespace {

bool Empty(const MovieGraph& g) {
    return !g.Graph && !g.Renderer && !g.Allocator && !g.Control && !g.Events && !g.Seeking &&
           !g.Audio;
}

DWORD PlayThenClose(MovieGraph& graph, const std::wstring& clip, HWND window) {
    EXPECT_TRUE(graph.Open(clip.c_str(), window));
    if (!graph.Control)
        return 0;
    EXPECT_TRUE(SUCCEEDED(graph.Control->Run()));
    saver_test::PumpFor(800);
    const DWORD start = GetTickCount();
    graph.Close();
    return GetTickCount() - start;
}

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

DWORD CloseStuck(MovieGraph& graph, StuckControl& control, HWND window) {
    // A real graph with the stuck control in place of its own.
    EXPECT_TRUE(graph.Open(saver_test::Clip(L"saver-red.avi").c_str(), window));
    graph.Control = &control;
    const DWORD start = GetTickCount();
    graph.Close();
    return GetTickCount() - start;
}

} // namespace

// In one process, in this order: a graph that stops (nothing given up yet), then two that
// never stop, then one that stops again with the shorter wait in force.
TEST(NeverStoppingGraph, CloseGivesUpTheStuckGraphAndStillStopsTheOthers) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    hardening::TileWindow window;
    ASSERT_NE(window.child, nullptr);
    {
        MovieGraph normal;
        const DWORD took = PlayThenClose(normal, saver_test::Clip(L"saver-red.avi"), window.child);
        EXPECT_TRUE(Empty(normal));
        EXPECT_FALSE(MovieGraph::AnyAbandoned()) << "a graph that stops was given up";
        std::printf("[measure] a graph that stops: Close took %lu ms\n",
                    static_cast<unsigned long>(took));
    }
    static StuckControl first, second;
    MovieGraph stuck;
    const DWORD took = CloseStuck(stuck, first, window.child);
    EXPECT_TRUE(Empty(stuck));
    EXPECT_EQ(first.stopCalls, 1);
    EXPECT_TRUE(MovieGraph::AnyAbandoned());
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 1300u);
    EXPECT_GT(first.refs, 1) << "the stuck graph's reference was released";
    const DWORD tookSecond = CloseStuck(stuck, second, window.child);
    EXPECT_TRUE(Empty(stuck));
    EXPECT_LT(tookSecond, 600u);
    std::printf("[measure] graphs that never stop: Close gave up after %lu ms, then %lu ms\n",
                static_cast<unsigned long>(took), static_cast<unsigned long>(tookSecond));

    // The same object plays and stops again afterwards.
    const DWORD tookAfter =
        PlayThenClose(stuck, saver_test::Clip(L"saver-green.mp4"), window.child);
    EXPECT_TRUE(Empty(stuck));
    EXPECT_LT(tookAfter, 300u);
    // The stuck threads end once let go; the process then ends normally.
    SetEvent(first.release);
    SetEvent(second.release);
}
