#pragma once
// Small file and process helpers for the Windows tests.
#include <windows.h>

#include <string>

namespace testing_support {

// A fresh folder under the temporary directory, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

std::string ReadBytes(const std::wstring& path, bool* exists = nullptr);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// The full path of the running test program's folder, with a trailing backslash.
std::wstring ProgramFolder();
// The build tree's Orsetta.scr (beside the test programs' tree).
std::wstring ProductPath();

struct ProcessResult {
    bool started = false;
    bool exited = false; // within the time-out
    DWORD exitCode = 0;
    DWORD milliseconds = 0;
};
// Starts a command line and waits for it; a process still running at the time-out is
// killed and reported as not exited.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs);

// A 32-bit top-down DIB section of the given size for the device context, its pixels at
// *bits; null when it cannot be made.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// Handles this thread's messages for the given time. Bounded even while messages keep
// coming, so a window that floods its own queue fails a test instead of hanging it.
void PumpMessagesFor(DWORD milliseconds);

} // namespace testing_support
