#pragma once
// Finding and driving dialogs with window messages, from the test's own thread or another
// process, and saving what a window shows.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace uitest {

// A visible top-level dialog (class #32770) of the process whose caption is `caption`
// (any caption when null); waits up to timeoutMs.
HWND WaitForDialog(DWORD processId, const wchar_t* caption, DWORD timeoutMs = 10000);
// A message box of the process showing `text`.
HWND WaitForMessageBox(DWORD processId, const wchar_t* text, DWORD timeoutMs = 10000);
// A top-level window of the process with the class name; waits up to timeoutMs.
HWND WaitForClass(DWORD processId, const wchar_t* className, DWORD timeoutMs = 10000);
bool WaitGone(HWND window, DWORD timeoutMs = 10000);

std::wstring Text(HWND window);
std::vector<std::wstring> ListItems(HWND list);
std::vector<int> ListSelection(HWND list);
std::vector<std::wstring> ComboItems(HWND combo);

// A control's text against the room the control gives it, in pixels: the text's extent in
// the control's own font, and its client width (less the box and the gap after it for a
// check box or radio button).
struct TextFit {
    int id;
    std::wstring text;
    int extent;
    int room;
};
// Windows has "MS UI Gothic"; Wine gives the dialogs IPA Gothic in its place, whose
// full-width characters are 12 pixels at 9 points as MS UI Gothic's are, once the prefix names
// that replacement. Named, a proportional replacement left in the prefix by earlier runs goes,
// and the pictures show that font whatever else the runtime holds (nothing of this reaches
// Windows). Wine reads the replacements only when a process starts: this serves the processes
// started after it. False when the registry cannot be written.
bool UseJapaneseFontOfWindowsWidths();
// The full name of the font a window's text is drawn in (WM_GETFONT), from the font file;
// read in the window's own process, where its font handle is valid.
std::wstring FontFullName(HWND window);

// Every static text and button of a dialog that shows text, in template order. Measured
// in the dialog's own process, where its font handles are valid.
std::vector<TextFit> MeasureTexts(HWND dialog);

// Clicks a dialog's button with BM_CLICK; posted when the click opens something modal.
void Click(HWND dialog, int id);
void PostClick(HWND dialog, int id);

// A drop of these names as the shell makes it: a DROPFILES block in global memory.
HDROP MakeDrop(const std::vector<std::wstring>& names);

// Copies what the screen shows of the window into a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::wstring& path);
// <build>\artifacts\, made when missing.
std::wstring ArtifactsFolder();

// The absolute form of a path.
std::wstring FullPath(const std::wstring& path);

// Bytes of a wide text in the ANSI code page.
std::string Ansi(const std::wstring& text);

} // namespace uitest
