// The settings dialog and the about box run in this process against a test application
// object, driven from a second thread with window messages while DoModal runs here.
#include <gtest/gtest.h>

#include <thread>

#include "AboutDlg.h"
#include "DialogDriver.h"
#include "ListCases.h"
#include "OrsettaApp.h"
#include "OrsettaDlg.h"
#include "TestFiles.h"

COrsettaApp theTestApp;

namespace {

using namespace uitest;
using testing_support::TempDir;

// Gives the tests the dialog's state that no message shows.
class TestDlg : public COrsettaDlg {
public:
    TestDlg() : COrsettaDlg(nullptr) {}
    int32_t MaxTextExtent() const { return maxTextExtent; }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = GetOrsettaApp();
        app->InitialDir.clear();
        app->Continue = app->Mute = app->Shuffle = app->ScreenCountMode = 1;
        app->MovieList.clear();
    }

    void SetList(const std::vector<std::wstring>& paths) {
        app->MovieList.clear();
        for (const std::wstring& p : paths)
            app->MovieList.push_back(MovieEntry{p, EntryState::NotTried});
    }

    std::vector<std::wstring> StoredList() const {
        std::vector<std::wstring> paths;
        for (const MovieEntry& e : app->MovieList) {
            EXPECT_EQ(e.State, EntryState::NotTried);
            paths.push_back(e.Path);
        }
        return paths;
    }

    // Runs the dialog modally here while `drive` works on it from another thread; the
    // dialog is cancelled afterwards if the driver left it open.
    INT_PTR Run(TestDlg& dialog, const std::function<void(HWND)>& drive) {
        std::thread driver([&] {
            HWND window = WaitForDialog(GetCurrentProcessId(), L"Orsetta");
            if (window == nullptr) {
                ADD_FAILURE() << "the settings dialog did not appear";
                return;
            }
            drive(window);
            if (IsWindow(window))
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        const INT_PTR result = dialog.DoModal();
        driver.join();
        return result;
    }

    COrsettaApp* app = nullptr;
};

TEST_F(DialogTest, ListEditingOnTheRealListBox) {
    for (const ListCase& c : ListCases()) {
        SCOPED_TRACE(c.name);
        SetList(c.items);
        TestDlg dialog;
        Run(dialog, [&](HWND dlg) {
            HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
            for (int i : c.selected)
                SendMessageW(list, LB_SETSEL, TRUE, i);
            const int id = c.command == Command::Delete      ? IDC_DELETE
                           : c.command == Command::DeleteAll ? IDC_DELETE_ALL
                           : c.command == Command::MoveUp    ? IDC_MOVE_UP
                                                             : IDC_MOVE_DOWN;
            Click(dlg, id);
            EXPECT_EQ(ListItems(list), c.expectedItems);
            EXPECT_EQ(ListSelection(list), c.expectedSelected);
            Click(dlg, IDOK);
        });
        EXPECT_EQ(StoredList(), c.expectedItems);
    }
}

TEST_F(DialogTest, HorizontalRangeNeverShrinks) {
    const std::wstring wide = L"C:\\" + std::wstring(150, L'W') + L".avi";
    SetList({L"C:\\a.avi", wide});
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
        const auto extent = SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
        EXPECT_GT(extent, 300);
        EXPECT_EQ(extent, dialog.MaxTextExtent());
        SendMessageW(list, LB_SETSEL, TRUE, 1);
        Click(dlg, IDC_DELETE);
        EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), extent);
        // A narrower addition measures but does not narrow the range.
        SendMessageW(dlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\b.avi"})), 0);
        Click(dlg, IDC_DELETE_ALL);
        EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), extent);
        EXPECT_EQ(dialog.MaxTextExtent(), extent);
    });
}

TEST_F(DialogTest, FirstRunDefaultsAndComboOrder) {
    TestDlg dialog;
    const INT_PTR result = Run(dialog, [&](HWND dlg) {
        for (int id : {IDC_SHUFFLE, IDC_CONTINUE, IDC_MUTE})
            EXPECT_EQ(SendDlgItemMessageW(dlg, id, BM_GETCHECK, 0, 0), BST_CHECKED) << id;
        HWND combo = GetDlgItem(dlg, IDC_SCREEN_COUNT);
        // The sort style is set, yet the entries keep their order.
        EXPECT_NE(GetWindowLongW(combo, GWL_STYLE) & CBS_SORT, 0);
        EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"1", L"4", L"9"}));
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(Text(combo), L"4");
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_FILE_LIST, LB_GETCOUNT, 0, 0), 0);
        // The focus starts on the first tab stop, OK.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof(gui);
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gui));
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(dlg, IDOK));
        // The user changes two options.
        Click(dlg, IDC_MUTE);
        SendMessageW(combo, CB_SETCURSEL, 2, 0);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(app->Shuffle, 1);
    EXPECT_EQ(app->Continue, 1);
    EXPECT_EQ(app->Mute, 0);
    EXPECT_EQ(app->ScreenCountMode, 2);
    EXPECT_TRUE(app->MovieList.empty());
}

