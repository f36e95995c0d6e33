#pragma once
#include <windows.h>

// Ends the process when input does not reach the saver: a platform call can block the
// user-interface thread for good (under Wine, a tile's CreateDevice for its next movie waiting
// on a GL context while another tile's device presents), or a device stuck in the driver can
// keep the pointer's messages from it, and nothing else would then ever take the saver off the
// screen. Two signs, each given kHangGuardDeafMs: the pointer moved (which always ends the
// saver) and the close has not begun; other input came and the user-interface thread does not
// answer. The saver's own close is bounded by itself, so the guard stands down once it begins.
constexpr DWORD kHangGuardDeafMs = 2000;

// Starts watching `host`, a window of the calling thread; false when no thread could be had
// (the saver then runs as it would without the guard).
bool StartHangGuard(HWND host);
// The close has begun: from now on the guard ends nothing.
void StopHangGuard();
