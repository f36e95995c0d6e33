#include "HardeningSupport.h"

#include <psapi.h>
#include <winternl.h>

#include "SaverTestSupport.h"

namespace hardening {

std::wstring HardClip(const wchar_t* name) {
    return saver_test::WinePath(HARD_CLIP_DIR) + L"\\" + name;
}

std::string AnsiBytes(const std::wstring& path) {
    if (path.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), bytes.data(),
                            size, nullptr, nullptr);
    return bytes;
}

Stage::Stage() {
    program = dir.File(L"Orsetta.scr");
    ini = dir.File(L"Orsetta.ini");
    list = dir.File(L"Orsetta.mflst");
    copied = CopyFileW(testing_support::ProductPath().c_str(), program.c_str(), FALSE) != 0;
}

void Stage::SetOptions(const Options& o) {
    const std::pair<const wchar_t*, int> keys[] = {{L"Continue", o.continueOn},
                                                   {L"Mute", o.mute},
                                                   {L"Shuffle", o.shuffle},
                                                   {L"ScreenCountMode", o.screenCountMode}};
    for (const auto& [key, value] : keys)
        WritePrivateProfileStringW(L"Ver1", key, std::to_wstring(value).c_str(), ini.c_str());
}

void Stage::SetList(const std::vector<std::wstring>& paths) {
    std::string bytes = "#Movie File List\n";
    for (const auto& p : paths)
        bytes += AnsiBytes(p) + "\n";
    SetListBytes(bytes);
}

void Stage::SetListBytes(const std::string& bytes) {
    testing_support::WriteBytes(list, bytes);
}

std::string Stage::ListBytes() const {
    return testing_support::ReadBytes(list);
}

SaverRun::~SaverRun() {
    if (pi.hProcess == nullptr)
        return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool SaverRun::Start(const Stage& stage) {
    std::wstring line = L"\"" + stage.program + L"\" /s";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::vector<wchar_t> cmd(line.begin(), line.end());
    cmd.push_back(L'\0');
    started = GetTickCount();
    return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          stage.dir.Path().c_str(), &si, &pi) != 0;
}

HWND SaverRun::WaitForHost(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && Alive()) {
        for (HWND w : saver_test::ProcessWindows(pi.dwProcessId)) {
            const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
            const LONG_PTR exStyle = GetWindowLongPtrW(w, GWL_EXSTYLE);
            if ((style & WS_POPUP) != 0 && (exStyle & WS_EX_TOPMOST) != 0)
                return host = w;
        }
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
    // The tiles open inside the handler that creates them: a message sent now is answered
    // once that handler has returned.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(host, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

long SaverRun::EndByMouse(DWORD timeoutMs) {
    PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    Sleep(100);
    PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
    const DWORD start = GetTickCount();
    windowsGoneMs = -1;
    while (GetTickCount() - start < timeoutMs) {
        if (windowsGoneMs < 0 && saver_test::ProcessWindows(pi.dwProcessId).empty())
            windowsGoneMs = static_cast<long>(GetTickCount() - start);
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

bool SaverRun::Alive() const {
    return pi.hProcess != nullptr && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD SaverRun::ExitCode() const {
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

// The process's handles counted in the system's handle table (Wine answers
// GetProcessHandleCount with 0 for every process); 0 when not available.
DWORD CountHandlesInSystemTable(DWORD processId) {
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll != nullptr ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                                        GetProcAddress(ntdll, "NtQuerySystemInformation")))
                                  : nullptr;
    if (query == nullptr)
        return 0;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &length)) == kInfoLengthMismatch &&
           buffer.size() < (256u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries =
        reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD mine = 0;
    for (ULONG i = 0; i < count; ++i)
        mine += entries[i].processId == static_cast<USHORT>(processId) ? 1 : 0;
    return mine;
}

} // namespace

DWORD SaverRun::HandleCount() const {
    DWORD count = 0;
    if (!GetProcessHandleCount(pi.hProcess, &count) || count == 0)
        return CountHandlesInSystemTable(pi.dwProcessId);
    return count;
}

SIZE_T SaverRun::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    // Wine leaves PrivateUsage at 0; the commit charge is the same figure on Windows.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

} // namespace hardening
