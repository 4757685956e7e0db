// The failures a save can meet, one after the other: the file size limited to every length
// below the whole file (SIGXFSZ ignored, so writes come back short), then each step of the
// commit (flush, sync, close, rename) failing once. After every case the save must have
// returned -1, and check(when) looks at what it left behind.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

void SweepFailedSaves(size_t wholeFileBytes, const std::function<int()>& save,
                      const std::function<void(const std::string& when)>& check);
