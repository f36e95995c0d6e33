#pragma once
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include "KvVmrSurfaceAllocator.h"

// The DirectShow objects that play one movie file in one player window. After Open either
// all seven members are set (success) or all are empty; after Close all are empty.
class MovieGraph {
public:
    MovieGraph();
    ~MovieGraph(); // Close()

    MovieGraph(const MovieGraph&) = delete;
    MovieGraph& operator=(const MovieGraph&) = delete;

    // Builds the graph for the file, stopped; the window receives WM_APP_GRAPHEVENT and the
    // frames. Always closes the previous graph first.
    bool Open(const wchar_t* path, HWND window);
    // Stops the graph and releases everything; safe when empty. A graph that does not stop
    // within a bounded wait is abandoned instead: its references are let go unreleased,
    // its threads left as they are, and the members are empty all the same.
    void Close();
    // True once some graph of this process has been abandoned; the process then cannot
    // rely on an orderly exit (the stuck threads may hold locks that exit needs).
    static bool AnyAbandoned();

    Microsoft::WRL::ComPtr<IGraphBuilder> Graph;
    Microsoft::WRL::ComPtr<IBaseFilter> Renderer;
    Microsoft::WRL::ComPtr<CKvVmrSurfaceAllocator> Allocator;
    Microsoft::WRL::ComPtr<IMediaControl> Control;
    Microsoft::WRL::ComPtr<IMediaEventEx> Events;
    Microsoft::WRL::ComPtr<IMediaSeeking> Seeking;
    Microsoft::WRL::ComPtr<IBasicAudio> Audio;

private:
    bool AttachAllocator(HWND window);
    bool HideOtherVideoWindows();
    // Stops the control on a worker thread; false when it did not stop within the wait.
    bool StopControl();
};
