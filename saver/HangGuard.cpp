#include "HangGuard.h"

namespace {

// For the life of the process: the watching thread is never waited for (it may be inside a
// send to the very thread that would wait), so nothing it reads is ever freed.
HWND g_host = nullptr;
HANDLE g_stop = nullptr;

// What shows that the user did something. The pointer is read as well: under Wine a
// window's input reaches the system only through the thread that owns the window, so with
// that thread stuck the last input time stands still, while the pointer is read afresh.
struct InputMark {
    DWORD time = 0;
    POINT pointer = {};
    bool operator==(const InputMark& other) const {
        return time == other.time && pointer.x == other.pointer.x && pointer.y == other.pointer.y;
    }
};

InputMark LastInput() {
    InputMark mark;
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    if (GetLastInputInfo(&info))
        mark.time = info.dwTime;
    if (!GetCursorPos(&mark.pointer))
        mark.pointer = {};
    return mark;
}

DWORD WINAPI Watch(void*) {
    InputMark seen = LastInput();
    while (WaitForSingleObject(g_stop, 100) == WAIT_TIMEOUT) {
        const InputMark input = LastInput();
        if (input == seen)
            continue;
        seen = input;
        // The thread that judges the input answers within the time unless it is stuck; a
        // thread that answers has the input in hand, and ends the saver itself if it should.
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(g_host, WM_NULL, 0, 0, SMTO_NORMAL, kHangGuardDeafMs, &result) ||
            GetLastError() != ERROR_TIMEOUT)
            continue;
        if (WaitForSingleObject(g_stop, 0) != WAIT_TIMEOUT)
            break;
        (void)TerminateProcess(GetCurrentProcess(), 0); // as when input ends the saver
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
