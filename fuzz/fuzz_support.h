// What the fuzz targets share: a check that aborts (so that the fuzzer
// records the input) and the capture of what the tool prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace nvx::fuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// What the tool printed on a stream opened with open_memstream.
struct Captured {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    Captured() = default;
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;
    ~Captured() {
        if (file) std::fclose(file);
        std::free(data);
    }
    std::string text() {
        std::fflush(file);
        return std::string(data ? data : "", size);
    }
};

} // namespace nvx::fuzz
