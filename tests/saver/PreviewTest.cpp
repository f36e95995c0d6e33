// The real Orsetta.scr /p inside a host window of this test.
#include <gtest/gtest.h>

#include <string>

#include "SaverTestSupport.h"
#include "TestFiles.h"

using namespace saver_test;

namespace {

PROCESS_INFORMATION StartPreview(const std::wstring& handleText) {
    std::wstring line = L"\"" + testing_support::ProductPath() + L"\" /p " + handleText;
    std::vector<wchar_t> cmd(line.begin(), line.end());
    cmd.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    return pi;
}

// Waits for the process while this thread answers its host window's messages.
bool WaitPumping(HANDLE process, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return true;
        PumpFor(20);
    }
    return false;
}

void Finish(PROCESS_INFORMATION& pi) {
    if (pi.hProcess == nullptr)
        return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST(Preview, CoversTheHostsClientAreaPaintsTheNameAndEndsWithTheHost) {
    const wchar_t* cls = L"OrsettaPreviewHost";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, cls, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                152, 112, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    PumpFor(100);

    PROCESS_INFORMATION pi =
        StartPreview(std::to_wstring(static_cast<long long>(reinterpret_cast<intptr_t>(host))));
    ASSERT_NE(pi.hProcess, nullptr);
    HWND child = nullptr;
    const DWORD start = GetTickCount();
    while (child == nullptr && GetTickCount() - start < 20000) {
        PumpFor(50);
        child = GetWindow(host, GW_CHILD);
    }
    ASSERT_NE(child, nullptr);
    RECT hostClient = {}, childRect = {};
    GetClientRect(host, &hostClient);
    GetWindowRect(child, &childRect);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&childRect), 2);
    EXPECT_TRUE(EqualRect(&hostClient, &childRect));

    // Black with the name in white at the top, as this system draws status text; polled,
    // as the other process paints in its own time.
    const Screenshot text = RenderStatusText(L"Orsetta", 152, 112);
    Screenshot screen, area;
    bool painted = false;
    for (int attempt = 0; attempt < 50 && !painted; ++attempt) {
        PumpFor(100);
        if (!screen.Capture())
            continue;
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 112; ++y)
            for (int x = 0; x < 152; ++x) {
                const Rgb c = screen.At(100 + x, 100 + y);
                pixels.push_back(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
            }
        area.Assign(152, 112, pixels);
        painted = TextMatches(area, text, 112);
    }
    screen.SaveBmp(ArtifactDir() + L"\\preview.bmp");
    EXPECT_TRUE(painted);
    EXPECT_GT(area.BrightShare(RECT{0, 0, 152, 30}), 0.01);
    EXPECT_LT(area.BrightShare(RECT{0, 40, 152, 112}, 60), 0.001);

    DestroyWindow(host);
    EXPECT_TRUE(WaitPumping(pi.hProcess, 5000));
    Finish(pi);
}

TEST(Preview, HandleThatIsNoWindowEndsQuietly) {
    PROCESS_INFORMATION pi = StartPreview(L"12345");
    ASSERT_NE(pi.hProcess, nullptr);
    EXPECT_TRUE(WaitPumping(pi.hProcess, 10000));
    EXPECT_TRUE(ProcessWindows(pi.dwProcessId).empty());
    Finish(pi);
}

} // namespace
