// The recovery file: every document state it holds comes back bit for bit through memory and
// through the file; every prefix, a longer file, any damaged byte and each broken header rule
// are refused with their error code, never read past.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/bmp_header.h"
#include "core/clipboard_block.h"
#include "core/error.h"
#include "core/image.h"
#include "core/recovery_copy.h"
#include "tests/support/test_support.h"

namespace {

struct CopyDeleter {
    void operator()(TRecoveryCopy* copy) const { TRecoveryCopy_Destroy(copy); }
};
using CopyPtr = std::unique_ptr<TRecoveryCopy, CopyDeleter>;

// Random colours and mask, padding bytes included, so every bit of the planes is checked.
TImage* RandomPicture(int32_t w, int32_t h, std::mt19937& rng, uint32_t flags = TIF_BOTTOMUP) {
    TImage* image = TImage_Create(w, h, 24, TIF_HASMASK | flags);
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(rng());
    for (int32_t i = 0; i < image->FMask->FSize; ++i)
        image->FMask->FBits[i] = uint8_t(rng());
    return image;
}

struct State {
    const char* FName;
    int32_t FWidth, FHeight;
    const char* FFileName;
    int32_t FIconIndex, FModified, FFloatMode, FFloatLeft, FFloatTop, FFloatW, FFloatH;
};

const State KStates[] = {
    {"untitled, unmodified", 32, 32, "", 0, 0, TRF_NONE, 0, 0, 0, 0},
    {"named, modified, odd width", 33, 7, "/home/ann/Bilder/\xc3\xa9t\xc3\xa9.bmp", 0, 1,
     TRF_NONE, 0, 0, 0, 0},
    {"icon entry 3", 16, 16, "/tmp/a.ico", 3, 1, TRF_NONE, 0, 0, 0, 0},
    {"copied float off the picture", 5, 9, "", 0, 1, TRF_COPY, -3, 12, 7, 2},
    {"cut float", 40, 3, "x.jpg", 0, 1, TRF_CUT, 1, 1, 1, 1},
};

CopyPtr MakeCopy(const State& s, uint32_t seed) {
    std::mt19937 rng(seed);
    CopyPtr copy(TRecoveryCopy_Create());
    copy->FBackground = RandomPicture(s.FWidth, s.FHeight, rng);
    copy->FFileName = s.FFileName;
    copy->FIconIndex = s.FIconIndex;
    copy->FModified = s.FModified;
    copy->FFloatMode = s.FFloatMode;
    if (s.FFloatMode != TRF_NONE) {
        copy->FFloat = RandomPicture(s.FFloatW, s.FFloatH, rng);
        copy->FFloatLeft = s.FFloatLeft;
        copy->FFloatTop = s.FFloatTop;
    }
    for (TPaletteEntry& e : copy->FPalette)
        e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    return copy;
}

std::vector<uint8_t> Encode(const TRecoveryCopy* copy) {
    TClipBlock block = {};
    EXPECT_EQ(RecoveryCopy_Encode(copy, &block), 0);
    std::vector<uint8_t> bytes(block.FData, block.FData + block.FSize);
    TClipBlock_Free(&block);
    return bytes;
}

bool SamePlanes(const TImage* a, const TImage* b) {
    return a->FWidth == b->FWidth && a->FHeight == b->FHeight && a->FSize == b->FSize &&
           std::memcmp(a->FBits, b->FBits, size_t(a->FSize)) == 0 &&
           std::memcmp(a->FMask->FBits, b->FMask->FBits, size_t(a->FMask->FSize)) == 0;
}

void ExpectSame(const TRecoveryCopy* a, const TRecoveryCopy* b) {
    EXPECT_TRUE(SamePlanes(a->FBackground, b->FBackground));
    EXPECT_EQ(a->FFloatMode, b->FFloatMode);
    ASSERT_EQ(a->FFloat == nullptr, b->FFloat == nullptr);
    if (a->FFloat) {
        EXPECT_TRUE(SamePlanes(a->FFloat, b->FFloat));
        EXPECT_EQ(a->FFloatLeft, b->FFloatLeft);
        EXPECT_EQ(a->FFloatTop, b->FFloatTop);
    }
    EXPECT_EQ(std::memcmp(a->FPalette, b->FPalette, sizeof a->FPalette), 0);
    EXPECT_EQ(a->FFileName, b->FFileName);
    EXPECT_EQ(a->FIconIndex, b->FIconIndex);
    EXPECT_EQ(a->FModified, b->FModified);
}

// Rewrites a 32-bit header field and the header checksum, so only the field's rule can refuse.
std::vector<uint8_t> WithField(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    PutU32LE(bytes.data() + offset, value);
    PutU32LE(bytes.data() + 60, uint32_t(crc32_z(0, bytes.data(), 60)));
    return bytes;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, size_t size, int code) {
    SetLastErrorCode(EC_NONE);
    EXPECT_EQ(RecoveryCopy_Parse(bytes.data(), size), nullptr);
    EXPECT_EQ(GetLastErrorCode(), code);
}

} // namespace

