#include "HangGuard.h"

#include "TileResume.h"

namespace {

// Who ends the saver: nobody yet, its close, or the guard. The first to claim it does.
enum : LONG { kRunning = 0, kClosing = 1, kGuarding = 2 };
LONG g_end = kRunning;

// When the close began (GetTickCount); the close is bounded by itself and ends the process
// well within kHangGuardDeafMs, so one still under way after that is stuck.
volatile DWORD g_closeBeganAt = 0;
// The saver's host window, whose thread is asked whether it still answers.
HWND g_host = nullptr;
constexpr UINT kAnswerWaitMs = 300;
POINT g_firstPointer = {};
bool g_havePointer = false;
// When the first input the guard counts came (GetTickCount), 0 while none has. Written by the
// hooks and the look at the pointer, all on the guard's thread.
DWORD g_inputAt = 0;

void NoteInput() {
    if (g_inputAt == 0)
        g_inputAt = GetTickCount() | 1; // never 0
}

void NotePointer(POINT at) {
    if (!g_havePointer) {
        g_firstPointer = at;
        g_havePointer = true;
    } else if (at.x != g_firstPointer.x || at.y != g_firstPointer.y) {
        NoteInput();
    }
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
        NoteInput();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Buttons only: the pointer's own position is read afresh instead, since a move reported to
// the hook may carry a stale position (measured under Wine: a guard that took them acted on a
// saver that had seen no move).
LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN ||
                              wParam == WM_MBUTTONDOWN || wParam == WM_XBUTTONDOWN))
        NoteInput();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TakeOver(LONG from) {
    if (InterlockedCompareExchange(&g_end, kGuarding, from) != from)
        return; // the close began meanwhile
    try {
        // Without waiting for a lock: the thread that holds one may be the stuck one.
        TileResume::WriteAll(false);
    } catch (...) {
        // Out of memory for a key's name: what was written stays written.
    }
    (void)TerminateProcess(GetCurrentProcess(), kHangGuardExitCode);
}

DWORD WINAPI Watch(void*) {
    POINT first = {};
    if (GetCursorPos(&first))
        NotePointer(first);
    // Without hooks the pointer alone is watched.
    HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHook, GetModuleHandleW(nullptr), 0);
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, &MouseHook, GetModuleHandleW(nullptr), 0);
    for (;;) {
        // The hooks are called from this thread's message calls.
        const DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        if (woken == WAIT_FAILED)
            break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            (void)DispatchMessageW(&message); // this thread has no windows; the result says nothing
        const LONG end = InterlockedCompareExchange(&g_end, kRunning, kRunning);
        if (end == kClosing) {
            // A close that has not ended the process by now is stuck somewhere in it.
            if (GetTickCount() - g_closeBeganAt >= kHangGuardDeafMs)
                TakeOver(kClosing);
            continue;
        }
        if (end != kRunning)
            break;
        POINT now = {};
        if (GetCursorPos(&now))
            NotePointer(now);
        if (g_inputAt == 0 || GetTickCount() - g_inputAt < kHangGuardDeafMs)
            continue;
        // Input the saver has not acted on: if its thread still answers, it was no input that
        // ends it (a first position only, or a position the pointer system reported late),
        // and the watch starts afresh from here.
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(g_host, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerWaitMs, &answer) != 0) {
            g_inputAt = 0;
            g_havePointer = false;
            continue;
        }
        TakeOver(kRunning);
    }
    if (keyboard != nullptr)
        (void)UnhookWindowsHookEx(keyboard); // fails only for a hook that is gone anyway
    if (mouse != nullptr)
        (void)UnhookWindowsHookEx(mouse);
    return 0;
}

} // namespace

bool StartHangGuard(HWND host) {
    static bool started = false;
    if (started)
        return false;
    started = true;
    g_host = host;
    HANDLE thread = CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr);
    if (thread == nullptr)
        return false;
    (void)CloseHandle(thread); // ours and valid; the thread runs on without it
    return true;
}

bool StopHangGuard() {
    g_closeBeganAt = GetTickCount();
    return InterlockedCompareExchange(&g_end, kClosing, kRunning) != kGuarding;
}
