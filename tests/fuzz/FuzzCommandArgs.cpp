// libFuzzer target: the command-line splitter and the mode choice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "CommandArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per UTF-16 unit, as the platform's command line holds them.
    std::vector<wchar_t> line;
    line.reserve(size / 2 + 1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == L'\0')
            break;
        line.push_back(unit);
    }
    line.push_back(L'\0');

    const CommandArgs args(line.data());
    size_t total = 0;
    for (size_t i = 0; i < args.Count(); ++i)
        total += std::wcslen(args.Arg(i)); // every argument is a terminated string
    if (total > line.size())
        std::abort();
    const ModeChoice choice = ChooseRunMode(args);
    if (choice.mode != RunModeId::Preview && choice.hasHandle)
        std::abort();
    return 0;
}