TEST(RecoveryCopy, RoundTripsEveryDocumentStateBitForBit) {
    const std::string dir = TestTempDir();
    for (const State& s : KStates) {
        SCOPED_TRACE(s.FName);
        CopyPtr copy = MakeCopy(s, 21);
        std::vector<uint8_t> bytes = Encode(copy.get());
        CopyPtr back(RecoveryCopy_Parse(bytes.data(), bytes.size()));
        ASSERT_NE(back, nullptr) << GetLastErrorText();
        ExpectSame(copy.get(), back.get());
        EXPECT_EQ(Encode(back.get()), bytes);

        const std::string path = dir + "/copy.rcv";
        ASSERT_EQ(RecoveryCopy_Save(copy.get(), path.c_str()), 0);
        EXPECT_EQ(ReadWholeFile(path), bytes);
        CopyPtr loaded(RecoveryCopy_Load(path.c_str()));
        ASSERT_NE(loaded, nullptr) << GetLastErrorText();
        ExpectSame(copy.get(), loaded.get());
    }
    // A top-down picture is written in the file's bottom-up order and reads back the same.
    CopyPtr copy = MakeCopy(KStates[1], 5);
    std::mt19937 rng(7);
    TImage* topDown = RandomPicture(9, 4, rng, 0);
    TImage_Destroy(copy->FBackground);
    copy->FBackground = topDown;
    std::vector<uint8_t> bytes = Encode(copy.get());
    CopyPtr back(RecoveryCopy_Parse(bytes.data(), bytes.size()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(PixelDump(back->FBackground), PixelDump(topDown));
}

TEST(RecoveryCopy, RefusesEveryPrefixALongerFileAndEveryDamagedByte) {
    CopyPtr copy = MakeCopy(KStates[3], 3);
    std::vector<uint8_t> bytes = Encode(copy.get());
    for (size_t size = 0; size < bytes.size(); ++size) {
        SCOPED_TRACE(size);
        // An exact copy of the prefix, so a read past it is caught by the sanitizers.
        std::vector<uint8_t> prefix(size ? size : 1); // the empty prefix still has an address
        std::memcpy(prefix.data(), bytes.data(), size);
        ExpectRefused(prefix, size, EC_UNKNOWN_FORMAT);
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    ExpectRefused(longer, longer.size(), EC_UNKNOWN_FORMAT);

    const uint32_t seed = 2024;
    std::mt19937 rng(seed);
    for (size_t offset = 0; offset < bytes.size(); ++offset) {
        SCOPED_TRACE(::testing::Message() << "offset " << offset << " seed " << seed);
        std::vector<uint8_t> damaged = bytes;
        damaged[offset] ^= uint8_t(1 + rng() % 255);
        ExpectRefused(damaged, damaged.size(), EC_UNKNOWN_FORMAT);
    }
}

TEST(RecoveryCopy, RefusesEachBrokenHeaderRule) {
    CopyPtr plain = MakeCopy(KStates[1], 1), floating = MakeCopy(KStates[3], 1);
    const std::vector<uint8_t> p = Encode(plain.get()), f = Encode(floating.get());
    struct Row {
        const char* FRule;
        const std::vector<uint8_t>* FBase;
        size_t FOffset;
        uint32_t FValue;
        int FCode;
    } rows[] = {
        {"version 2", &p, 8, 2, EC_UNKNOWN_FORMAT},
        {"header size 60", &p, 12, 60, EC_UNKNOWN_FORMAT},
        {"unknown flag", &p, 16, 3, EC_UNKNOWN_FORMAT},
        {"width 0", &p, 20, 0, EC_UNKNOWN_FORMAT},
        {"negative height", &p, 24, 0xFFFFFFFF, EC_UNKNOWN_FORMAT},
        {"negative icon index", &p, 28, 0x80000000, EC_UNKNOWN_FORMAT},
        {"floating mode 3", &f, 32, 3, EC_UNKNOWN_FORMAT},
        {"floating size without a mode", &p, 44, 4, EC_UNKNOWN_FORMAT},
        {"place without a mode", &p, 36, 1, EC_UNKNOWN_FORMAT},
        {"floating width 0", &f, 44, 0, EC_UNKNOWN_FORMAT},
        {"name longer than the most", &p, 52, KRecoveryNameMax + 1, EC_UNKNOWN_FORMAT},
        {"name past the end", &p, 52, 200, EC_UNKNOWN_FORMAT},
        {"picture over the pixel limit", &p, 20, 0x7FFFFFFF, EC_NO_MEMORY},
        {"floating selection over the limit", &f, 48, 0x7FFFFFFF, EC_NO_MEMORY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.FRule);
        std::vector<uint8_t> bytes = WithField(*row.FBase, row.FOffset, row.FValue);
        ExpectRefused(bytes, bytes.size(), row.FCode);
    }
    std::vector<uint8_t> magic = p;
    magic[7] = 0;
    ExpectRefused(magic, magic.size(), EC_UNKNOWN_FORMAT);
}

TEST(RecoveryCopy, LoadTellsAMissingFileFromADamagedOne) {
    const std::string dir = TestTempDir();
    SetLastErrorCode(EC_NONE);
    EXPECT_EQ(RecoveryCopy_Load((dir + "/none.rcv").c_str()), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_FILE_NOT_FOUND);
    CopyPtr copy = MakeCopy(KStates[0], 9);
    std::vector<uint8_t> bytes = Encode(copy.get());
    bytes.resize(bytes.size() - 1);
    WriteWholeFile(dir + "/short.rcv", bytes);
    EXPECT_EQ(RecoveryCopy_Load((dir + "/short.rcv").c_str()), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    // A copy that breaks the record's rules is never written.
    copy->FFloatMode = TRF_CUT;
    EXPECT_EQ(RecoveryCopy_Save(copy.get(), (dir + "/bad.rcv").c_str()), -1);
    EXPECT_FALSE(FileExists(dir + "/bad.rcv"));
}
