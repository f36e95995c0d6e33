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

std::wstring PathRootKey(std::wstring_view path) {
    if (!NamesDiskOrShareFile(path))
        return {};
    size_t end = 2; // "X:"
    if (path[0] == L'\\') {
        // The server's name, a separator and the share's name.
        size_t separators = 0;
        for (end = 2; end < path.size(); ++end)
            if (IsSeparator(path[end]) && ++separators == 2)
                break;
    }
    std::wstring key(path.substr(0, end));
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        else if (c == L'/')
            c = L'\\';
    }
    return key;
}

bool RootIsDown(unsigned long error, unsigned long elapsedMs) {
    // The system's error numbers (winerror.h), named here to keep this file free of it.
    switch (error) {
    case 21:   // ERROR_NOT_READY
    case 51:   // ERROR_REM_NOT_LIST
    case 53:   // ERROR_BAD_NETPATH
    case 54:   // ERROR_NETWORK_BUSY
    case 55:   // ERROR_DEV_NOT_EXIST
    case 59:   // ERROR_UNEXP_NET_ERR
    case 64:   // ERROR_NETNAME_DELETED
    case 67:   // ERROR_BAD_NET_NAME
    case 121:  // ERROR_SEM_TIMEOUT
    case 1203: // ERROR_NO_NET_OR_BAD_PATH
    case 1222: // ERROR_NO_NETWORK
    case 1231: // ERROR_NETWORK_UNREACHABLE
    case 1232: // ERROR_HOST_UNREACHABLE
        return true;
    default:
        return error != 0 && elapsedMs >= kRootTimeOutMs;
    }
}
