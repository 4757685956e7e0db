// BMP reading and writing: the corpus of files other programs wrote, headers built in memory
// for each rule, round trips in every depth, and saves that fail at every byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/bmp.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/corpus.h"
#include "tests/support/save_sweep.h"
#include "tests/support/test_support.h"

namespace {

struct BmpLayout {
    int32_t width = 1, height = 1;
    uint32_t headerSize = 40;
    uint16_t bits = 24;
    uint32_t compression = 0, imageSize = 0, colorsUsed = 0;
    uint16_t reserved1 = 0;
    std::vector<uint8_t> afterHeader; // masks or palette, as the file holds them
    std::vector<uint8_t> data;
};

std::vector<uint8_t> BuildBmp(const BmpLayout& s) {
    std::vector<uint8_t> b;
    uint32_t offset = 14 + s.headerSize + uint32_t(s.afterHeader.size());
    PutU16(b, 0x4D42);
    PutU32(b, offset + uint32_t(s.data.size()));
    PutU16(b, s.reserved1);
    PutU16(b, 0);
    PutU32(b, offset);
    PutU32(b, s.headerSize);
    PutU32(b, uint32_t(s.width));
    PutU32(b, uint32_t(s.height));
    PutU16(b, 1);
    PutU16(b, s.bits);
    PutU32(b, s.compression);
    PutU32(b, s.imageSize);
    PutU32(b, 0);
    PutU32(b, 0);
    PutU32(b, s.colorsUsed);
    PutU32(b, 0);
    b.resize(14 + s.headerSize, 0);
    b.insert(b.end(), s.afterHeader.begin(), s.afterHeader.end());
    b.insert(b.end(), s.data.begin(), s.data.end());
    return b;
}

// Loads bytes through a file; returns the result, image in *out.
int LoadBytes(const std::vector<uint8_t>& bytes, ImagePtr* out) {
    std::string path = TestTempDir() + "/in.bmp";
    WriteWholeFile(path, bytes);
    TImage* image = TImage_Create(1, 1, 24, 0);
    int result = BMP_Load(image, path.c_str());
    int code = GetLastErrorCode();
    out->reset(image); // destroying the previous image clears the last error
    SetLastErrorCode(code);
    return result;
}

uint32_t Pixel(const ImagePtr& image, int x, int y) {
    return TImage_GetPixel(image.get(), x, y);
}

} // namespace

TEST(BmpCorpus, EveryFileGivesItsExpectedOutcome) {
    std::vector<TCorpusCase> cases = CorpusCases("bmp");
    ASSERT_GE(cases.size(), 40u);
    for (const TCorpusCase& c : cases) {
        SCOPED_TRACE(c.FId);
        ASSERT_EQ(c.FChecks.size(), 1u);
        const TCorpusCheck& check = c.FChecks[0];
        ClearLastErrorCode();
        TImage* image = TImage_Create(1, 1, 24, 0);
        int result = BMP_Load(image, c.FPath.c_str());
        int code = GetLastErrorCode();
        std::string why = "no outcome matched";
        bool matched = false;
        for (const TCorpusOutcome& o : check.FOutcomes) {
            if (o.FResult == "load" && result == 0) {
                why = CorpusMismatch(image, o);
                matched = why.empty();
                EXPECT_EQ(code, EC_NONE);
            } else if (o.FResult == "refuse" && result == -1) {
                matched = o.FErrorCodes.empty()
                              ? code != EC_NONE
                              : std::find(o.FErrorCodes.begin(), o.FErrorCodes.end(), code) !=
                                    o.FErrorCodes.end();
                why = "refused with code " + std::to_string(code);
            }
            if (matched) break;
        }
        EXPECT_TRUE(matched) << why << " (result " << result << ")";
        TImage_Destroy(image);
    }
}

TEST(BmpCorpus, EveryPrefixLoadsOrFailsCleanly) {
    const char* files[] = {
        "bmp/bmp-8bit-pil-L-31x9.bmp", "bmp/bmp-16bit-hand-565-bitfields-9x4.bmp",
        "bmp/bmp-layout-hand-v3-56-32bit-abgr-masks.bmp", "bmp/bmp-4bit-im3-13x6.bmp"};
    for (const char* name : files) {
        std::vector<uint8_t> whole = ReadWholeFile(SharedDir() + "/corpus/" + name);
        ASSERT_FALSE(whole.empty()) << name;
        for (size_t n = 0; n <= whole.size(); ++n) {
            ImagePtr image;
            int result = LoadBytes(std::vector<uint8_t>(whole.begin(), whole.begin() + n), &image);
            EXPECT_TRUE(result == 0 || (result == -1 && GetLastErrorCode() != EC_NONE))
                << name << " cut at " << n;
        }
    }
}

