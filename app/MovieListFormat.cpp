#include "MovieListFormat.h"

std::string FormatMovieListBytes(const std::vector<std::string>& paths) {
    size_t size = kMovieListHeader.size();
    for (const std::string& p : paths)
        size += p.size() + 1;
    std::string bytes;
    bytes.reserve(size);
    bytes.append(kMovieListHeader);
    for (const std::string& p : paths) {
        bytes.append(p);
        bytes.push_back('\n');
    }
    return bytes;
}

std::vector<std::string> ParseMovieListBytes(std::string_view bytes) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        std::string_view line = bytes.substr(start, next - start);
        start = next;

        // The line is a C string: what follows a NUL is not part of it.
        if (const size_t nul = line.find('\0'); nul != std::string_view::npos)
            line = line.substr(0, nul);
        const size_t first = line.find_first_not_of("\r\n");
        if (first == std::string_view::npos)
            continue;
        if (const size_t cut = line.find_first_of("\r\n", first); cut != std::string_view::npos)
            line = line.substr(0, cut);
        if (line[0] == '#')
            continue;
        paths.emplace_back(line);
    }
    return paths;
}

ListedForm ChooseListedForm(std::wstring_view path, std::wstring_view readBack,
                            std::wstring_view shortPath, std::wstring_view shortReadBack) {
    if (readBack == path)
        return ListedForm::Path;
    if (!shortPath.empty() && shortReadBack == shortPath)
        return ListedForm::ShortPath;
    return ListedForm::None;
}
