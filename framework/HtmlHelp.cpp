#include "HtmlHelp.h"

#include <cwchar>

namespace {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

BOOL CALLBACK FindHelpWindow(HWND window, LPARAM found) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    if (processId != GetCurrentProcessId() || !IsWindowVisible(window) ||
        GetClassNameW(window, className, 16) == 0 || wcscmp(className, L"HH Parent") != 0)
        return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

} // namespace

HWND AfxHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
    // Loaded once and kept: the help window lives on after the call returns. Only the
    // system's own copy: a program run from a downloads folder must not load an
    // hhctrl.ocx that lies beside it.
    static HtmlHelpProc proc = []() -> HtmlHelpProc {
        HMODULE library = LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library == nullptr)
            return nullptr;
        return reinterpret_cast<HtmlHelpProc>(
            reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
    }();
    if (proc == nullptr)
        return nullptr;
    return proc(caller, file, command, data);
}

bool AfxHelpWindowShown() {
    bool found = false;
    // Stopping early makes EnumWindows report failure; `found` says what was seen.
    (void)EnumWindows(&FindHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
