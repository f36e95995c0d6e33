#pragma once
// What a movie path names. No platform dependency, so it is tested natively too.
#include <string>
#include <string_view>

// True when the path names a file by drive letter ("C:\...") or on a share
// ("\\server\share\..."): a file that any source filter must find and read, so that one which
// cannot be opened for reading cannot be played either. False for everything else a graph
// may still open in its own way (URLs, device paths, relative names).
bool NamesDiskOrShareFile(std::wstring_view path);

// The drive ("c:") or share ("\\server\share") that holds a disk or share file, folded to
// lower case (ASCII letters), so that every entry on one server or drive gives one key; empty
// for every other path.
std::wstring PathRootKey(std::wstring_view path);

// Whether a failed check of a file says that its whole server or drive does not answer (so
// that its other entries need not be tried): an error of the network or of a drive that is
// not ready, or any failure that took the network's time-out (`elapsedMs` of at least
// kRootTimeOutMs). A file that is simply not there says nothing of the others.
inline constexpr unsigned long kRootTimeOutMs = 3000;
bool RootIsDown(unsigned long error, unsigned long elapsedMs);
