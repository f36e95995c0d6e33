#include "HangGuard.h"

namespace {

// For the life of the process: the watching thread is never waited for (it may be inside a
// send to the very thread that would wait), so nothing it reads is ever freed.
HWND g_host = nullptr;
HANDLE g_stop = nullptr;

DWORD LastInputTime() {
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}

bool PointerAt(POINT* point) {
    return GetCursorPos(point) != 0;
}

// Ends the process unless the close has begun meanwhile.
void EndUnlessClosing() {
    if (WaitForSingleObject(g_stop, 0) == WAIT_TIMEOUT)
        (void)TerminateProcess(GetCurrentProcess(), 0); // as when input ends the saver
}

DWORD WINAPI Watch(void*) {
    DWORD seen = LastInputTime();
    POINT first = {};
    const bool pointerKnown = PointerAt(&first);
    DWORD movedAt = 0;
    bool moved = false;
    while (WaitForSingleObject(g_stop, 100) == WAIT_TIMEOUT) {
        // Any move of the pointer ends the saver. Under Wine a device stuck in the driver can
        // keep the pointer's messages from an idle user-interface thread, and the pointer is
        // read afresh where the last input time stands still: a move the saver has not acted
        // on well after it is one that never reached it.
        POINT now = {};
        if (!moved && pointerKnown && PointerAt(&now) && (now.x != first.x || now.y != first.y)) {
            moved = true;
            movedAt = GetTickCount();
        }
        if (moved && GetTickCount() - movedAt >= kHangGuardDeafMs) {
            EndUnlessClosing();
            break;
        }
        // Other input: the thread that judges it answers within the time unless it is stuck.
        const DWORD input = LastInputTime();
        if (input == seen)
            continue;
        seen = input;
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(g_host, WM_NULL, 0, 0, SMTO_NORMAL, kHangGuardDeafMs, &result) ||
            GetLastError() != ERROR_TIMEOUT)
            continue;
        EndUnlessClosing();
        break;
    }
    return 0;
}

} // namespace

bool StartHangGuard(HWND host) {
    if (g_stop != nullptr)
        return false;
    g_host = host;
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_stop == nullptr)
        return false;
    HANDLE thread = CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr);
    if (thread == nullptr)
        return false;
    CloseHandle(thread);
    return true;
}

void StopHangGuard() {
    if (g_stop != nullptr)
        (void)SetEvent(g_stop); // only fails for a bad handle, which this is not
}
