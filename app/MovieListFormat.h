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