TEST(BmpLoad, RefusesTwoBitAndRunLengthFiles) {
    BmpLayout two;
    two.bits = 2;
    two.width = 4;
    two.afterHeader.resize(16);
    two.data.resize(4);
    ImagePtr image;
    EXPECT_EQ(LoadBytes(BuildBmp(two), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_BMP_COMPRESSION);
    EXPECT_STREQ(GetLastErrorText(), "Not supported Bitmap compression format.");
    BmpLayout rle;
    rle.bits = 8;
    rle.compression = 1;
    rle.colorsUsed = 2;
    rle.afterHeader.resize(8);
    rle.data = {1, 0, 0, 1};
    EXPECT_EQ(LoadBytes(BuildBmp(rle), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_BMP_COMPRESSION);
}

TEST(BmpLoad, RefusesBadHeaders) {
    struct Row {
        const char* rule;
        BmpLayout layout;
        int code;
    };
    std::vector<Row> rows;
    BmpLayout reserved;
    reserved.reserved1 = 1;
    rows.push_back({"reserved field not zero", reserved, EC_UNKNOWN_FORMAT});
    BmpLayout header;
    header.headerSize = 64;
    rows.push_back({"unknown information header size", header, EC_UNKNOWN_FORMAT});
    BmpLayout zeroWidth;
    zeroWidth.width = 0;
    rows.push_back({"width 0", zeroWidth, EC_UNKNOWN_FORMAT});
    BmpLayout zeroHeight;
    zeroHeight.height = 0;
    rows.push_back({"height 0", zeroHeight, EC_UNKNOWN_FORMAT});
    BmpLayout negativeWidth;
    negativeWidth.width = -3;
    rows.push_back({"negative width", negativeWidth, EC_UNKNOWN_FORMAT});
    BmpLayout huge;
    huge.width = 70000;
    huge.height = 70000;
    rows.push_back({"over the pixel limit", huge, EC_NO_MEMORY});
    BmpLayout shortPalette;
    shortPalette.bits = 8;
    shortPalette.afterHeader.resize(100);
    rows.push_back({"palette cut short", shortPalette, EC_READ_FAILED});
    for (const Row& r : rows) {
        ImagePtr image;
        EXPECT_EQ(LoadBytes(BuildBmp(r.layout), &image), -1) << r.rule;
        EXPECT_EQ(GetLastErrorCode(), r.code) << r.rule;
    }
    std::vector<uint8_t> tiny = {'B', 'M', 0, 0};
    ImagePtr image;
    EXPECT_EQ(LoadBytes(tiny, &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    TImage plain = {};
    EXPECT_EQ(BMP_Load(&plain, "/nonexistent/x.bmp"), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
}

TEST(BmpLoad, SixteenBitDefaultMasksScaleFiveBitsByEight) {
    BmpLayout s;
    s.bits = 16;
    s.width = 2;
    s.data = {0xFF, 0x7F, 0x1F, 0x00}; // white, then pure blue
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00F8F8F8u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x00F80000u);
}

TEST(BmpLoad, ThirtyTwoBitsDropTheFourthByteOrFollowTheirMasks) {
    BmpLayout s;
    s.bits = 32;
    s.width = 1;
    s.data = {0x10, 0x20, 0x30, 0x99};
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00102030u);
    uint32_t mask;
    uint32_t c;
    mask = TImage_GetPixelMasked(image.get(), 0, 0, &c);
    EXPECT_EQ(mask, 0xFFFFFFu);
    // Bytes alpha, blue, green, red under masks red 0xFF000000, green 0xFF0000, blue 0xFF00.
    s.compression = 3;
    s.afterHeader.clear();
    PutU32(s.afterHeader, 0xFF000000);
    PutU32(s.afterHeader, 0x00FF0000);
    PutU32(s.afterHeader, 0x0000FF00);
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00203099u);
}

TEST(BmpLoad, OneBitNinthPixelComesFromTheSecondByte) {
    BmpLayout s;
    s.bits = 1;
    s.width = 9;
    s.afterHeader = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    s.data = {0x00, 0x80, 0x00, 0x00};
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 7, 0), 0u);
    EXPECT_EQ(Pixel(image, 8, 0), 0x00FFFFFFu);
}

