#include "HardeningSupport.h"

#include <psapi.h>

#include <algorithm>
#include <winternl.h>

#include "SaverTestSupport.h"

namespace hardening {

std::wstring HardClip(const wchar_t* name) {
    return saver_test::WinePath(HARD_CLIP_DIR) + L"\\" + name;
}

TileWindow::TileWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HardeningTile";
    RegisterClassW(&wc); // fails harmlessly when already registered
    top = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                          nullptr, wc.hInstance, nullptr);
    child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, top,
                            nullptr, wc.hInstance, nullptr);
}

TileWindow::~TileWindow() {
    if (top != nullptr)
        DestroyWindow(top);
}

WatchedProcess::~WatchedProcess() {
    if (pi.hProcess == nullptr)
        return;
    Kill();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool WatchedProcess::Launch(const std::wstring& commandLine, const std::wstring& folder) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    started = GetTickCount();
    return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &si, &pi) != 0;
}

void WatchedProcess::Kill() {
    if (Alive()) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
}

bool SaverRun::Start(const Stage& stage) {
    // The saver reads input while it starts, so the pointer's own position may be the first
    // one recorded: it is where EndByMouse's first move goes.
    SetCursorPos(10, 10);
    // Without it the desktop's return is not measured.
    (void)desktop.Capture(saver_test::VirtualScreen());
    return Launch(L"\"" + stage.program + L"\" /s", stage.dir.Path());
}

HWND SaverRun::WaitForHost(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && Alive()) {
        if ((host = saver_test::FindSaverHost(pi.dwProcessId)) != nullptr)
            return host;
        Sleep(20);
    }
    return nullptr;
}

bool SaverRun::WaitCued(size_t tiles, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (saver_test::ChildWindows(host).size() < tiles) {
        if (GetTickCount() - start >= timeoutMs || !Alive())
            return false;
        Sleep(20);
    }
    // The tiles are made inside one handler: a message sent now is answered once it has
    // returned (each tile's worker then opens its movie on its own).
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(host, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

long SaverRun::EndByMouse(DWORD timeoutMs) {
    PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    Sleep(100);
    PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
    return WaitEnd(GetTickCount(), timeoutMs);
}

long SaverRun::EndByPointer(POINT over, DWORD timeoutMs) {
    SetCursorPos(over.x, over.y);
    Sleep(100);
    SetCursorPos(over.x + 20, over.y);
    const DWORD start = GetTickCount();
    // A busy window may take two quick moves as one: a third follows.
    Sleep(100);
    SetCursorPos(over.x + 40, over.y);
    return WaitEnd(start, timeoutMs);
}

long SaverRun::EndByKey(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    return saver_test::PressKey(VK_SPACE) ? WaitEnd(start, timeoutMs) : -1;
}

long SaverRun::WaitEnd(DWORD start, DWORD timeoutMs) {
    windowsGoneMs = desktopBackMs = -1;
    const RECT screen = {0, 0, desktop.Width(), desktop.Height()};
    while (GetTickCount() - start < timeoutMs) {
        if (windowsGoneMs < 0 && saver_test::ProcessWindows(pi.dwProcessId).empty())
            windowsGoneMs = static_cast<long>(GetTickCount() - start);
        saver_test::Screenshot now;
        if (desktopBackMs < 0 && desktop.Width() > 0 && now.Capture(saver_test::VirtualScreen()) &&
            now.Differences(desktop, screen) * 100 <
                static_cast<size_t>(screen.right) * screen.bottom)
            desktopBackMs = static_cast<long>(GetTickCount() - start);
        if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) {
            const long took = static_cast<long>(GetTickCount() - start);
            if (windowsGoneMs < 0)
                windowsGoneMs = took;
            return took;
        }
    }
    return -1;
}

bool SaverRun::WaitShown(DWORD timeoutMs) {
    // A tile paints nothing of its own, so it may show what was on the screen before: only
    // a changing picture counts as shown.
    const DWORD start = GetTickCount();
    saver_test::Screenshot before;
    bool haveBefore = before.Capture();
    do {
        Sleep(300);
        saver_test::Screenshot now;
        if (!now.Capture())
            continue;
        bool all = haveBefore;
        for (HWND tile : saver_test::ChildWindows(host)) {
            RECT r = {};
            if (!IsWindowVisible(tile) || !GetWindowRect(tile, &r))
                continue;
            all = all && now.Differences(before, r) > 50;
        }
        if (all)
            return true;
        before = now;
        haveBefore = true;
    } while (GetTickCount() - start < timeoutMs && Alive());
    return false;
}

HWND WatchedProcess::WaitForWindow(const wchar_t* title, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && Alive()) {
        for (HWND w : saver_test::ProcessWindows(pi.dwProcessId)) {
            wchar_t text[256] = {};
            GetWindowTextW(w, text, 256);
            if (lstrcmpW(text, title) == 0)
                return w;
        }
        Sleep(20);
    }
    return nullptr;
}

