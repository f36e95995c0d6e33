#pragma once
#include <windows.h>

// HtmlHelpW from hhctrl.ocx, which has no import library here: the control is loaded from
// the system folder on first use. When it cannot be loaded the call does nothing and
// returns nullptr.
HWND AfxHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// Whether a help window of this process is on the screen. HtmlHelp runs its windows on a
// thread of its own on Windows (on the caller's under Wine) and may return before the
// window exists, so the windows are found by their class rather than by what it returned.
bool AfxHelpWindowShown();

inline constexpr UINT kHelpDisplayToc = 0x0001; // HH_DISPLAY_TOC