TEST(BmpLoad, ColoursUsedTwoReadsEightPaletteBytes) {
    BmpLayout s;
    s.bits = 8;
    s.width = 4;
    s.colorsUsed = 2;
    s.afterHeader = {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};
    s.data = {0, 1, 1, 0};
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00112233u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x00445566u);
    EXPECT_EQ(image->FPaletteCount, 2);
}

TEST(BmpLoad, TopDownRowsLoadTheRightWayUp) {
    BmpLayout s;
    s.width = 1;
    s.height = -2;
    s.data = {1, 2, 3, 0, 4, 5, 6, 0}; // top row first
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(image->FHeight, 2);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00010203u);
    EXPECT_EQ(Pixel(image, 0, 1), 0x00040506u);
}

TEST(BmpLoad, ShortPixelDataIsBlackNotPaletteEntryZero) {
    BmpLayout s;
    s.bits = 8;
    s.width = 4;
    s.height = 2;
    s.colorsUsed = 2;
    s.afterHeader = {0, 0xFF, 0xFF, 0, 9, 9, 9, 0}; // entry 0 is yellow
    s.data = {1, 1, 1, 1, 1};                       // bottom row whole, one pixel of the top
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 1), 0x00090909u);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00090909u);
    EXPECT_EQ(Pixel(image, 1, 0), 0u);
    EXPECT_EQ(Pixel(image, 3, 0), 0u);
}

TEST(BmpLoad, ShortImageSizeFieldLeavesPaletteEntryZero) {
    struct Row {
        const char* what;
        uint32_t imageSize;
        size_t dataBytes;
        uint32_t topRow[4];
    };
    const uint32_t grey = 0x00090909, yellow = 0x0000FFFF; // entries 1 and 0
    const Row rows[] = {
        {"the field ends the data one pixel into the top row",
         5,
         8,
         {grey, yellow, yellow, yellow}},
        {"the file ends before the field does", 6, 5, {grey, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        BmpLayout s;
        s.bits = 8;
        s.width = 4;
        s.height = 2;
        s.colorsUsed = 2;
        s.imageSize = r.imageSize;
        s.afterHeader = {0, 0xFF, 0xFF, 0, 9, 9, 9, 0};
        s.data.assign(r.dataBytes, 1); // every stored pixel is entry 1
        ImagePtr image;
        ASSERT_EQ(LoadBytes(BuildBmp(s), &image), 0) << r.what;
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Pixel(image, x, 1), grey) << r.what << " bottom " << x;
            EXPECT_EQ(Pixel(image, x, 0), r.topRow[x]) << r.what << " top " << x;
        }
    }
}

