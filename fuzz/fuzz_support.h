// What every fuzz target shares: a small pixel limit, so a hostile header is refused long
// before it could take the fuzzer's memory, and the input written to a file the readers open.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/image.h"

// Sets the 64 MiB pixel limit once.
inline void FuzzSetUp() { TImage_SetPixelLimit(uint64_t(64) << 20); }

// Writes the input to this process's scratch file and returns its path; suffix chooses the
// extension (".bmp", ".ico", ...).
inline std::string FuzzWriteInput(const uint8_t* data, size_t size, const char* suffix) {
    std::string path = "/tmp/mosaiko-fuzz-" + std::to_string(getpid()) + suffix;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}
