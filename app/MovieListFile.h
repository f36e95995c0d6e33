#pragma once
#include "MovieListFormat.h"
#include "Playlist.h"

// Rewrites the movie list file: the header and one path per line in the ANSI code page.
// The old file is replaced only once the new one is completely written and flushed, so a
// failed save leaves it intact. False when the file could not be written.
bool WriteMovieListFile(const wchar_t* path, const MovieListType& list);

// Appends the file's entries to `list`, each NotTried. False (list unchanged) when the
// file cannot be opened.
bool ReadMovieListFile(MovieListType& list, const wchar_t* path);

// The form in which the list keeps a path the user adds (ChooseListedForm); `listed` gets
// the path to put on the list, empty for None. The short form is looked up only when the
// path itself does not come back from the file's code page.
ListedForm ListablePath(const std::wstring& path, std::wstring& listed);
