// The real Orsetta.scr in configuration mode, copied into a private folder with a
// Japanese name (its INI and list file then lie there), driven from this process.
#include <gtest/gtest.h>

#include <thread>

#include "DialogDriver.h"
#include "TestFiles.h"
#include "resource.h"
#include "version.h"

namespace {

using namespace uitest;
using testing_support::TempDir;

class ProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(UseJapaneseFontOfWindowsWidths()); }

    void SetUp() override {
        folder = FullPath(dir.Path()) + L"\\スクリーンセーバー";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring product = testing_support::ProductPath();
        ASSERT_FALSE(product.empty());
        program = folder + L"\\Orsetta.scr";
        ASSERT_TRUE(CopyFileW(product.c_str(), program.c_str(), FALSE));
    }

    void TearDown() override {
        if (process.hProcess != nullptr) {
            if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the program did not end";
                TerminateProcess(process.hProcess, 1);
            }
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    HWND StartConfiguration() {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring line = L"\"" + program + L"\" /c";
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &si, &process))
            return nullptr;
        return WaitForDialog(process.dwProcessId, L"Orsetta", 20000);
    }

    bool Ended() { return WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0; }

    TempDir dir;
    std::wstring folder;
    std::wstring program;
    PROCESS_INFORMATION process = {};
};

TEST_F(ProgramTest, OkWritesTheSettingsAndTheList) {
    // Japanese paths in the list: bytes in code page 932, as the system's ANSI page.
    ASSERT_EQ(GetACP(), 932u);
    const std::wstring first = L"C:\\動画\\一本目.avi";
    const std::wstring second = L"D:\\ムービー\\二本目.mp4";
    ASSERT_TRUE(testing_support::WriteBytes(folder + L"\\Orsetta.mflst",
                                            "#Movie File List\n" + Ansi(L"C:\\消す.avi") + "\n" +
                                                Ansi(first) + "\n" + Ansi(second) + "\n"));
    HWND dlg = StartConfiguration();
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
    ASSERT_EQ(ListItems(list), (std::vector<std::wstring>{L"C:\\消す.avi", first, second}));
    SendMessageW(list, LB_SETSEL, TRUE, 0);
    Click(dlg, IDC_DELETE);
    Click(dlg, IDC_MUTE);
    SendDlgItemMessageW(dlg, IDC_SCREEN_COUNT, CB_SETCURSEL, 2, 0);

    // The about box, opened from the system menu's item, shows this build's file version.
    PostMessageW(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForDialog(process.dwProcessId, L"バージョン情報 Orsetta");
    ASSERT_NE(about, nullptr);
    wchar_t expected[64];
    swprintf(expected, 64, L"Version %d.%02d.%04d.%04d", ORSETTA_VERSION_MAJOR,
             ORSETTA_VERSION_MINOR, ORSETTA_VERSION_PATCH, ORSETTA_VERSION_BUILD);
    EXPECT_EQ(Text(GetDlgItem(about, IDC_VERSION)), expected);
    EXPECT_EQ(GetWindow(about, GW_OWNER), dlg);
    Sleep(300); // let it paint before the picture is taken
    EXPECT_TRUE(SaveWindowBitmap(about, ArtifactsFolder() + L"about-dialog.bmp"));
    Click(about, IDOK);
    ASSERT_TRUE(WaitGone(about));

    Sleep(300);
    EXPECT_TRUE(SaveWindowBitmap(dlg, ArtifactsFolder() + L"settings-dialog.bmp"));
    PostClick(dlg, IDOK);
    ASSERT_TRUE(Ended());

    EXPECT_EQ(testing_support::ReadBytes(folder + L"\\Orsetta.mflst"),
              "#Movie File List\n" + Ansi(first) + "\n" + Ansi(second) + "\n");
    EXPECT_EQ(testing_support::ReadBytes(folder + L"\\Orsetta.ini"),
              "[Ver1]\r\nInitialDir=\r\nContinue=1\r\nMute=0\r\nShuffle=1\r\n"
              "ScreenCountMode=2\r\n");
}

TEST_F(ProgramTest, CancelWritesNothing) {
    HWND dlg = StartConfiguration();
    ASSERT_NE(dlg, nullptr);
    Click(dlg, IDC_SHUFFLE);
    Click(dlg, IDCANCEL);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(testing_support::FileExists(folder + L"\\Orsetta.ini"));
    EXPECT_FALSE(testing_support::FileExists(folder + L"\\Orsetta.mflst"));
}

TEST_F(ProgramTest, HelpStaysOpenAfterTheDialogUntilItIsClosed) {
    const std::wstring product = testing_support::ProductPath();
    const std::wstring chm = product.substr(0, product.find_last_of(L'.')) + L".chm";
    ASSERT_TRUE(CopyFileW(chm.c_str(), (folder + L"\\Orsetta.chm").c_str(), FALSE));
    for (const int end : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(end);
        HWND dlg = StartConfiguration();
        ASSERT_NE(dlg, nullptr);
        PostClick(dlg, IDC_HELP_BUTTON);
        HWND help = WaitForClass(process.dwProcessId, L"HH Parent");
        ASSERT_NE(help, nullptr);
        PostClick(dlg, end);
        ASSERT_TRUE(WaitGone(dlg));
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 1000), WAIT_TIMEOUT);
        EXPECT_TRUE(IsWindowVisible(help));
        // OK saved while help was still open; Cancel saved nothing.
        EXPECT_EQ(testing_support::FileExists(folder + L"\\Orsetta.ini"), end == IDOK);
        // Still served, not only still there.
        EXPECT_NE(SendMessageTimeoutW(help, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr), 0);
        PostMessageW(help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(Ended());
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
    }
}

TEST_F(ProgramTest, OwnedByTheWindowOnTheCommandLine) {
    // The owner lives on a thread that keeps pumping: the dialog's creation talks to it.
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND owner = nullptr;
    DWORD ownerThreadId = 0;
    std::thread ownerThread([&] {
        ownerThreadId = GetCurrentThreadId();
        owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                nullptr, nullptr, nullptr, nullptr);
        SetEvent(ready);
        MSG msg;
        while (owner != nullptr && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    ASSERT_NE(owner, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring line =
        L"\"" + program + L"\" /c:" +
        std::to_wstring(static_cast<long long>(reinterpret_cast<intptr_t>(owner) & 0xFFFFFFFF));
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &si, &process));
    HWND dlg = WaitForDialog(process.dwProcessId, L"Orsetta", 20000);
    EXPECT_NE(dlg, nullptr);
    if (dlg != nullptr) {
        EXPECT_EQ(GetWindow(dlg, GW_OWNER), owner);
        PostMessageW(dlg, WM_CLOSE, 0, 0);
        EXPECT_TRUE(Ended());
    }
    PostMessageW(owner, WM_CLOSE, 0, 0);
    PostThreadMessageW(ownerThreadId, WM_QUIT, 0, 0);
    ownerThread.join();
}

TEST(AboutVersionTest, ProgramWithoutVersionResourceShowsZeros) {
    TempDir dir;
    const std::wstring out = FullPath(dir.File(L"version.txt"));
    const auto run = testing_support::RunProcess(L"\"" + testing_support::ProgramFolder() +
                                                     L"ui_version_probe.exe\" \"" + out + L"\"",
                                                 20000);
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.exitCode, 0u);
    const std::string bytes = testing_support::ReadBytes(out);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                           bytes.size() / sizeof(wchar_t)),
              L"Version 0.00.0000.0000");
}

} // namespace
