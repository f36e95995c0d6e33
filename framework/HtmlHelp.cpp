#include "HtmlHelp.h"

namespace {
using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
}

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
