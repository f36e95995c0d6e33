#include "HtmlHelp.h"

#include <cwchar>

#include "SystemLibrary.h"

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
    // The help window lives on after the call returns; the control stays loaded.
    static const auto proc = SystemFunction<HtmlHelpProc>(L"hhctrl.ocx", "HtmlHelpW");
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
