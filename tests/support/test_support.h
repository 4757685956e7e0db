// What the tests share: the shared test data folder, a scratch folder per test, whole-file
// reads and writes, SHA-256 of bytes, and the canonical pixel dump of a loaded image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/image.h"

// An image destroyed when it goes out of scope.
struct ImageDeleter {
    void operator()(TImage* image) const { TImage_Destroy(image); }
};
using ImagePtr = std::unique_ptr<TImage, ImageDeleter>;

// Restores the pixel limit when a test ends.
struct LimitGuard {
    uint64_t FSaved = TImage_GetPixelLimit();
    ~LimitGuard() { TImage_SetPixelLimit(FSaved); }
};

// The shared data folder: $MOSAIKO_SHARED_DIR, else the build's setting. A missing folder
// fails the calling test (never skips).
std::string SharedDir();
// The test files kept beside the tests (tests/data).
std::string TestDataDir();
// A fresh empty folder for the running test.
std::string TestTempDir();

std::vector<uint8_t> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
// Names in a folder (no "." or "..").
std::vector<std::string> ListFolder(const std::string& path);

std::string Sha256Hex(const std::vector<uint8_t>& bytes);

// Rows top to bottom, 3 bytes blue, green, red per pixel, then 1 byte per pixel of mask
// (1 visible, 0 transparent), no padding.
std::vector<uint8_t> PixelDump(const TImage* image);

// The colour values, rows top to bottom (the mask left out).
std::vector<uint32_t> Colours(const TImage* image);

// Little-endian builders for headers made in memory.
void PutU16(std::vector<uint8_t>& b, uint16_t v);
void PutU32(std::vector<uint8_t>& b, uint32_t v);