TEST_F(DialogTest, OddStoredValues) {
    app->Shuffle = 5;
    app->Continue = 2;
    app->Mute = -1;
    app->ScreenCountMode = 5;
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_SHUFFLE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_MUTE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_SCREEN_COUNT, CB_GETCURSEL, 0, 0), CB_ERR);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(app->Shuffle, 0);
    EXPECT_EQ(app->Mute, 0);
    EXPECT_EQ(app->ScreenCountMode, -1);
}

TEST_F(DialogTest, CancelStoresNothingButKeepsInitialDir) {
    SetList({L"C:\\keep.avi"});
    app->Shuffle = 0;
    TestDlg dialog;
    const INT_PTR result = Run(dialog, [&](HWND dlg) {
        Click(dlg, IDC_SHUFFLE);
        Click(dlg, IDC_DELETE_ALL);
        SendMessageW(dlg, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({L"D:\\映像\\新しい.mp4"})), 0);
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(app->Shuffle, 0);
    EXPECT_EQ(StoredList(), std::vector<std::wstring>{L"C:\\keep.avi"});
    EXPECT_EQ(app->InitialDir, L"D:\\映像\\");
}

TEST_F(DialogTest, DropAppendsInOrderAndSetsInitialDirFromTheFirst) {
    SetList({L"C:\\a.avi"});
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
        SendMessageW(list, LB_SETSEL, TRUE, 0);
        // A folder first: its own name is the file part, so its parent is remembered.
        SendMessageW(dlg, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(
                         MakeDrop({L"E:\\動画\\旅行", L"C:\\a.avi", L"\\\\server\\share\\x.wmv"})),
                     0);
        EXPECT_EQ(app->InitialDir, L"E:\\動画\\");
        EXPECT_EQ(ListItems(list),
                  (std::vector<std::wstring>{L"C:\\a.avi", L"E:\\動画\\旅行", L"C:\\a.avi",
                                             L"\\\\server\\share\\x.wmv"}));
        // New items come unselected.
        EXPECT_EQ(ListSelection(list), std::vector<int>{0});
        // A file in a drive's root, dropped where the shell drops it: on the list box,
        // which hands the drop to the dialog.
        SendMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"F:\\root.avi"})), 0);
        EXPECT_EQ(ListItems(list).back(), L"F:\\root.avi");
        EXPECT_EQ(app->InitialDir, L"F:\\");
        // A network path keeps server, share and folders.
        SendMessageW(dlg, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({L"\\\\nas\\share\\films\\a.avi"})), 0);
        EXPECT_EQ(app->InitialDir, L"\\\\nas\\share\\films\\");
        // A folder part too long for the split leaves InitialDir as it was.
        const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\movie.avi";
        SendMessageW(dlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({deep})), 0);
        EXPECT_EQ(app->InitialDir, L"\\\\nas\\share\\films\\");
        EXPECT_EQ(ListItems(list).back(), deep);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(app->MovieList.size(), 7u);
}

TEST_F(DialogTest, DropOfAVeryLongNameKeepsItWhole) {
    // 65,535 characters: a 16-bit length plus one would wrap to an empty buffer.
    const std::wstring name = L"C:\\" + std::wstring(65532, L'n');
    ASSERT_EQ(name.size(), 65535u);
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        SendMessageW(dlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({name, L"C:\\b.avi"})),
                     0);
        HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 0, 0), 65535);
        Click(dlg, IDOK);
    });
    ASSERT_EQ(app->MovieList.size(), 2u);
    EXPECT_EQ(app->MovieList[0].Path, name);
}

std::wstring ShortPathOf(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(shortPath) : std::wstring();
}

