#pragma once
// Screenshots, clips and window queries shared by the saver's Windows tests.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace saver_test {

// A build-tree (Unix) path as the Windows programs under Wine see it.
std::wstring WinePath(const char* unixPath);
// The clip of the given name made for these tests.
std::wstring Clip(const wchar_t* name);
// The folder for screenshots kept as test artifacts (made when missing).
std::wstring ArtifactDir();

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// The virtual screen: every monitor's area together.
RECT VirtualScreen();

// The whole screen, top-down, read through the screen's device context.
class Screenshot {
public:
    bool Capture();
    // An area of the virtual screen only; the picture's (0, 0) is its top left corner.
    bool Capture(const RECT& area);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Rgb At(int x, int y) const;
    // Mean colour of a rectangle.
    Rgb Mean(const RECT& r) const;
    // Share of the rectangle's pixels brighter than the threshold in every channel.
    double BrightShare(const RECT& r, int threshold = 200) const;
    // Number of pixels that differ by more than the tolerance in some channel.
    size_t Differences(const Screenshot& other, const RECT& r, int tolerance = 24) const;
    // A 24-bit BMP file.
    bool SaveBmp(const std::wstring& path) const;
    // Takes a top-down picture of 0x00RRGGBB pixels.
    void Assign(int width, int height, std::vector<uint32_t> pixels);

private:
    int m_width = 0, m_height = 0;
    std::vector<uint32_t> m_pixels; // 0x00RRGGBB
};

// True when the colour is within the tolerance of the expected one in every channel.
bool Near(Rgb c, Rgb expected, int tolerance = 60);

// The text a window of this system draws (white on black, the default font, centred,
// word-wrapped from the top) into a rectangle of the given size, as a picture.
Screenshot RenderStatusText(const wchar_t* text, int width, int height);
// True when the lit pixels (text) of the screenshot's top rows, from its origin, lie where
// they lie in the picture, within a pixel or two, and mostly agree pixel by pixel.
bool TextMatches(const Screenshot& screen, const Screenshot& text, int rows);

// Top-level visible windows of a process.
std::vector<HWND> ProcessWindows(DWORD processId);
// The process's topmost borderless window without owner (the saver's host), or null.
HWND FindSaverHost(DWORD processId);
// Children of a window, in creation order, with their screen rectangles.
std::vector<HWND> ChildWindows(HWND parent);

// Presses and lets go of a key the way a user does (through the input queue, to the
// foreground window); false when the system took not both events.
bool PressKey(WORD key);

// Pumps this thread's messages for the time given.
void PumpFor(DWORD milliseconds);

// Keys of section "Ver1" of an INI file.
std::wstring IniString(const std::wstring& ini, const std::wstring& key);

// The real Orsetta.scr staged in a folder of its own and driven from outside.
// The path in the system's ANSI code page, the way the program's list file holds it
// (characters the code page lacks become its default character).
std::string AnsiBytes(const std::wstring& path);

struct Options {
    int continueOn = 0, mute = 1, shuffle = 0, screenCountMode = 1;
};

// A copy of the program (or of another build of it) with its own settings file and list
// file.
class Stage {
public:
    explicit Stage(const std::wstring& source = testing_support::ProductPath());
    void SetOptions(const Options& options);
    // A list file of the given paths, each converted with AnsiBytes.
    void SetList(const std::vector<std::wstring>& paths);
    void SetListBytes(const std::string& bytes);
    std::string ListBytes() const;

    testing_support::TempDir dir;
    std::wstring program, ini, list;
    bool copied = false;
};

} // namespace saver_test
