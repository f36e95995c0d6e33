#pragma once
// The platform's own way to play a clip in a window, with no code of ours: a VMR9 in
// windowless mode with its own presenter. The yardstick for what the platform keeps per graph.
#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>
#include <wrl/client.h>

// Builds the graph for the clip, drawing over the window's client area, stopped. False (and
// the holders possibly set) when some step fails.
bool OpenPlatformGraph(const wchar_t* clip, HWND window,
                       Microsoft::WRL::ComPtr<IGraphBuilder>* graph,
                       Microsoft::WRL::ComPtr<IMediaControl>* control);