TEST_F(DialogTest, DropOfNamesTheCodePageLacksKeepsShortFormsAndReportsTheRest) {
    // Code page 932 has no Hangul, no emoji, and turns é into e (best fit).
    TempDir dir;
    const std::wstring folder = FullPath(dir.Path()) + L"\\映像";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring hangul = folder + L"\\한국어 영화.avi";
    const std::wstring accented = folder + L"\\café.avi";
    const std::wstring emoji = folder + L"\\emoji 😀.mp4";
    const std::wstring japanese = folder + L"\\日本語.avi";
    for (const std::wstring& f : {hangul, accented, emoji, japanese})
        ASSERT_TRUE(testing_support::WriteBytes(f, "x"));
    // Names that no longer exist (a drive since unplugged) have no short form either.
    std::vector<std::wstring> gone;
    for (int i = 0; i < 12; ++i)
        gone.push_back(L"Z:\\없는\\파일" + std::to_wstring(i) + L".avi");
    std::vector<std::wstring> dropped = {hangul, accented};
    dropped.insert(dropped.end(), gone.begin(), gone.end());
    dropped.insert(dropped.end(), {japanese, emoji});
    std::wstring message = L"次のファイルは名前の文字をムービーファイルリストに保存できないため、"
                           L"追加できませんでした。\n";
    for (size_t i = 0; i < 10; ++i)
        message += L"\n" + gone[i];
    message += L"\nほか2件";

    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        // Posted: the message box at its end waits for this thread.
        PostMessageW(dlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(dropped)), 0);
        HWND box = WaitForMessageBox(GetCurrentProcessId(), message.c_str());
        ASSERT_NE(box, nullptr);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitGone(box));
        Click(dlg, IDOK);
    });
    const std::vector<std::wstring> expected = {ShortPathOf(hangul), ShortPathOf(accented),
                                                japanese, ShortPathOf(emoji)};
    EXPECT_EQ(StoredList(), expected);
    for (const std::wstring& p : expected)
        EXPECT_NE(GetFileAttributesW(p.c_str()), INVALID_FILE_ATTRIBUTES) << p;
    // The first dropped name sets InitialDir, in the form the list keeps.
    EXPECT_EQ(app->InitialDir, expected[0].substr(0, expected[0].find_last_of(L'\\') + 1));
}

// Add (1002), then in the open-file dialog the names typed into its name box (an edit
// inside control 0x47C, however deeply the platform nests it; several quoted names at
// once), or Cancel when there are none.
void AddThroughFileDialog(HWND dlg, const std::wstring& names) {
    PostClick(dlg, IDC_ADD);
    HWND fileDialog = WaitForDialog(GetCurrentProcessId(), L"ファイル選択");
    ASSERT_NE(fileDialog, nullptr);
    struct Find {
        HWND edit = nullptr;
    } find;
    EnumChildWindows(
        fileDialog,
        [](HWND w, LPARAM param) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (lstrcmpiW(cls, L"Edit") == 0 && GetDlgCtrlID(w) == 0x47C) {
                reinterpret_cast<Find*>(param)->edit = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    ASSERT_NE(find.edit, nullptr);
    if (names.empty()) {
        PostMessageW(fileDialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SendMessageW(find.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names.c_str()));
        PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
    }
    ASSERT_TRUE(WaitGone(fileDialog));
    Sleep(200);
}

TEST_F(DialogTest, AddThroughTheOpenFileDialog) {
    TempDir dir;
    // The open-file dialog moves the current folder; it is put back before the temporary
    // folder (named relative to it) is removed.
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    struct Restore {
        const wchar_t* path;
        ~Restore() { SetCurrentDirectoryW(path); }
    } restore{cwd};
    const std::wstring folder = FullPath(dir.Path()) + L"\\ムービー";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const wchar_t* n : {L"b.avi", L"a.avi", L"c.mp4", L"Émile.avi"})
        ASSERT_TRUE(testing_support::WriteBytes(folder + L"\\" + n, "x"));
    const std::wstring accented = folder + L"\\Émile.avi";
    app->InitialDir = folder + L"\\";
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
        // Several files, in the order the dialog returns them.
        AddThroughFileDialog(dlg, L"\"b.avi\" \"a.avi\"");
        const std::vector<std::wstring> first = ListItems(list);
        ASSERT_EQ(first.size(), 2u);
        EXPECT_EQ(first[0].substr(0, folder.size() + 1), folder + L"\\");
        EXPECT_EQ(app->InitialDir, folder + L"\\");

        // One file, already listed: added again.
        app->InitialDir = L"C:\\";
        AddThroughFileDialog(dlg, folder + L"\\a.avi");
        EXPECT_EQ(ListItems(list).size(), 3u);
        EXPECT_EQ(ListItems(list).back(), folder + L"\\a.avi");
        EXPECT_EQ(app->InitialDir, folder + L"\\");

        // A name the list file's code page lacks goes on in its short form.
        AddThroughFileDialog(dlg, accented);
        ASSERT_EQ(ListItems(list).size(), 4u);
        EXPECT_EQ(ListItems(list).back(), ShortPathOf(accented));

        // Cancelled: nothing added, InitialDir kept.
        app->InitialDir = L"C:\\";
        AddThroughFileDialog(dlg, L"");
        EXPECT_EQ(ListItems(list).size(), 4u);
        EXPECT_EQ(app->InitialDir, L"C:\\");
    });
}

