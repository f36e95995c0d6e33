#pragma once
#include <windows.h>

// Ends the process when a move of the pointer, which always ends the saver, has not begun its
// close within kHangGuardDeafMs: a platform call can block the user-interface thread for good
// (under Wine, a tile's CreateDevice for its next movie waiting on a GL context while another
// tile's device presents), or a device stuck in Wine's driver can keep the pointer's messages
// from it, and nothing else would then ever take the saver off the screen. The pointer is read
// afresh on every look, also where such a thread keeps the system's last input time still;
// other input is left to the saver, since under Wine windows appearing under the pointer count
// as input too. The saver's own close is bounded by itself, so the guard stands down then.
constexpr DWORD kHangGuardDeafMs = 2000;

// Starts watching; false when no thread could be had (the saver then runs as without it).
bool StartHangGuard();
// The close has begun: from now on the guard ends nothing.
void StopHangGuard();
