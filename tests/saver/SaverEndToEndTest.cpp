// The real Orsetta.scr /s, staged in a folder of its own with its INI and list, on the
// generated clips: tiles, pictures, exit on input, resume entries, and the screens shown
// when nothing can play.
#include <gtest/gtest.h>

#include <dshow.h>

#include <cwchar>
#include <string>
#include <vector>

#include "SaverTestSupport.h"
#include "TestFiles.h"

using namespace saver_test;
using testing_support::TempDir;

namespace {

// Four clips, each of its own colour: tile i plays clip i mod 4 (list order).
struct ClipSet {
    const wchar_t* names[4];
    Rgb colours[4];
};
const ClipSet kClips = {
    {L"saver-red.avi", L"saver-green.mp4", L"saver-blue.wmv", L"saver-yellow.avi"},
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}};
// The formats DirectShow renders only with a third-party splitter on a stock Windows.
const ClipSet kStockClips = {
    {L"saver-red.mov", L"saver-green.mp4", L"saver-blue.mkv", L"saver-yellow.webm"},
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}};

// One run of the saver process.
class SaverRun {
public:
    bool Start(const Stage& stage) {
        // The saver reads input while it starts, so the pointer's own position may be the
        // first one recorded: it is where the tests' first moves go.
        SetCursorPos(10, 10);
        std::wstring line = L"\"" + stage.program + L"\" /s";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::vector<wchar_t> cmd(line.begin(), line.end());
        cmd.push_back(L'\0');
        started = GetTickCount();
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return false;
        return true;
    }
    ~SaverRun() {
        if (pi.hProcess != nullptr) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 1);
                WaitForSingleObject(pi.hProcess, 5000);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    // The topmost borderless host window, once it exists.
    HWND WaitForHost(DWORD timeoutMs = 20000) {
        while (GetTickCount() - started < timeoutMs) {
            if ((host = FindSaverHost(pi.dwProcessId)) != nullptr)
                return host;
            Sleep(50);
        }
        return nullptr;
    }
    // Posts the input and measures how long the process takes to end (-1: not in 5 s).
    long EndWith(UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageW(host, message, wParam, lParam);
        const DWORD start = GetTickCount();
        if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0)
            return -1;
        return static_cast<long>(GetTickCount() - start);
    }
    bool Alive() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

    PROCESS_INFORMATION pi = {};
    HWND host = nullptr;
    DWORD started = 0;
};

std::wstring ArtifactName(const std::wstring& name) {
    return ArtifactDir() + L"\\" + name;
}

RECT Inner(const RECT& tile) {
    // The middle of the tile: inside the picture whatever its bands.
    const int w = tile.right - tile.left, h = tile.bottom - tile.top;
    return RECT{tile.left + w / 5, tile.top + h / 5, tile.right - w / 5, tile.bottom - h / 5};
}

// Tiles of a grid, as the host lays them out on this screen.
std::vector<RECT> ExpectedTiles(int side) {
    const int w = GetSystemMetrics(SM_CXSCREEN) / side, h = GetSystemMetrics(SM_CYSCREEN) / side;
    std::vector<RECT> tiles;
    for (int i = 0; i < side * side; ++i)
        tiles.push_back(
            RECT{w * (i % side), h * (i / side), w * (i % side + 1), h * (i / side + 1)});
    return tiles;
}

