#pragma once
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include "KvVmrSurfaceAllocator.h"

// The DirectShow objects that play one movie file in one player window. After Open either
// all seven members are set (success) or all are empty; after Close all are empty. Every
// call blocks for as long as the platform's media code takes: a tile makes them on its
// worker thread (see TileWorker), never on the user-interface thread.
class MovieGraph {
public:
    MovieGraph();
    ~MovieGraph(); // Close()

    MovieGraph(const MovieGraph&) = delete;
    MovieGraph& operator=(const MovieGraph&) = delete;

    // What a caller may watch of Open (the benchmarks time its steps): the end of each step,
    // and the object the renderer is given as its allocator (the allocator itself, or a
    // stand-in that passes every call on to it).
    class OpenWatch {
    public:
        virtual void StepDone(const char* step) = 0;
        virtual IVMRSurfaceAllocator9* Advised(CKvVmrSurfaceAllocator* allocator) {
            return allocator;
        }

    protected:
        ~OpenWatch() = default;
    };

    // Builds the graph for the file, stopped; the window receives WM_APP_GRAPHEVENT and the
    // frames. Always closes the previous graph first.
    bool Open(const wchar_t* path, HWND window, OpenWatch* watch = nullptr);
    // Stops the graph and releases everything; safe when empty.
    void Close();

    // How a movie file is checked before a graph is built for it: ERROR_SUCCESS when it can
    // be opened for reading, else the system's error. Tests put a check of their own here.
    using FileCheck = DWORD (*)(const wchar_t* path);
    static DWORD CheckFile(const wchar_t* path);
    static void SetFileCheck(FileCheck check);
    // False for a disk or share file that is not there, is a folder or cannot be read, and
    // at once for any file on a share or drive that has been found not to answer. Open
    // checks with it before it builds anything.
    static bool FileLooksPlayable(const wchar_t* path);

    Microsoft::WRL::ComPtr<IGraphBuilder> Graph;
    Microsoft::WRL::ComPtr<IBaseFilter> Renderer;
    Microsoft::WRL::ComPtr<CKvVmrSurfaceAllocator> Allocator;
    Microsoft::WRL::ComPtr<IMediaControl> Control;
    Microsoft::WRL::ComPtr<IMediaEventEx> Events;
    Microsoft::WRL::ComPtr<IMediaSeeking> Seeking;
    Microsoft::WRL::ComPtr<IBasicAudio> Audio;

private:
    bool AttachAllocator(HWND window, OpenWatch* watch);
    bool HideOtherVideoWindows();
};
