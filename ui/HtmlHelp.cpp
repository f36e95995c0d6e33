#include "HtmlHelp.h"

namespace {
using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
}

HWND OrsettaHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
    // Loaded once and kept: the help window lives on after the call returns.
    static HtmlHelpProc proc = []() -> HtmlHelpProc {
        HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        if (library == nullptr)
            return nullptr;
        return reinterpret_cast<HtmlHelpProc>(
            reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
    }();
    if (proc == nullptr)
        return nullptr;
    return proc(caller, file, command, data);
}