// Runs the saver in a grid until every tile shows its clip, checks rectangles and moving
// pictures, then ends it by the given input. Returns each tile's stored position.
std::vector<long long> RunGrid(Stage& stage, int mode, bool endByMouse, const std::wstring& shot,
                               const ClipSet& clips = kClips) {
    const Rgb* const kColours = clips.colours;
    const int side = mode + 1;
    const std::vector<RECT> tiles = ExpectedTiles(side);
    SaverRun run;
    EXPECT_TRUE(run.Start(stage));
    HWND host = run.WaitForHost();
    EXPECT_NE(host, nullptr);
    if (host == nullptr)
        return {};

    // Tiles in creation order with their rectangles.
    std::vector<HWND> children;
    while (GetTickCount() - run.started < 20000 &&
           (children = ChildWindows(host)).size() < tiles.size())
        Sleep(50);
    EXPECT_EQ(children.size(), tiles.size());
    for (size_t i = 0; i < children.size() && i < tiles.size(); ++i) {
        RECT r = {};
        GetWindowRect(children[i], &r);
        EXPECT_TRUE(EqualRect(&r, &tiles[i]))
            << "tile " << i << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    }

    // Every tile shows its clip's colour (list order: tile i plays clip i mod 4).
    Screenshot first;
    bool allShown = false;
    while (!allShown && GetTickCount() - run.started < 30000) {
        Sleep(200);
        if (!first.Capture())
            continue;
        allShown = true;
        for (size_t i = 0; i < tiles.size(); ++i)
            allShown = allShown && Near(first.Mean(Inner(tiles[i])), kColours[i % 4]);
    }
    const DWORD allShownAfter = GetTickCount() - run.started;
    first.SaveBmp(ArtifactName(shot));
    EXPECT_TRUE(allShown) << "see " << std::string(shot.begin(), shot.end());
    // And fills its fitted 4:3 rectangle, centred, with black bands: each corner of the
    // picture shows the clip, the middle of each band is black. (The yellow clip is larger
    // than a tile of nine, so its frames are shrunk on the way.)
    for (size_t i = 0; i < tiles.size() && allShown; ++i) {
        const RECT& t = tiles[i];
        const int w = t.right - t.left, h = t.bottom - t.top;
        const int fw = w * 3 <= h * 4 ? w : h * 4 / 3, fh = w * 3 <= h * 4 ? w * 3 / 4 : h;
        const int x = t.left + (w - fw) / 2, y = t.top + (h - fh) / 2;
        const RECT corners[] = {{x + 3, y + 3, x + 9, y + 9},
                                {x + fw - 9, y + 3, x + fw - 3, y + 9},
                                {x + 3, y + fh - 9, x + 9, y + fh - 3},
                                {x + fw - 9, y + fh - 9, x + fw - 3, y + fh - 3}};
        for (const RECT& c : corners)
            EXPECT_TRUE(Near(first.Mean(c), kColours[i % 4]))
                << "tile " << i << ": the picture misses its corner at " << c.left << "," << c.top;
        if (y - t.top >= 6) {
            const RECT bands[] = {{x + 8, t.top + 2, x + fw - 8, y - 2},
                                  {x + 8, y + fh + 2, x + fw - 8, t.bottom - 2}};
            for (const RECT& b : bands)
                EXPECT_TRUE(Near(first.Mean(b), Rgb{0, 0, 0}, 20))
                    << "tile " << i << ": the band at " << b.top << " is not black";
        }
    }
    std::printf("[measure] %zu tile(s): every tile showing its clip %lu ms after the start\n",
                tiles.size(), static_cast<unsigned long>(allShownAfter));
    Sleep(500);
    Screenshot second;
    EXPECT_TRUE(second.Capture());
    for (size_t i = 0; i < tiles.size(); ++i)
        EXPECT_GT(second.Differences(first, tiles[i]), 100u) << "tile " << i << " did not move";

    long took = 0;
    if (endByMouse) {
        // The first position is only recorded, and repeating it closes nothing.
        PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        PostMessageW(host, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        Sleep(300);
        EXPECT_TRUE(run.Alive());
        took = run.EndWith(WM_MOUSEMOVE, 0, MAKELPARAM(11, 10));
    } else {
        took = run.EndWith(WM_KEYDOWN, VK_SPACE, 0);
    }
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    std::printf("[measure] %zu tile(s): ended %ld ms after the input\n", tiles.size(), took);

    std::vector<long long> positions;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const std::wstring n = std::to_wstring(i);
        EXPECT_EQ(IniString(stage.ini, L"Wnd" + n + L"_CurrentFileName"), Clip(clips.names[i % 4]));
        positions.push_back(_wtoi64(IniString(stage.ini, L"Wnd" + n + L"_Pos").c_str()));
        EXPECT_GT(positions.back(), 0) << "tile " << i;
    }
    return positions;
}

