#pragma once
// What a movie path names. No platform dependency, so it is tested natively too.
#include <string_view>

// True when the path names a file by drive letter ("C:\...") or on a share
// ("\\server\share\..."): a file that any source filter must find and read, so that one which
// cannot be opened for reading cannot be played either. False for everything else a graph
// may still open in its own way (URLs, device paths, relative names).
bool NamesDiskOrShareFile(std::wstring_view path);
