// libFuzzer target: the movie list reader. What it reads, written and read again, must
// give the same entries: a save never changes a list it loaded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "MovieListFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = ParseMovieListBytes(bytes);
    for (const std::string& e : entries) {
        if (e.empty() || e[0] == '#' || e.find('\n') != std::string::npos ||
            e.find('\0') != std::string::npos)
            std::abort();
    }
    if (ParseMovieListBytes(FormatMovieListBytes(entries)) != entries)
        std::abort();
    return 0;
}
