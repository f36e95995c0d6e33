#include "MovieListFile.h"

#include <windows.h>

#include <cstdio>
#include <io.h>
#include <string>

#include "MovieListFormat.h"

namespace {

// Converts a path to the system ANSI code page, sizing the buffer from the converted
// length; characters the code page lacks become its default character.
bool ToAnsi(const std::wstring& path, std::string& out) {
    out.clear();
    if (path.empty())
        return true;
    const int length = static_cast<int>(path.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, path.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    out.resize(static_cast<size_t>(bytes));
    return WideCharToMultiByte(CP_ACP, 0, path.data(), length, out.data(), bytes, nullptr,
                               nullptr) == bytes;
}

std::wstring FromThreadAnsi(const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (chars <= 0)
        return {};
    std::wstring out(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, out.data(), chars);
    return out;
}

// What reading the list file gives back for a path that writing it put there.
std::wstring ReadBack(const std::wstring& path) {
    std::string ansi;
    if (!ToAnsi(path, ansi))
        return {};
    return FromThreadAnsi(ansi);
}

std::wstring ShortPathOf(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return {}; // no such file, or no short names on its volume
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size)
        return {};
    shortPath.resize(length);
    return shortPath;
}

bool WriteAll(const wchar_t* path, const std::string& bytes) {
    FILE* file = _wfopen(path, L"wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = fflush(file) == 0 && ok;
    ok = _commit(_fileno(file)) == 0 && ok;
    ok = fclose(file) == 0 && ok;
    return ok;
}

} // namespace

bool WriteMovieListFile(const wchar_t* path, const MovieListType& list) {
    std::vector<std::string> paths;
    paths.reserve(list.size());
    for (const MovieEntry& entry : list) {
        std::string ansi;
        if (!ToAnsi(entry.Path, ansi))
            return false;
        paths.push_back(std::move(ansi));
    }
    const std::string bytes = FormatMovieListBytes(paths);

    // Written beside the list, then moved over it.
    const std::wstring temp = std::wstring(path) + L".new";
    if (!WriteAll(temp.c_str(), bytes)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool ReadMovieListFile(MovieListType& list, const wchar_t* path) {
    FILE* file = _wfopen(path, L"rb");
    if (file == nullptr)
        return false;
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    for (const std::string& p : ParseMovieListBytes(bytes))
        list.push_back(MovieEntry{FromThreadAnsi(p), EntryState::NotTried});
    return true;
}

ListedForm ListablePath(const std::wstring& path, std::wstring& listed) {
    const std::wstring readBack = ReadBack(path);
    std::wstring shortPath;
    std::wstring shortReadBack;
    if (readBack != path) {
        shortPath = ShortPathOf(path);
        shortReadBack = ReadBack(shortPath);
    }
    const ListedForm form = ChooseListedForm(path, readBack, shortPath, shortReadBack);
    listed = form == ListedForm::Path ? path : form == ListedForm::ShortPath ? shortPath : L"";
    return form;
}
