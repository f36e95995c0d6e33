#pragma once
#include <windows.h>

// The last resort: ends the process when input that ends the saver (a move of the pointer,
// a key, a mouse button) has not begun its close within kHangGuardDeafMs. The saver makes
// no platform media call on its user-interface thread, so this should never act; should that
// thread still be kept (a fault of the platform, or of ours), nothing else would take the
// saver off the screen. Before it ends the process it writes every tile's resume entry as it
// stands, and it ends with kHangGuardExitCode, never with a close's 0.
//
// The input is watched from a thread of its own through the system's low-level input hooks,
// and the pointer is also read afresh now and then; a pointer that only reports where it
// already was is no input (under Wine, windows appearing under the pointer report it so).
constexpr DWORD kHangGuardDeafMs = 2000;
constexpr UINT kHangGuardExitCode = 0x4847; // "HG"

// Starts watching; false when no thread could be had (the saver then runs as without it).
bool StartHangGuard();
// The close has begun: from now on the guard ends nothing. False when the guard has already
// taken over (it is ending the process), so the close is not to go on.
bool StopHangGuard();
