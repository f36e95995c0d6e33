// Start-up, settings store, movie list file and play order against the real platform:
// private-profile functions, code page 932 conversion and msvcrt's generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "MovieListFile.h"
#include "OrsettaApp.h"
#include "TestFiles.h"

using namespace testing_support;

namespace {

// The list file LoadSettings and SaveSettings use lies beside the running program.
std::wstring ListBesideProgram() {
    return ModuleSiblingPath(L"mflst");
}

// An application object with its INI in a private folder.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ini = dir.File(L"Orsetta.ini");
        DeleteFileW(ListBesideProgram().c_str());
    }
    void TearDown() override { DeleteFileW(ListBesideProgram().c_str()); }

    void UseIni(COrsettaApp& app) {
        free(const_cast<wchar_t*>(app.m_pszProfileName));
        app.m_pszProfileName = _wcsdup(ini.c_str());
    }

    TempDir dir;
    std::wstring ini;
};

const std::wstring kJapanesePath = L"C:\\\u52d5\u753b\\\u30c6\u30b9\u30c8.avi";
const std::string kJapaneseBytes = "C:\\\x93\xae\x89\xe6\\\x83\x65\x83\x58\x83\x67.avi";

TEST(Platform, AnsiCodePageIsJapanese) {
    // Everything about list-file bytes below assumes a Japanese system.
    EXPECT_EQ(GetACP(), 932u);
}

TEST_F(AppFixture, FirstRunKeepsDefaults) {
    COrsettaApp app;
    UseIni(app);
    app.LoadSettings();
    EXPECT_EQ(app.Continue, 1);
    EXPECT_EQ(app.Mute, 1);
    EXPECT_EQ(app.Shuffle, 1);
    EXPECT_EQ(app.ScreenCountMode, 1);
    EXPECT_TRUE(app.InitialDir.empty());
    EXPECT_TRUE(app.MovieList.empty());
    EXPECT_TRUE(app.PlayOrder.empty());
    EXPECT_EQ(app.PlayPosition, 0u);
    EXPECT_FALSE(app.NoPlayableMovies);
    EXPECT_FALSE(FileExists(ini));
}

TEST_F(AppFixture, SaveThenLoadRoundTrips) {
    {
        COrsettaApp app;
        UseIni(app);
        app.InitialDir = L"D:\\\u52d5\u753b\\";
        app.Continue = 0;
        app.Mute = 0;
        app.Shuffle = 0;
        app.ScreenCountMode = 2;
        app.MovieList = {{kJapanesePath, EntryState::Failed}, {L"E:\\b.mp4", EntryState::Opened}};
        app.SaveSettings();
    }
    const std::string iniBytes = ReadBytes(ini);
    EXPECT_NE(iniBytes.find("[Ver1]\r\n"), std::string::npos);
    EXPECT_NE(iniBytes.find("ScreenCountMode=2\r\n"), std::string::npos);
    EXPECT_EQ(ReadBytes(ListBesideProgram()),
              "#Movie File List\n" + kJapaneseBytes + "\nE:\\b.mp4\n");

    COrsettaApp app;
    UseIni(app);
    app.LoadSettings();
    EXPECT_EQ(app.InitialDir, L"D:\\\u52d5\u753b\\");
    EXPECT_EQ(app.Continue, 0);
    EXPECT_EQ(app.Mute, 0);
    EXPECT_EQ(app.Shuffle, 0);
    EXPECT_EQ(app.ScreenCountMode, 2);
    ASSERT_EQ(app.MovieList.size(), 2u);
    EXPECT_EQ(app.MovieList[0].Path, kJapanesePath);
    // States are not stored: everything read is untried.
    EXPECT_EQ(app.MovieList[0].State, EntryState::NotTried);
    EXPECT_EQ(app.MovieList[1].State, EntryState::NotTried);
    // Shuffle off: list order.
    EXPECT_EQ(app.PlayOrder, (PlayOrderType{0, 1}));
}

