#include "HangGuard.h"

namespace {

// For the life of the process: the watching thread is never waited for, so nothing it reads
// is ever freed.
HANDLE g_stop = nullptr;

DWORD WINAPI Watch(void*) {
    POINT first = {};
    if (!GetCursorPos(&first))
        return 0; // no pointer to watch
    bool moved = false;
    DWORD movedAt = 0;
    while (WaitForSingleObject(g_stop, 100) == WAIT_TIMEOUT) {
        POINT now = {};
        if (!moved && GetCursorPos(&now) && (now.x != first.x || now.y != first.y)) {
            moved = true;
            movedAt = GetTickCount();
        }
        if (moved && GetTickCount() - movedAt >= kHangGuardDeafMs) {
            // Unless the close began meanwhile; ended as input ends the saver.
            if (WaitForSingleObject(g_stop, 0) == WAIT_TIMEOUT)
                (void)TerminateProcess(GetCurrentProcess(), 0);
            break;
        }
    }
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

void StopHangGuard() {
    if (g_stop != nullptr)
        (void)SetEvent(g_stop); // only fails for a bad handle, which this is not
}
