#pragma once
#include <windows.h>

// What a player window does with the graph of its current movie. The product's graph is
// MovieGraphPlayer; tests put doubles in its place. Every call is made on the tile's worker
// thread (see TileWorker), never on the user-interface thread.
class IPlayerGraph {
public:
    virtual ~IPlayerGraph() = default;
    // A quick look at whether the file is worth a graph at all, before Open; doubles take
    // every file.
    virtual bool FileLooksPlayable(const wchar_t* path) {
        (void)path;
        return true;
    }
    // Closes the previous graph first, whatever the outcome.
    virtual bool Open(const wchar_t* path, HWND window) = 0;
    // Stops the graph and lets it go; may take as long as the graph's threads do.
    virtual void Close() = 0;
    virtual bool HasControl() const = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run() = 0;
    virtual bool HasEvents() const = 0;
    virtual HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) = 0;
    virtual HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) = 0;
    virtual bool HasSeeking() const = 0;
    virtual HRESULT SeekTo(LONGLONG position) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG* position) = 0;
    virtual HRESULT SetVolume(long volume) = 0;
};
