// Shared test helpers.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/image.h"

namespace fs = std::filesystem;

std::string SharedDir() {
    const char* env = std::getenv("MOSAIKO_SHARED_DIR");
    std::string dir = (env && *env) ? env : MOSAIKO_SHARED_DIR_DEFAULT;
    if (!fs::is_directory(dir + "/corpus")) {
        ADD_FAILURE() << "shared test data not found at '" << dir
                      << "': set MOSAIKO_SHARED_DIR to the folder holding corpus/";
    }
    return dir;
}

std::string TestDataDir() {
    return MOSAIKO_TEST_DATA_DIR;
}

std::string TestTempDir() {
    const char* env = std::getenv("MOSAIKO_TEST_TMP");
    fs::path base = (env && *env) ? fs::path(env) : fs::temp_directory_path() / "mosaiko-tests";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    for (char& c : name)
        if (c == '/') c = '_';
    fs::path dir = base / name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir.string();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "could not write " << path;
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string Sha256Hex(const std::vector<uint8_t>& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::vector<uint8_t> PixelDump(const TImage* image) {
    std::vector<uint8_t> colour, mask;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint32_t c = 0;
            uint32_t m = TImage_GetPixelMasked(image, x, y, &c);
            colour.push_back(uint8_t(c >> 16));
            colour.push_back(uint8_t(c >> 8));
            colour.push_back(uint8_t(c));
            mask.push_back(m ? 1 : 0);
        }
    }
    colour.insert(colour.end(), mask.begin(), mask.end());
    return colour;
}

std::vector<uint32_t> Colours(const TImage* image) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            out.push_back(TImage_GetPixel(image, x, y));
    return out;
}

void PutU16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
