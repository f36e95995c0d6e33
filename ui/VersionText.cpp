#include "VersionText.h"

#include <cwchar>

std::wstring FormatVersionText(uint32_t versionMS, uint32_t versionLS) {
    // Four 16-bit numbers of at most five digits each: 8 + 4 * 5 + 3 characters at most.
    wchar_t text[64];
    swprintf(text, 64, L"Version %u.%02u.%04u.%04u", static_cast<unsigned>(versionMS >> 16),
             static_cast<unsigned>(versionMS & 0xFFFF), static_cast<unsigned>(versionLS >> 16),
             static_cast<unsigned>(versionLS & 0xFFFF));
    return text;
}