// A colour table of more than 256 entries keeps its first 256; the pixels are read past it.
TEST(BmpLoad, ColoursUsedOver256KeepTheFirst256) {
    std::vector<uint8_t> table;
    for (uint32_t i = 0; i < 300; ++i)
        PutU32(table, i < 256 ? i * 0x010101u : 0x00ABCDEFu);
    BmpLayout paletted;
    paletted.bits = 8;
    paletted.width = 3;
    paletted.colorsUsed = 300;
    paletted.afterHeader = table;
    paletted.data = {0, 7, 255, 0};
    ImagePtr image;
    ASSERT_EQ(LoadBytes(BuildBmp(paletted), &image), 0);
    EXPECT_EQ(image->FPaletteCount, 256);
    EXPECT_EQ(Pixel(image, 0, 0), 0u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x00070707u);
    EXPECT_EQ(Pixel(image, 2, 0), 0x00FFFFFFu);
    BmpLayout direct;
    direct.width = 1;
    direct.colorsUsed = 300;
    direct.afterHeader = table;
    direct.data = {0x10, 0x20, 0x30, 0};
    ASSERT_EQ(LoadBytes(BuildBmp(direct), &image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00102030u);
    // A table that runs past the end of the file is a short read, as a short palette is.
    direct.afterHeader.resize(290 * 4);
    direct.data.clear();
    EXPECT_EQ(LoadBytes(BuildBmp(direct), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
}

TEST(BmpLoad, HugeImageSizeFieldReadsOnlyWhatFits) {
    for (uint16_t bits : {8, 16, 24, 32}) {
        BmpLayout s;
        s.bits = bits;
        s.width = 3;
        s.height = 2;
        s.imageSize = 0x7FFFFF00;
        if (bits == 8) {
            s.colorsUsed = 1;
            s.afterHeader = {1, 2, 3, 0};
        }
        s.data.assign(64, 0);
        ImagePtr image;
        EXPECT_EQ(LoadBytes(BuildBmp(s), &image), 0) << bits;
    }
}

TEST(BmpSave, ThreeByTwoIsSeventyEightBytes) {
    ImagePtr image(TImage_Create(3, 2, 24, TIF_BOTTOMUP | TIF_HASMASK));
    std::string path = TestTempDir() + "/out.bmp";
    ASSERT_EQ(BMP_Save(image.get(), path.c_str()), 0);
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    EXPECT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 54);
    EXPECT_EQ(bytes[14], 40);
    EXPECT_EQ(bytes[28], 24);
}

// Paletted depths read back through their palette, 32 bits drop the fourth byte.
TEST(BmpSave, RoundTripsEveryDepthAndOddWidths) {
    std::mt19937 random(1234);
    for (int bits : {1, 4, 8, 24, 32}) {
        for (int width : {1, 2, 3, 5, 33}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width << ", seed 1234");
            ImagePtr image(TImage_Create(width, 3, bits, TIF_BOTTOMUP));
            for (int i = 0; i < image->FPaletteCount; ++i)
                PaletteEntrySetColor(&image->FPalette[i], random() & 0xFFFFFF);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) {
                    uint32_t v = random();
                    if (bits == 4)
                        image->FBits[image->FStride * y + x / 2] = uint8_t(v);
                    else
                        TImage_SetPixel(image.get(), x, y, bits == 8 ? v & 0xFF : v);
                }
            std::string path = TestTempDir() + "/round.bmp";
            ASSERT_EQ(BMP_Save(image.get(), path.c_str()), 0);
            ImagePtr back(TImage_Create(1, 1, 24, 0));
            ASSERT_EQ(BMP_Load(back.get(), path.c_str()), 0);
            ASSERT_EQ(back->FWidth, width);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) {
                    uint32_t expected;
                    if (bits == 24) {
                        expected = TImage_GetPixel(image.get(), x, y);
                    } else if (bits == 32) { // the raw word is 0xAARRGGBB
                        expected = SwapColorRB(TImage_GetPixel(image.get(), x, y) & 0xFFFFFF);
                    } else {
                        const uint8_t* row = TImage_GetRow(image.get(), y);
                        int perByte = 8 / bits;
                        int shift = 8 - bits * (x % perByte + 1);
                        int index = (row[x / perByte] >> shift) & ((1 << bits) - 1);
                        expected = PaletteEntryToColor(image->FPalette[index]);
                    }
                    ASSERT_EQ(TImage_GetPixel(back.get(), x, y), expected) << x << "," << y;
                }
        }
    }
}

TEST(BmpSave, TopDownAndSixteenBitImagesKeepTheirPicture) {
    ImagePtr topDown(TImage_Create(2, 2, 24, 0));
    TImage_SetPixel(topDown.get(), 1, 0, 0x00ABCDEF);
    std::string path = TestTempDir() + "/t.bmp";
    ASSERT_EQ(BMP_Save(topDown.get(), path.c_str()), 0);
    ImagePtr back(TImage_Create(1, 1, 24, 0));
    ASSERT_EQ(BMP_Load(back.get(), path.c_str()), 0);
    EXPECT_EQ(Pixel(back, 1, 0), 0x00ABCDEFu);

    ImagePtr wide(TImage_Create(1, 1, 16, TIF_BOTTOMUP));
    TImage_SetPixel(wide.get(), 0, 0, 0x07E0); // full green in 5-6-5
    ASSERT_EQ(BMP_Save(wide.get(), path.c_str()), 0);
    ASSERT_EQ(BMP_Load(back.get(), path.c_str()), 0);
    EXPECT_EQ(Pixel(back, 0, 0), 0x0000FC00u);
}

class BmpSaveFailure : public testing::Test {
  protected:
    void SetUp() override {
        dir = TestTempDir();
        target = dir + "/keep.bmp";
        original = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
        WriteWholeFile(target, original);
        image.reset(TImage_Create(5, 3, 24, TIF_BOTTOMUP | TIF_HASMASK));
        for (int x = 0; x < 5; ++x)
            TImage_SetPixel(image.get(), x, 1, 0x123456u * x);
    }
    void ExpectUntouched(const std::string& when) {
        EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED) << when;
        EXPECT_EQ(ReadWholeFile(target), original) << when;
        EXPECT_EQ(ListFolder(dir).size(), 1u) << when << ": a temporary file was left behind";
    }
    std::string dir, target;
    std::vector<uint8_t> original;
    ImagePtr image;
};

