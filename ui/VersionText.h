#pragma once
#include <cstdint>
#include <string>

// The about box's version line from the two halves of a file version:
// "Version major.minor(2 digits).build(4).revision(4)".
std::wstring FormatVersionText(uint32_t versionMS, uint32_t versionLS);
