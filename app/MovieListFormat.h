#pragma once
#include <string>
#include <string_view>
#include <vector>

// The bytes of the movie list file, apart from the code-page conversion of each path.

inline constexpr std::string_view kMovieListHeader = "#Movie File List\n";

// The whole file: the header line, then each path followed by a line feed.
std::string FormatMovieListBytes(const std::vector<std::string>& paths);

// The entry paths of a file's bytes, in order. Lines end at a line feed and may be of
// any length; a line is cut at its first NUL, then at the first CR or LF after its first
// byte that is neither; lines of only CRs and LFs and lines starting with '#' are skipped.
// Nothing is trimmed.
std::vector<std::string> ParseMovieListBytes(std::string_view bytes);

// The form in which the list keeps a path the user adds, so that the file gives it back:
// the path itself, its short (8.3) form, or none (the path cannot go on the list).
enum class ListedForm { Path, ShortPath, None };

// `readBack` is what the file gives back for `path` after its code page (a best-fit
// character comes back as another one, a missing one as the default character);
// `shortPath` is the path's short form, empty when the system has none, and
// `shortReadBack` what the file gives back for that.
ListedForm ChooseListedForm(std::wstring_view path, std::wstring_view readBack,
                            std::wstring_view shortPath, std::wstring_view shortReadBack);