TEST_F(BmpSaveFailure, EveryFailedWriteAndCommitStepLeavesTheOriginal) {
    const size_t whole = 54 + size_t(image->FSize);
    SweepFailedSaves(
        whole, [&] { return BMP_Save(image.get(), target.c_str()); },
        [&](const std::string& when) { ExpectUntouched(when); });
    ASSERT_EQ(BMP_Save(image.get(), target.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(target).size(), whole);
}

TEST_F(BmpSaveFailure, UnwritablePathFailsWithFileNotFound) {
    std::string under = target + "/inside.bmp"; // a path under a regular file
    EXPECT_EQ(BMP_Save(image.get(), under.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_FILE_NOT_FOUND);
    EXPECT_EQ(ReadWholeFile(target), original);
    EXPECT_EQ(BMP_Save(nullptr, target.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(BmpPreview, TakesEveryStepthPixelOfDirectColourFiles) {
    BmpLayout s;
    s.width = 8;
    s.height = 4;
    for (int y = 0; y < 4; ++y)       // bottom row first
        for (int x = 0; x < 8; ++x) { // blue = x, green = picture row
            s.data.push_back(uint8_t(x));
            s.data.push_back(uint8_t(3 - y));
            s.data.push_back(0);
        }
    std::string path = TestTempDir() + "/p.bmp";
    WriteWholeFile(path, BuildBmp(s));
    TImage preview = {};
    TRectXYWH box = {0, 0, 4, 2};
    ASSERT_EQ(BMP_LoadPreview(&preview, path.c_str(), &box), 0);
    EXPECT_EQ(preview.FWidth, 4);
    EXPECT_EQ(preview.FHeight, 2);
    EXPECT_EQ(preview.FBitsPerPixel, 24);
    // x step 2; y step 2: the bottom file row goes to the last preview row.
    EXPECT_EQ(TImage_GetPixel(&preview, 1, 1), 0x00020300u);
    EXPECT_EQ(TImage_GetPixel(&preview, 3, 0), 0x00060100u);
    TRectXYWH big = {0, 0, 100, 100};
    ASSERT_EQ(TImage_LoadPreview(&preview, path.c_str(), &big), 0);
    EXPECT_EQ(preview.FWidth, 8);
    EXPECT_EQ(preview.FHeight, 4);
    TRectXYWH empty = {0, 0, 0, 5};
    EXPECT_EQ(BMP_LoadPreview(&preview, path.c_str(), &empty), -1);
    TImage_Clear(&preview);
}

// The preview's reduction written from its rule on the loaded picture: steps of file size / box
// size (at least 1), stored rows taken from the first one stored.
static ImagePtr ReduceAsThePreviewDoes(const TImage* full, const TRectXYWH& box, bool topDown) {
    const int w = std::min(full->FWidth, box.width), h = std::min(full->FHeight, box.height);
    const int xStep = std::max(1, full->FWidth / box.width);
    const int yStep = std::max(1, full->FHeight / box.height);
    ImagePtr out(TImage_Create(w, h, 24, 0));
    for (int k = 0; k < h; ++k) {
        const int from = topDown ? k * yStep : full->FHeight - 1 - k * yStep;
        const int to = topDown ? k : h - 1 - k;
        for (int x = 0; x < w; ++x)
            TImage_SetPixel(out.get(), x, to, TImage_GetPixel(full, x * xStep, from));
    }
    return out;
}

TEST(BmpPreview, ShowsTheLoadedPixelsReduced) {
    std::vector<std::string> paths;
    for (const char* name :
         {"bmp-16bit-hand-444-bitfields-6x3.bmp", "bmp-16bit-hand-565-bitfields-9x4.bmp",
          "bmp-16bit-im3-565-no-masks.bmp", "bmp-robust-isize-tiny-16bit.bmp",
          "bmp-robust-zero-bluemask-16bit.bmp", "bmp-24bit-im3-33x9.bmp",
          "bmp-robust-data-offset-gap.bmp", "bmp-robust-isize-huge-24bit.bmp",
          "bmp-layout-hand-v3-56-32bit-abgr-masks.bmp", "bmp-header-imdefault-v5-32bit-alpha.bmp",
          "bmp-robust-truncated-32bit.bmp"})
        paths.push_back(SharedDir() + "/corpus/bmp/" + name);
    std::mt19937 random(5);
    BmpLayout topDown; // 24 bits, top-down rows
    topDown.width = 7;
    topDown.height = -5;
    for (int i = 0; i < 5 * 24; ++i)
        topDown.data.push_back(uint8_t(random()));
    BmpLayout shortField = topDown; // bottom-up, the image-size field ending in the third row
    shortField.height = 5;
    shortField.imageSize = 2 * 24 + 10;
    BmpLayout defaultMasks; // 16 bits, 5-5-5
    defaultMasks.bits = 16;
    defaultMasks.width = 9;
    defaultMasks.height = 4;
    defaultMasks.data.assign(topDown.data.begin(), topDown.data.begin() + 4 * 20);
    const std::string folder = TestTempDir();
    int built = 0;
    for (const BmpLayout* layout : {&topDown, &shortField, &defaultMasks}) {
        paths.push_back(folder + "/built" + std::to_string(built++) + ".bmp");
        WriteWholeFile(paths.back(), BuildBmp(*layout));
    }
    const TRectXYWH boxes[] = {{0, 0, 100, 100}, {0, 0, 2, 2}, {0, 0, 3, 1}, {0, 0, 4, 3}};
    for (const std::string& path : paths) {
        std::vector<uint8_t> bytes = ReadWholeFile(path);
        ASSERT_GE(bytes.size(), 26u) << path;
        const bool storedTopDown = bytes[25] & 0x80; // the height's sign
        ImagePtr full(TImage_Create(1, 1, 24, 0));
        ASSERT_EQ(BMP_Load(full.get(), path.c_str()), 0) << path;
        for (const TRectXYWH& box : boxes) {
            SCOPED_TRACE(path + " in " + std::to_string(box.width) + "x" +
                         std::to_string(box.height));
            ImagePtr expected = ReduceAsThePreviewDoes(full.get(), box, storedTopDown);
            ImagePtr preview(TImage_Create(1, 1, 24, 0));
            ASSERT_EQ(BMP_LoadPreview(preview.get(), path.c_str(), &box), 0);
            EXPECT_EQ(preview->FBitsPerPixel, 24);
            EXPECT_EQ(preview->FWidth, expected->FWidth);
            EXPECT_EQ(Colours(preview.get()), Colours(expected.get()));
            // The stream form reads the same from memory.
            std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
            ASSERT_NE(stream, nullptr);
            ImagePtr fromMemory(TImage_Create(1, 1, 24, 0));
            EXPECT_EQ(BMP_LoadPreviewStream(fromMemory.get(), stream, &box), 0);
            std::fclose(stream);
            EXPECT_EQ(Colours(fromMemory.get()), Colours(expected.get()));
        }
    }
}

// A header's claim of a huge width costs a preview no more memory than the file holds: the few
// pixels there are show, the rest is black.
TEST(BmpPreview, AHugeClaimedWidthTakesNoMoreMemoryThanTheFile) {
    LimitGuard limit;
    TImage_SetPixelLimit(1 << 20);
    for (uint16_t bits : {24, 32}) {
        BmpLayout layout;
        layout.width = 2000000, layout.height = 1, layout.bits = bits;
        layout.data = {10, 20, 30, 0, 40, 50, 60, 0};
        std::string path = TestTempDir() + "/wide.bmp";
        WriteWholeFile(path, BuildBmp(layout));
        ImagePtr preview(TImage_Create(1, 1, 24, 0));
        TRectXYWH box = {0, 0, 4, 4};
        ASSERT_EQ(BMP_LoadPreview(preview.get(), path.c_str(), &box), 0) << bits;
        EXPECT_EQ(TImage_GetPixel(preview.get(), 0, 0), 0x0A141Eu) << bits;
        EXPECT_EQ(TImage_GetPixel(preview.get(), 1, 0), 0u) << "past the file: black";
    }
}

TEST(BmpPreview, PalettedFilesAreNotPreviewed) {
    std::string path = SharedDir() + "/corpus/bmp/bmp-8bit-pil-L-31x9.bmp";
    TImage preview = {};
    TRectXYWH box = {0, 0, 16, 16};
    EXPECT_EQ(TImage_LoadPreview(&preview, path.c_str(), &box), -1);
    EXPECT_EQ(preview.FBits, nullptr);
    TImage_Clear(&preview);
}
