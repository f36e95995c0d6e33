#pragma once
// The real Orsetta.scr staged in a folder of its own and driven from outside, for the
// bad-input tests and the soak.
#include <windows.h>

#include <string>
#include <vector>

#include "SaverTestSupport.h"
#include "TestFiles.h"

namespace hardening {

// A clip made for these tests, as a Windows path.
std::wstring HardClip(const wchar_t* name);
using saver_test::AnsiBytes;
using saver_test::Options;
using saver_test::Stage;

// A top-level window with one child, the way a saver tile sits in its host.
class TileWindow {
public:
    TileWindow();
    ~TileWindow();
    TileWindow(const TileWindow&) = delete;
    TileWindow& operator=(const TileWindow&) = delete;
    HWND top = nullptr, child = nullptr;
};

// A process's open handles, from the system's handle table (Wine answers
// GetProcessHandleCount with 0 for every process); zeros when not available. Registry keys
// are counted apart: under Wine the platform's filter enumeration leaves some open with
// every graph it builds.
struct HandleCounts {
    DWORD total = 0;
    DWORD registryKeys = 0;
    DWORD Others() const { return total - registryKeys; }
};
HandleCounts CountHandles(DWORD processId);

// A child process watched from outside; killed if still running when this goes.
class WatchedProcess {
public:
    WatchedProcess() = default;
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;
    ~WatchedProcess();
    bool Launch(const std::wstring& commandLine, const std::wstring& folder);
    bool Alive() const;
    DWORD ExitCode() const;
    // A visible top-level window of the process with exactly this title, once it exists.
    HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs = 20000) const;
    // Open handles and private bytes of the process now (0 when not available).
    DWORD HandleCount() const { return Handles().total; }
    HandleCounts Handles() const { return CountHandles(pi.dwProcessId); }
    SIZE_T PrivateBytes() const;
    void Kill();

    PROCESS_INFORMATION pi = {};
    DWORD started = 0;
};

// One run of the saver process ("/s").
class SaverRun : public WatchedProcess {
public:
    bool Start(const Stage& stage);
    // The topmost borderless host window, once it exists.
    HWND WaitForHost(DWORD timeoutMs = 20000);
    // Waits until the host has its tiles and has finished the message that opened them.
    bool WaitCued(size_t tiles, DWORD timeoutMs);
    // Waits until every tile either shows a moving picture or has hidden itself (nothing to
    // play); false when some tile still shows no change at the time-out.
    bool WaitShown(DWORD timeoutMs);
    // Waits until the host has that many tiles and each from `from` on shows a picture (not
    // black); false at the time-out.
    bool WaitPictures(size_t tiles, DWORD timeoutMs, size_t from = 0);
    // Sends the mouse moves that end the saver: the first position is only recorded. Returns
    // the milliseconds from the deciding move to the end of the process, or -1 when it does
    // not end within the time-out.
    long EndByMouse(DWORD timeoutMs = 10000);
    // The same with the real pointer, moved through the system to points around `over`.
    long EndByPointer(POINT over, DWORD timeoutMs = 10000);
    // The same with a key pressed through the system (the saver has the focus).
    long EndByKey(DWORD timeoutMs = 10000);
    // Milliseconds from the deciding move until no window of the process is visible, and
    // until every monitor shows again what it showed before the start.
    long windowsGoneMs = -1;
    long desktopBackMs = -1;
    HWND host = nullptr;
    saver_test::Screenshot desktop; // the virtual screen

private:
    // Measures the end from the tick count `start`.
    long WaitEnd(DWORD start, DWORD timeoutMs);
};

} // namespace hardening
