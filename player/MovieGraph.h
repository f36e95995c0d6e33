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
    // Stops the graph and releases everything; safe when empty.
    void Close();

    Microsoft::WRL::ComPtr<IGraphBuilder> Graph;
    Microsoft::WRL::ComPtr<IBaseFilter> Renderer;
    Microsoft::WRL::ComPtr<CKvVmrSurfaceAllocator> Allocator;
    Microsoft::WRL::ComPtr<IMediaControl> Control;
    Microsoft::WRL::ComPtr<IMediaEventEx> Events;
    Microsoft::WRL::ComPtr<IMediaSeeking> Seeking;
    Microsoft::WRL::ComPtr<IBasicAudio> Audio;

private:
    bool AttachAllocator(HWND window);
};