TEST_F(AppFixture, HandEditedValuesAndResumeKeysSurviveSave) {
    ASSERT_TRUE(WriteBytes(ini, "[Ver1]\r\nScreenCountMode=5\r\nShuffle=7\r\n"
                                "Wnd8_CurrentFileName=C:\\old.avi\r\nWnd8_Pos=123456789012\r\n"));
    COrsettaApp app;
    UseIni(app);
    app.LoadSettings();
    EXPECT_EQ(app.ScreenCountMode, 5);
    EXPECT_EQ(app.Shuffle, 7);
    app.SaveSettings();
    EXPECT_EQ(app.GetProfileString(L"Ver1", L"Wnd8_CurrentFileName"), L"C:\\old.avi");
    EXPECT_EQ(app.GetProfileString(L"Ver1", L"Wnd8_Pos"), L"123456789012");
    EXPECT_EQ(app.GetProfileInt(L"Ver1", L"ScreenCountMode", 0), 5u);
}

TEST_F(AppFixture, EmptyListSavesHeaderOnly) {
    COrsettaApp app;
    UseIni(app);
    app.SaveSettings();
    EXPECT_EQ(ReadBytes(ListBesideProgram()), "#Movie File List\n");
}

TEST(MovieListFile, ReadsCrLfCommentsAndLongLinesFromDisk) {
    TempDir dir;
    const std::wstring list = dir.File(L"l.mflst");
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".avi";
    ASSERT_TRUE(WriteBytes(list, "#Movie File List\r\n" + kJapaneseBytes +
                                     "\r\n\r\n#C:\\skip.avi\n" + longPath + "\n"));
    MovieListType entries = {{L"kept.avi", EntryState::Failed}};
    ASSERT_TRUE(ReadMovieListFile(entries, list.c_str()));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Path, L"kept.avi"); // what was there stays in front
    EXPECT_EQ(entries[0].State, EntryState::Failed);
    EXPECT_EQ(entries[1].Path, kJapanesePath);
    EXPECT_EQ(entries[2].Path, std::wstring(longPath.begin(), longPath.end()));
    EXPECT_EQ(entries[2].State, EntryState::NotTried);
}

TEST(MovieListFile, MissingFileLeavesListAlone) {
    TempDir dir;
    MovieListType entries = {{L"a", EntryState::NotTried}};
    EXPECT_FALSE(ReadMovieListFile(entries, dir.File(L"none.mflst").c_str()));
    EXPECT_EQ(entries.size(), 1u);
}

TEST(MovieListFile, CharacterOutsideCodePageBecomesDefault) {
    TempDir dir;
    const std::wstring list = dir.File(L"l.mflst");
    ASSERT_TRUE(WriteMovieListFile(list.c_str(), {{L"C:\\\u0e01.avi", EntryState::NotTried}}));
    EXPECT_EQ(ReadBytes(list), "#Movie File List\nC:\\?.avi\n");
}

TEST(MovieListFile, FailedSaveKeepsOldFile) {
    TempDir dir;
    const std::wstring list = dir.File(L"l.mflst");
    const std::string old = "#Movie File List\nC:\\precious.avi\n";
    ASSERT_TRUE(WriteBytes(list, old));
    // The new list cannot be written where it is staged.
    ASSERT_TRUE(CreateDirectoryW((list + L".new").c_str(), nullptr));
    EXPECT_FALSE(WriteMovieListFile(list.c_str(), {{L"C:\\new.avi", EntryState::NotTried}}));
    EXPECT_EQ(ReadBytes(list), old);
    RemoveDirectoryW((list + L".new").c_str());
    // And into a folder that does not exist, nothing is written and false returned.
    EXPECT_FALSE(WriteMovieListFile(dir.File(L"no\\such\\l.mflst").c_str(), {}));
}

