#pragma once
#include <windows.h>

// Private window messages; both parameters 0 unless said otherwise.
// From a filter graph to its player window.
inline constexpr UINT WM_APP_GRAPHEVENT = WM_APP + 1;
// From a tile's worker to its player window: wParam what happened, lParam the request's ticket.
inline constexpr UINT WM_APP_TILEWORK = WM_APP + 2;
// From the saver host to itself.
inline constexpr UINT WM_APP_CREATEPLAYERS = WM_APP + 100;
inline constexpr UINT WM_APP_RUNPLAYERS = WM_APP + 101;
