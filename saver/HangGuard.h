#pragma once
#include <windows.h>

// Ends the process when input arrives and the user-interface thread does not answer for
// kHangGuardDeafMs: a platform call can block that thread for good (under Wine, a tile's
// CreateDevice for its next movie waiting on a GL context while another tile's device
// presents), and nothing else would then ever take the saver off the screen. The saver's own
// close is bounded by itself, so the guard stands down once that close has begun.
constexpr DWORD kHangGuardDeafMs = 2000;

// Starts watching `host`, a window of the calling thread; false when no thread could be had
// (the saver then runs as it would without the guard).
bool StartHangGuard(HWND host);
// The close has begun: from now on the guard ends nothing.
void StopHangGuard();