TEST(MovieListFile, SaveReplacesAndLeavesNoStagingFile) {
    TempDir dir;
    const std::wstring list = dir.File(L"l.mflst");
    ASSERT_TRUE(WriteBytes(list, "#Movie File List\nC:\\a\nC:\\b\nC:\\c\n"));
    ASSERT_TRUE(WriteMovieListFile(list.c_str(), {{L"", EntryState::NotTried}}));
    EXPECT_EQ(ReadBytes(list), "#Movie File List\n\n");
    EXPECT_FALSE(FileExists(list + L".new"));
}

TEST(PlayOrder, PlatformGeneratorGivesKnownShuffle) {
    srand(1);
    EXPECT_EQ(rand(), 41);
    srand(1);
    PlayOrderType order = {0, 1, 2, 3, 4};
    ShuffleIndices(order, &rand);
    EXPECT_EQ(order, (PlayOrderType{4, 1, 3, 2, 0}));
}

TEST(PlayOrder, BuildAndReshuffle) {
    COrsettaApp app;
    app.MovieList.resize(6);
    app.Shuffle = 0;
    app.PlayPosition = 4;
    app.NoPlayableMovies = true;
    app.BuildPlayOrder();
    EXPECT_EQ(app.PlayOrder, (PlayOrderType{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(app.PlayPosition, 0u);
    EXPECT_FALSE(app.NoPlayableMovies);
    app.ReshufflePlayOrder();
    EXPECT_EQ(app.PlayOrder, (PlayOrderType{0, 1, 2, 3, 4, 5}));

    app.Shuffle = 1;
    app.PlayOrder = {5, 4, 3, 2, 1, 0};
    app.PlayPosition = 6;
    app.ReshufflePlayOrder();
    EXPECT_EQ(app.PlayPosition, 6u); // the caller resets it
    PlayOrderType sorted = app.PlayOrder;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (PlayOrderType{0, 1, 2, 3, 4, 5}));

    app.MovieList.clear();
    app.BuildPlayOrder();
    EXPECT_TRUE(app.PlayOrder.empty());
}

// The real program, copied into a private folder so that its INI and list are its own.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        product = dir.File(L"Orsetta.scr");
        ASSERT_TRUE(CopyFileW(ProductPath().c_str(), product.c_str(), FALSE));
    }
    ProcessResult Run(const std::wstring& args) {
        return RunProcess(L"\"" + product + L"\"" + args, 20000);
    }
    TempDir dir;
    std::wstring product;
};

TEST_F(ProgramFixture, UnrecognisedOrMissingArgumentsEndAtOnceWritingNothing) {
    // /x, a lone hyphen, an empty argument; preview without a host, or with a handle that
    // is no window.
    for (const wchar_t* args : {L" /x", L" -", L" \"\"", L" /p", L" /p 12345", L" /p abc"}) {
        const ProcessResult r = Run(args);
        EXPECT_TRUE(r.started);
        EXPECT_TRUE(r.exited) << "still running after " << r.milliseconds << " ms";
        EXPECT_LT(r.milliseconds, 10000u);
    }
    EXPECT_FALSE(FileExists(dir.File(L"Orsetta.ini")));
    EXPECT_FALSE(FileExists(dir.File(L"Orsetta.mflst")));
}

TEST_F(ProgramFixture, ReadsButDoesNotRewriteFilesWhenEndingQuietly) {
    const std::string iniBytes = "[Ver1]\r\nShuffle=7\r\n";
    const std::string listBytes = "C:\\a.avi\r\n";
    ASSERT_TRUE(WriteBytes(dir.File(L"Orsetta.ini"), iniBytes));
    ASSERT_TRUE(WriteBytes(dir.File(L"Orsetta.mflst"), listBytes));
    EXPECT_TRUE(Run(L" /x").exited);
    EXPECT_EQ(ReadBytes(dir.File(L"Orsetta.ini")), iniBytes);
    EXPECT_EQ(ReadBytes(dir.File(L"Orsetta.mflst")), listBytes);
}

} // namespace
