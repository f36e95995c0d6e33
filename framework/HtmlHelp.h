#pragma once
#include <windows.h>

// HtmlHelpW from hhctrl.ocx, which has no import library here: the control is loaded from
// the system folder on first use. When it cannot be loaded the call does nothing and
// returns nullptr.
HWND AfxHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

inline constexpr UINT kHelpDisplayToc = 0x0001; // HH_DISPLAY_TOC