std::vector<std::wstring> AllClips(const ClipSet& clips = kClips) {
    std::vector<std::wstring> list;
    for (const wchar_t* c : clips.names)
        list.push_back(Clip(c));
    return list;
}

// The saver's class cursor: 32x32, hot spot (0, 0), nothing drawn (AND mask all ones,
// XOR mask all zeros).
TEST(SaverEndToEnd, ProgramCarriesATransparentCursor) {
    HMODULE program = LoadLibraryExW(testing_support::ProductPath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(129), RT_GROUP_CURSOR);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(program, group)));
    ASSERT_NE(directory, nullptr);
    const int id = LookupIconIdFromDirectoryEx(directory, FALSE, 32, 32, LR_MONOCHROME);
    HRSRC image = FindResourceW(program, MAKEINTRESOURCEW(id), RT_CURSOR);
    ASSERT_NE(image, nullptr);
    auto* bits = static_cast<BYTE*>(LockResource(LoadResource(program, image)));
    const DWORD size = SizeofResource(program, image);
    // A cursor resource: the hot spot (two 16-bit values), then the bitmap.
    ASSERT_GE(size, 4u + 40u + 8u + 256u);
    EXPECT_EQ(bits[0] | bits[1] << 8, 0);
    EXPECT_EQ(bits[2] | bits[3] << 8, 0);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bits + 4);
    EXPECT_EQ(header->biWidth, 32);
    EXPECT_EQ(header->biHeight, 64); // both masks
    EXPECT_EQ(header->biBitCount, 1);
    const BYTE* xorMask = bits + 4 + header->biSize + 8;
    const BYTE* andMask = xorMask + 128;
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(xorMask[i], 0x00) << i;
        ASSERT_EQ(andMask[i], 0xFF) << i;
    }
    FreeLibrary(program);
}

TEST(SaverEndToEnd, OneTileInListOrderEndsOnMouse) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({0, 1, 0, 0});
    stage.SetList(AllClips());
    RunGrid(stage, 0, true, L"saver-1-tile.bmp");
}

TEST(SaverEndToEnd, FourTilesEndOnKeyAndResumeFurtherOnNextRun) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({1, 1, 0, 1});
    stage.SetList(AllClips());
    const std::vector<long long> firstRun = RunGrid(stage, 1, false, L"saver-4-tiles.bmp");
    const std::vector<long long> secondRun = RunGrid(stage, 1, false, L"saver-4-tiles-resumed.bmp");
    ASSERT_EQ(firstRun.size(), 4u);
    ASSERT_EQ(secondRun.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_GT(secondRun[i], firstRun[i]) << "tile " << i << " did not resume";
}

TEST(SaverEndToEnd, NineTilesEndOnMouse) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({0, 1, 0, 2});
    stage.SetList(AllClips());
    RunGrid(stage, 2, true, L"saver-9-tiles.bmp");
}

// Runs only in the stock profile (ctest's saver_e2e_stock), where the platform's DirectShow
// has no splitter for these formats, as on a Windows 10/11 as shipped: the saver plays them
// all the same, with sound and muted, resumes them and ends on input.
TEST(SaverEndToEndStock, FourFormatsWithoutSplittersPlayAndResume) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IGraphBuilder* graph = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IGraphBuilder, reinterpret_cast<void**>(&graph)));
    const HRESULT rendered = graph->RenderFile(Clip(L"saver-green.mp4").c_str(), nullptr);
    graph->Release();
    if (SUCCEEDED(rendered))
        GTEST_SKIP() << "DirectShow renders MP4 here; see saver_e2e_stock";
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({1, 0, 0, 1});
    stage.SetList(AllClips(kStockClips));
    const std::vector<long long> firstRun =
        RunGrid(stage, 1, false, L"saver-stock-4-tiles.bmp", kStockClips);
    // Muted the second time: the sound is then left unread, and the seek to the resume
    // positions must hold all the same.
    stage.SetOptions({1, 1, 0, 1});
    const std::vector<long long> secondRun =
        RunGrid(stage, 1, false, L"saver-stock-4-tiles-resumed.bmp", kStockClips);
    ASSERT_EQ(firstRun.size(), 4u);
    ASSERT_EQ(secondRun.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_GT(secondRun[i], firstRun[i]) << "tile " << i << " did not resume";
}

