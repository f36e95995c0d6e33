#include "MoviePath.h"

namespace {
bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}
} // namespace

bool NamesDiskOrShareFile(std::wstring_view path) {
    if (path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        return path[1] == L':' && IsSeparator(path[2]);
    // "\\server\share": not the device and literal-path forms "\\.\" and "\\?\".
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.' &&
           path[2] != L'?' && !IsSeparator(path[2]);
}
