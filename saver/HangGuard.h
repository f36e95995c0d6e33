#pragma once
#include <windows.h>

// The last resort: ends the process when input that ends the saver (a move of the pointer,
// a key, a mouse button) has not begun its close within kHangGuardDeafMs and the saver's
// user-interface thread does not even answer a message. The saver makes
// no platform media call on its user-interface thread, so this should never act; should that
// thread still be kept (a fault of the platform, or of ours), nothing else would take the
// saver off the screen. Before it ends the process it writes every tile's resume entry as it
// stands, and it ends with kHangGuardExitCode, never with a close's 0.
//
// It also watches the close itself, which is bounded to well under a second: one still under
// way after kHangGuardDeafMs is stuck (a message sent to a window whose thread does not
// answer, say), and the guard ends the process the same way.
//
// The input is watched from a thread of its own: keys and buttons through the system's
// low-level input hooks, the pointer by reading its position afresh ten times a second
// against where it was when the guard started.
constexpr DWORD kHangGuardDeafMs = 2000;
constexpr UINT kHangGuardExitCode = 0x4847; // "HG"

// Starts watching; false when no thread could be had (the saver then runs as without it).
bool StartHangGuard(HWND host);
// The close has begun: from now on the guard only watches that it ends the process within
// kHangGuardDeafMs (it is bounded to well under that), and takes over should it not. False
// when the guard has already taken over (it is ending the process): the close is not to go on.
bool StopHangGuard();
