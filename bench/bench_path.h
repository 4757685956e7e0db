// Where the benchmarks put the files they write: $TMPDIR (else /tmp), one name per file.
#pragma once

#include <cstdlib>
#include <string>

inline std::string BenchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/mosaiko-bench-" + name;
}