// Runs the saver where nothing can play; checks the host's text (or black) and the exit.
void RunWithoutPlayback(Stage& stage, const wchar_t* expectedText, size_t tiles,
                        const std::wstring& shot) {
    SaverRun run;
    ASSERT_TRUE(run.Start(stage));
    HWND host = run.WaitForHost();
    ASSERT_NE(host, nullptr);
    // Polled: the tiles open (or fail) and hide, then the host's text shows.
    Screenshot screen;
    bool shown = false;
    size_t children = 0, visible = 0;
    while (!shown && GetTickCount() - run.started < 20000) {
        Sleep(200);
        const std::vector<HWND> found = ChildWindows(host);
        children = found.size();
        visible = 0;
        for (HWND child : found)
            visible += IsWindowVisible(child) ? 1 : 0;
        if (children != tiles || visible != 0 || !screen.Capture())
            continue;
        const RECT all = {0, 0, screen.Width(), screen.Height()};
        const RECT below = {0, 64, screen.Width(), screen.Height()};
        if (expectedText == nullptr)
            shown = screen.BrightShare(all, 60) < 0.0001;
        else
            shown = TextMatches(screen, RenderStatusText(expectedText, screen.Width(), 64), 64) &&
                    screen.BrightShare(below, 60) < 0.0001;
    }
    screen.SaveBmp(ArtifactName(shot));
    EXPECT_EQ(children, tiles);
    EXPECT_EQ(visible, 0u) << "a tile stayed visible";
    EXPECT_TRUE(shown) << (expectedText != nullptr ? "the host's text differs" : "not black");
    const long took = run.EndWith(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
}

TEST(SaverEndToEnd, EmptyListShowsItsMessage) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({});
    stage.SetList({});
    RunWithoutPlayback(stage, L"ムービーファイルリストが空です", 4, L"saver-empty-list.bmp");
}

TEST(SaverEndToEnd, AllUnplayableShowsItsMessageAndStartsNoTile) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({});
    const std::wstring bad1 = stage.dir.File(L"bad1.avi"), bad2 = stage.dir.File(L"bad2.mp4");
    testing_support::WriteBytes(bad1, "not a movie");
    testing_support::WriteBytes(bad2, "not a movie either");
    stage.SetList({bad1, bad2, stage.dir.File(L"missing.avi")});
    RunWithoutPlayback(stage, L"再生可能なムービーファイルがありません", 4,
                       L"saver-unplayable.bmp");
    // Tiles that opened nothing store no file.
    EXPECT_EQ(IniString(stage.ini, L"Wnd0_CurrentFileName"), L"");
    EXPECT_EQ(IniString(stage.ini, L"Wnd3_Pos"), L"0");
}

TEST(SaverEndToEnd, UnknownScreenCountModeStaysBlack) {
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({0, 1, 0, 5});
    stage.SetList(AllClips());
    RunWithoutPlayback(stage, nullptr, 0, L"saver-mode-5.bmp");
}

// Runs only where the renderer's library is disabled for this program and the saver it
// starts (ctest's saver_e2e_no_renderer sets WINEDLLOVERRIDES=quartz=d).
TEST(SaverEndToEnd, WithoutRendererShowsItsMessage) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IBaseFilter* probe = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(&probe)))) {
        probe->Release();
        GTEST_SKIP() << "the renderer is available here; see saver_e2e_no_renderer";
    }
    Stage stage;
    ASSERT_TRUE(stage.copied);
    stage.SetOptions({});
    stage.SetList(AllClips());
    RunWithoutPlayback(stage, L"システムがVMR9に対応していません", 4, L"saver-no-renderer.bmp");
}

} // namespace
