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