bool SaverRun::WaitPictures(size_t tiles, DWORD timeoutMs, size_t from) {
    const DWORD start = GetTickCount();
    // Each tile counts once it has shown a picture: with short clips on a busy machine the
    // black of a movie change in one tile or another can last long enough that all nine are
    // rarely bright at the same moment.
    std::vector<bool> seen;
    while (GetTickCount() - start < timeoutMs && Alive()) {
        Sleep(50);
        const std::vector<HWND> found = saver_test::ChildWindows(host);
        saver_test::Screenshot now;
        if (found.size() < tiles || !now.Capture())
            continue;
        seen.resize(found.size(), false);
        bool all = true;
        for (size_t i = from; i < found.size(); ++i) {
            RECT r = {};
            const saver_test::Rgb c = GetWindowRect(found[i], &r) ? now.Mean(r) : saver_test::Rgb{};
            seen[i] = seen[i] || std::max({c.r, c.g, c.b}) > 100;
            all = all && seen[i];
        }
        if (all)
            return true;
    }
    return false;
}

bool WatchedProcess::Alive() const {
    return pi.hProcess != nullptr && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD WatchedProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (!GetExitCodeProcess(pi.hProcess, &code))
        return STILL_ACTIVE;
    return code;
}

namespace {

// One entry of the system's handle table (information class 16).
struct SystemHandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

} // namespace

namespace {

// The type number the handle table gives registry keys: read from a key this process opens.
UCHAR RegistryKeyType(const SystemHandleEntry* entries, ULONG count, HKEY key) {
    const DWORD self = GetCurrentProcessId();
    const USHORT value = static_cast<USHORT>(reinterpret_cast<ULONG_PTR>(key));
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].processId == static_cast<USHORT>(self) && entries[i].handle == value)
            return entries[i].objectType;
    return 0;
}

} // namespace

HandleCounts CountHandles(DWORD processId) {
    HandleCounts counts;
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll != nullptr ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                                        GetProcAddress(ntdll, "NtQuerySystemInformation")))
                                  : nullptr;
    HKEY probe = nullptr;
    if (query == nullptr ||
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &probe) != ERROR_SUCCESS)
        return counts;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &length)) == kInfoLengthMismatch &&
           buffer.size() < (256u << 20))
        buffer.resize(buffer.size() * 2);
    if (status == 0) {
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries =
            reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
        const UCHAR keyType = RegistryKeyType(entries, count, probe);
        for (ULONG i = 0; i < count; ++i) {
            if (entries[i].processId != static_cast<USHORT>(processId))
                continue;
            ++counts.total;
            counts.registryKeys += keyType != 0 && entries[i].objectType == keyType ? 1 : 0;
        }
    }
    RegCloseKey(probe);
    return counts;
}

SIZE_T WatchedProcess::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    // Wine leaves PrivateUsage at 0; the commit charge is the same figure on Windows.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

} // namespace hardening
