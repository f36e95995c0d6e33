#pragma once
#include <windows.h>

// Private window messages, both parameters 0.
// From a filter graph to its player window.
inline constexpr UINT WM_APP_GRAPHEVENT = WM_APP + 1;
// From the saver host to itself.
inline constexpr UINT WM_APP_CREATEPLAYERS = WM_APP + 100;
inline constexpr UINT WM_APP_RUNPLAYERS = WM_APP + 101;
