// Which movie paths name a file on a disk or a share, to be checked before a graph is built.
#include <gtest/gtest.h>

#include "MoviePath.h"

TEST(MoviePath, DiskAndSharePathsAreFiles) {
    for (const wchar_t* path :
         {L"C:\\movies\\a.avi", L"z:/clips/b.mp4", L"\\\\server\\share\\c.wmv", L"D:\\"})
        EXPECT_TRUE(NamesDiskOrShareFile(path)) << path;
}

TEST(MoviePath, WhatAGraphMayOpenOtherwiseIsLeftToIt) {
    for (const wchar_t* path : {L"", L"C:", L"C:movie.avi", L"movie.avi", L"http://host/movie.wmv",
                                L"mms://host/a", L"\\\\.\\pipe\\movie", L"\\\\?\\C:\\movies\\a.avi",
                                L"\\\\\\server", L"\\single", L"1:\\movie.avi"})
        EXPECT_FALSE(NamesDiskOrShareFile(path)) << path;
}

TEST(MoviePath, OneKeyPerDriveOrShare) {
    EXPECT_EQ(PathRootKey(L"C:\\movies\\a.avi"), L"c:");
    EXPECT_EQ(PathRootKey(L"c:/b.avi"), L"c:");
    EXPECT_EQ(PathRootKey(L"\\\\NAS\\Movies\\x\\a.avi"), L"\\\\nas\\movies");
    EXPECT_EQ(PathRootKey(L"\\\\nas/movies/b.avi"), L"\\\\nas\\movies");
    EXPECT_EQ(PathRootKey(L"\\\\nas\\other\\b.avi"), L"\\\\nas\\other");
    EXPECT_EQ(PathRootKey(L"\\\\nas\\movies"), L"\\\\nas\\movies");
    EXPECT_EQ(PathRootKey(L"http://host/a.wmv"), L"");
}

TEST(MoviePath, OnlyTheNetworkOrAnAbsentDriveDownsARoot) {
    EXPECT_TRUE(RootIsDown(53, 10));             // no such server
    EXPECT_TRUE(RootIsDown(21, 0));              // a drive without its medium
    EXPECT_FALSE(RootIsDown(2, 10));             // the file is not there
    EXPECT_FALSE(RootIsDown(5, 10));             // not allowed to read it
    EXPECT_TRUE(RootIsDown(2, kRootTimeOutMs));  // whatever it says, it took the time-out
    EXPECT_FALSE(RootIsDown(0, kRootTimeOutMs)); // slow but there
}