// Each text of the dialog whole in its control, in the control's own font. Here that is
// the font Wine gives "MS UI Gothic": IPA Gothic, whose full-width characters are 12 pixels
// at 9 points as MS UI Gothic's are, so Japanese labels take the room they take on Windows.
// Wine reads that replacement when a process starts, so ui_font_setup writes it before this
// program runs (ctest runs it first); measured in another font, the test fails.
void ExpectTextsFit(HWND dialog) {
    const std::wstring font = FontFullName(dialog);
    ASSERT_EQ(font.rfind(L"IPAGothic", 0), 0u) << "the dialog is not in IPA Gothic but in \""
                                               << Ansi(font) << "\" (run ui_font_setup first)";
    const std::vector<TextFit> fits = MeasureTexts(dialog);
    EXPECT_FALSE(fits.empty());
    for (const TextFit& f : fits)
        EXPECT_LE(f.extent, f.room) << "control " << f.id << " cuts its text off: " << f.text;
}

TEST_F(DialogTest, AboutBoxFromTheSystemMenu) {
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        HMENU menu = GetSystemMenu(dlg, FALSE);
        ASSERT_NE(menu, nullptr);
        wchar_t item[128] = {};
        GetMenuStringW(menu, IDM_ABOUTBOX, item, 128, MF_BYCOMMAND);
        EXPECT_STREQ(item, L"バージョン情報 Orsetta(&A)...");
        PostMessageW(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND about = WaitForDialog(GetCurrentProcessId(), L"バージョン情報 Orsetta");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(Text(GetDlgItem(about, IDC_VERSION)), CAboutDlg::MakeVersionString());
        EXPECT_EQ(Text(GetDlgItem(about, IDC_VERSION)).substr(0, 8), L"Version ");
        // Every text fits on its control's one line: a wrapped second line is cut off by
        // the control's height (the version line once showed only "Version").
        ExpectTextsFit(about);
        Click(about, IDOK);
        EXPECT_TRUE(WaitGone(about));
        // A system command of our own with its low bits set still opens it.
        PostMessageW(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
        about = WaitForDialog(GetCurrentProcessId(), L"バージョン情報 Orsetta");
        ASSERT_NE(about, nullptr);
        PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitGone(about));
    });
}

// Template positions in dialog units, as the dialog manager maps them to pixels.
struct Expected {
    int id;
    const wchar_t* text;
    RECT units; // x, y, width, height
};

