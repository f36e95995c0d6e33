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
    // Hands the graph to a thread of its own, which reads the current position (when asked),
    // stops the graph and releases the references in the members' reverse order; the members
    // are empty at once. Close waits for that thread. Nothing happens when the graph is empty
    // or already closing. For the last close of a window: each step is bounded by the wait.
    void BeginClose(bool readPosition);
    // Stops the graph and releases everything; safe when empty. Without BeginClose the stop
    // is made on a thread of its own and the releases here, once it has stopped. A close that
    // does not end within a bounded wait is abandoned instead: its references stay with its
    // thread, which may never return, and the members are empty all the same.
    void Close();
    // The position read by the close under way, waited for within the close's bound; false
    // when there is no such close, no position was asked for or it could not be read in time.
    bool ClosingPosition(LONGLONG* position);
    bool IsClosing() const { return m_closing != nullptr; }
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
    struct Closing;

    bool AttachAllocator(HWND window);
    bool HideOtherVideoWindows();
    // Hands the seven references to a new close on a thread of its own; null when it could
    // only be done here and now (and so is done).
    Closing* StartClosing(bool readPosition, bool releaseOnThread);
    // Moves the seven references into the close.
    void TakeInto(Closing& closing);

    Closing* m_closing = nullptr;
};
