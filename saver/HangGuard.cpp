#include "HangGuard.h"

#include "TileResume.h"

namespace {

// Who ends the saver: nobody yet, its close, or the guard. The first to claim it does.
enum : LONG { kRunning = 0, kClosing = 1, kGuarding = 2 };
LONG g_end = kRunning;

// For the life of the process: the watching thread is never waited for, so nothing it reads
// is ever freed.
HANDLE g_stop = nullptr;
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

LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        if (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN || wParam == WM_MBUTTONDOWN ||
            wParam == WM_XBUTTONDOWN)
            NoteInput();
        else if (wParam == WM_MOUSEMOVE)
            NotePointer(reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TakeOver() {
    if (InterlockedCompareExchange(&g_end, kGuarding, kRunning) != kRunning)
        return; // the close began meanwhile
    try {
        TileResume::WriteAll();
    } catch (...) {
        // Out of memory for a key's name: what was written stays written.
    }
    (void)TerminateProcess(GetCurrentProcess(), kHangGuardExitCode);
}

DWORD WINAPI Watch(void*) {
    // Without hooks the pointer alone is watched.
    HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHook, GetModuleHandleW(nullptr), 0);
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, &MouseHook, GetModuleHandleW(nullptr), 0);
    for (;;) {
        // The hooks are called from this thread's message calls.
        const DWORD woken = MsgWaitForMultipleObjects(1, &g_stop, FALSE, 100, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
            break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            (void)DispatchMessageW(&message); // this thread has no windows; the result says nothing
        POINT now = {};
        if (GetCursorPos(&now))
            NotePointer(now);
        if (g_inputAt != 0 && GetTickCount() - g_inputAt >= kHangGuardDeafMs &&
            WaitForSingleObject(g_stop, 0) == WAIT_TIMEOUT)
            TakeOver();
        if (InterlockedCompareExchange(&g_end, kRunning, kRunning) != kRunning)
            break;
    }
    if (keyboard != nullptr)
        (void)UnhookWindowsHookEx(keyboard); // fails only for a hook that is gone anyway
    if (mouse != nullptr)
        (void)UnhookWindowsHookEx(mouse);
    return 0;
}

} // namespace

bool StartHangGuard() {
    if (g_stop != nullptr)
        return false;
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_stop == nullptr)
        return false;
    HANDLE thread = CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr);
    if (thread == nullptr)
        return false;
    (void)CloseHandle(thread); // ours and valid; the thread runs on without it
    return true;
}

bool StopHangGuard() {
    const LONG was = InterlockedCompareExchange(&g_end, kClosing, kRunning);
    if (g_stop != nullptr)
        (void)SetEvent(g_stop); // only fails for a bad handle, which this is not
    return was != kGuarding;
}