TEST_F(DialogTest, ControlsKeepTheirPlacesAndTexts) {
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        const Expected controls[] = {
            {IDOK, L"OK", {226, 148, 50, 14}},
            {IDCANCEL, L"キャンセル", {276, 148, 50, 14}},
            {IDC_HELP_BUTTON, L"ヘルプ", {7, 148, 50, 14}},
            {IDC_FILE_LIST, nullptr, {7, 22, 319, 75}},
            {IDC_ADD, L"追加", {219, 7, 19, 14}},
            {IDC_DELETE, L"削除", {238, 7, 19, 14}},
            {IDC_DELETE_ALL, L"全削除", {257, 7, 26, 14}},
            {IDC_MOVE_UP, L"↑", {288, 7, 19, 14}},
            {IDC_MOVE_DOWN, L"↓", {307, 7, 19, 14}},
            {IDC_SHUFFLE, L"シャッフル再生", {11, 102, 76, 10}},
            {IDC_CONTINUE, L"前回の続き再生", {11, 116, 76, 10}},
            {IDC_MUTE, L"無音再生", {11, 130, 76, 10}},
        };
        ExpectTextsFit(dlg);
        for (const Expected& e : controls) {
            SCOPED_TRACE(e.id);
            HWND c = GetDlgItem(dlg, e.id);
            ASSERT_NE(c, nullptr);
            // Position and size are mapped each on its own, as the dialog manager does.
            RECT want = e.units;
            MapDialogRect(dlg, &want);
            RECT got = {};
            GetWindowRect(c, &got);
            MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.right - got.left, want.right);
            EXPECT_EQ(got.bottom - got.top, want.bottom);
            if (e.text != nullptr) {
                EXPECT_EQ(Text(c), e.text);
            }
        }
        HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
        const LONG style = GetWindowLongW(list, GWL_STYLE);
        EXPECT_NE(style & LBS_EXTENDEDSEL, 0);
        EXPECT_EQ(style & LBS_SORT, 0);
        EXPECT_NE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
        EXPECT_NE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
        EXPECT_EQ(GetWindowLongW(dlg, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
        // The labels without ids, found by their texts.
        EXPECT_NE(FindWindowExW(dlg, nullptr, L"Static",
                                L"ムービーファイルリスト（ドラッグアンドドロップ可）"),
                  nullptr);
        EXPECT_NE(FindWindowExW(dlg, nullptr, L"Static", L"スクリーン数："), nullptr);
        // The program icon on the window.
        EXPECT_NE(SendMessageW(dlg, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(SendMessageW(dlg, WM_QUERYDRAGICON, 0, 0), 0);
    });
}

TEST_F(DialogTest, CommonControlsSix) {
    // The manifest asks for version 6 of the common controls: loading them by name inside
    // the process's activation context gives the side-by-side 6.0 assembly's copy. (Wine's
    // copy reports 5 from DllGetVersion, so the assembly's folder is what tells.)
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(comctl, path, MAX_PATH), 0u);
    std::wstring lower = path;
    for (wchar_t& c : lower)
        c = towlower(c);
    EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::wstring::npos)
        << lower;
    FreeLibrary(comctl);
}

std::wstring HelpPathOfThisProgram() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring help = path;
    return help.substr(0, help.find_last_of(L'.')) + L".chm";
}

TEST_F(DialogTest, HelpMissingShowsTheMessage) {
    DeleteFileW(HelpPathOfThisProgram().c_str());
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        // The Help button, then the standard help command, which the application handles.
        for (const WPARAM command : {WPARAM{IDC_HELP_BUTTON}, WPARAM{ID_HELP}}) {
            PostMessageW(dlg, WM_COMMAND, command, 0);
            HWND box =
                WaitForMessageBox(GetCurrentProcessId(), L"ヘルプファイルが見つかりませんでした。");
            ASSERT_NE(box, nullptr);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(WaitGone(box));
        }
    });
}

TEST_F(DialogTest, HelpPresentOpensIt) {
    const std::wstring product = testing_support::ProductPath();
    ASSERT_FALSE(product.empty());
    const std::wstring chm = product.substr(0, product.find_last_of(L'.')) + L".chm";
    ASSERT_TRUE(CopyFileW(chm.c_str(), HelpPathOfThisProgram().c_str(), FALSE));
    // A planted control beside the program is not the one that runs.
    const std::wstring planted = testing_support::ProgramFolder() + L"hhctrl.ocx";
    ASSERT_TRUE(testing_support::WriteBytes(planted, "MZ planted"));
    TestDlg dialog;
    Run(dialog, [&](HWND dlg) {
        PostClick(dlg, IDC_HELP_BUTTON);
        HWND help = WaitForClass(GetCurrentProcessId(), L"HH Parent");
        ASSERT_NE(help, nullptr);
        wchar_t loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
        GetModuleFileNameW(GetModuleHandleW(L"hhctrl.ocx"), loaded, MAX_PATH);
        GetSystemDirectoryW(system, MAX_PATH);
        EXPECT_EQ(_wcsnicmp(loaded, system, wcslen(system)), 0);
        EXPECT_EQ(GetWindow(help, GW_OWNER), nullptr); // independent of the dialog
        EXPECT_EQ(WaitForMessageBox(GetCurrentProcessId(),
                                    L"ヘルプファイルが見つかりませんでした。", 300),
                  nullptr);
        Sleep(1000); // let it show its contents before the picture is taken
        EXPECT_TRUE(SaveWindowBitmap(help, ArtifactsFolder() + L"help-window.bmp"));
        PostMessageW(help, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitGone(help));
        // The standard help command opens the same file.
        PostMessageW(dlg, WM_COMMAND, ID_HELP, 0);
        help = WaitForClass(GetCurrentProcessId(), L"HH Parent");
        ASSERT_NE(help, nullptr);
        PostMessageW(help, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitGone(help));
    });
    DeleteFileW(planted.c_str());
    DeleteFileW(HelpPathOfThisProgram().c_str());
}

} // namespace
