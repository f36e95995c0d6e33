#pragma once
#include "IPlayerGraph.h"
#include "MovieGraph.h"

// A MovieGraph seen through the player's calls.
class MovieGraphPlayer final : public IPlayerGraph {
public:
    bool FileLooksPlayable(const wchar_t* path) override {
        return MovieGraph::FileLooksPlayable(path);
    }
    bool Open(const wchar_t* path, HWND window) override { return Graph.Open(path, window); }
    void Close() override { Graph.Close(); }
    bool HasControl() const override { return Graph.Control != nullptr; }
    HRESULT Pause() override;
    HRESULT Run() override;
    bool HasEvents() const override { return Graph.Events != nullptr; }
    HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) override;
    HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) override;
    bool HasSeeking() const override { return Graph.Seeking != nullptr; }
    HRESULT SeekTo(LONGLONG position) override;
    HRESULT GetCurrentPosition(LONGLONG* position) override;
    HRESULT SetVolume(long volume) override;

    MovieGraph Graph;
};
