// The image buffer: strides, the eight formats' pixel values, row order, masks, clip and the
// pixel limit.
#include <gtest/gtest.h>

#include "core/error.h"
#include "core/image.h"
#include "tests/support/test_support.h"

namespace {
ImagePtr Make(int w, int h, int bits, uint32_t flags = 0) {
    return ImagePtr(TImage_Create(w, h, bits, flags));
}
} // namespace

TEST(Image, StrideIsPaddedTo32Bits) {
    EXPECT_EQ(Make(1, 1, 24)->FStride, 4);
    EXPECT_EQ(Make(33, 1, 1)->FStride, 8);
    EXPECT_EQ(Make(3, 1, 15)->FStride, 8);
    EXPECT_EQ(Make(79, 1, 15)->FStride, 160); // room for 79 two-byte words
    EXPECT_EQ(Make(5, 2, 4)->FStride, 4);
    ImagePtr image = Make(33, 9, 24, TIF_HASMASK);
    EXPECT_EQ(image->FStride, 100);
    EXPECT_EQ(image->FSize, 900);
    EXPECT_EQ(image->FLineWidth, 33);
    EXPECT_EQ(image->FMask->FStride, 8);
}

TEST(Image, FormatsSetMasksPaletteCountAndBytesPerPixel) {
    struct Row {
        int bits, bytes, palette;
        uint32_t blue, green, red, alpha;
    } rows[] = {
        {1, 1, 2, 0, 0, 0, 0},
        {2, 1, 4, 0, 0, 0, 0},
        {4, 1, 16, 0, 0, 0, 0},
        {8, 1, 256, 0, 0, 0, 0},
        {15, 2, 0, 0x1F, 0x3E0, 0x7C00, 0},
        {16, 2, 0, 0x1F, 0x7E0, 0xF800, 0},
        {24, 3, 0, 0xFF, 0xFF00, 0xFF0000, 0},
        {32, 4, 0, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    };
    for (const Row& r : rows) {
        ImagePtr image = Make(3, 3, r.bits);
        SCOPED_TRACE(r.bits);
        EXPECT_EQ(image->FBitsPerPixel, r.bits);
        EXPECT_EQ(image->FBytesPerPixel, r.bytes);
        EXPECT_EQ(image->FPaletteCount, r.palette);
        EXPECT_EQ(image->FBlueMask, r.blue);
        EXPECT_EQ(image->FGreenMask, r.green);
        EXPECT_EQ(image->FRedMask, r.red);
        EXPECT_EQ(image->FAlphaMask, r.alpha);
        EXPECT_EQ(image->FDrawAttr.FPenWidth, 1);
    }
}

TEST(Image, PixelValuesOfEveryFormat) {
    struct Row {
        int bits;
        uint32_t written, read;
    } rows[] = {
        {1, 5, 0xFFFFFF},
        {1, 0, 0},
        {2, 3, 0},
        {4, 9, 0},
        {8, 0x1A5, 0xA5},
        {15, 0x7FFF, 0x7FFF},
        {16, 0xF81F, 0xF81F},
        {24, 0x00336699, 0x00336699},
        {32, 0x80112233, 0x80112233},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bits);
        ImagePtr image = Make(9, 2, r.bits);
        TImage_SetPixel(image.get(), 8, 1, r.written);
        EXPECT_EQ(TImage_GetPixel(image.get(), 8, 1), r.read);
        EXPECT_EQ(TImage_GetPixel(image.get(), 7, 1), 0u);
    }
    // 24 bits lie in memory as blue, green, red.
    ImagePtr image = Make(1, 1, 24);
    TImage_SetPixel(image.get(), 0, 0, 0x00336699);
    EXPECT_EQ(image->FBits[0], 0x33);
    EXPECT_EQ(image->FBits[1], 0x66);
    EXPECT_EQ(image->FBits[2], 0x99);
    // One bit per pixel: leftmost pixel in the most significant bit.
    ImagePtr bits = Make(9, 1, 1);
    TImage_SetPixel(bits.get(), 0, 0, 1);
    TImage_SetPixel(bits.get(), 8, 0, 1);
    EXPECT_EQ(bits->FBits[0], 0x80);
    EXPECT_EQ(bits->FBits[1], 0x80);
}

TEST(Image, BottomUpPutsTopRowLastInMemory) {
    ImagePtr image = Make(2, 3, 24, TIF_BOTTOMUP | TIF_HASMASK);
    TImage_SetPixelMasked(image.get(), 0, 0, 0x0000FF, 0xFFFFFF);
    EXPECT_EQ(image->FBits[2 * image->FStride + 2], 0xFF);
    EXPECT_EQ(TImage_GetRow(image.get(), 0), image->FBits + 2 * image->FStride);
    EXPECT_EQ(image->FMask->FBits[2 * image->FMask->FStride], 0x80);
    EXPECT_EQ(TImage_GetRowSafe(image.get(), 3), nullptr);
    EXPECT_EQ(TImage_GetRowSafe(image.get(), -1), nullptr);
    EXPECT_EQ(TImage_GetRowSafe(nullptr, 0), nullptr);
}

TEST(Image, NewImageIsBlackAndTransparent) {
    ImagePtr image = Make(4, 4, 24, TIF_HASMASK);
    uint32_t c = 1;
    EXPECT_EQ(TImage_GetPixelMasked(image.get(), 3, 3, &c), 0u);
    EXPECT_EQ(c, 0u);
    ImagePtr plain = Make(4, 4, 24);
    EXPECT_EQ(TImage_GetPixelMasked(plain.get(), 1, 1, &c), 1u);
    EXPECT_EQ(TImage_GetPixelMaskedSafe(plain.get(), 1, 1, &c), 0xFFFFFFu);
}

TEST(Image, MaskedSafeAccessClipsAndClearsColourUnderTransparency) {
    ImagePtr image = Make(4, 4, 24, TIF_HASMASK);
    TImage_SetPixelMaskedSafe(image.get(), 1, 1, 0x123456, 0xFFFFFF);
    uint32_t c = 0;
    EXPECT_EQ(TImage_GetPixelMaskedSafe(image.get(), 1, 1, &c), 0xFFFFFFu);
    EXPECT_EQ(c, 0x123456u);
    TImage_SetPixelMaskedSafe(image.get(), 1, 1, 0x123456, 0);
    EXPECT_EQ(TImage_GetPixelMaskedSafe(image.get(), 1, 1, &c), 0u);
    EXPECT_EQ(c, 0u);
    c = 7;
    EXPECT_EQ(TImage_GetPixelMaskedSafe(image.get(), -1, 0, &c), 0u);
    EXPECT_EQ(c, 0u);

    TRectLTRB clip = {1, 1, 3, 3};
    TImage_SetClipRect(image.get(), &clip);
    EXPECT_TRUE(image->FMask->FClipOn);
    TImage_SetPixelSafe(image.get(), 0, 0, 0xFF);
    TImage_SetPixelSafe(image.get(), 2, 2, 0xFF);
    TImage_SetPixelMaskedSafe(image.get(), 3, 3, 0xFF, 0xFFFFFF);
    TImage_SetPixelSafe(image.get(), 4, 0, 0xFF); // outside the image: ignored
    EXPECT_EQ(TImage_GetPixelSafe(image.get(), 0, 0), 0u);
    EXPECT_EQ(TImage_GetPixelSafe(image.get(), 2, 2), 0xFFu);
    EXPECT_EQ(TImage_GetPixelSafe(image.get(), 3, 3), 0u);
    EXPECT_EQ(TImage_GetPixelSafe(image.get(), 99, 0), 0u);
    TImage_SetClipRect(image.get(), nullptr);
    EXPECT_FALSE(image->FClipOn);
    EXPECT_FALSE(image->FMask->FClipOn);

    ClearLastErrorCode();
    EXPECT_EQ(TImage_GetPixelMaskedSafe(nullptr, 0, 0, &c), 0u);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TImage_SetPixelMaskedSafe(nullptr, 0, 0, 0, 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(Image, FillMaskNeedsAMaskPlane) {
    ImagePtr image = Make(9, 2, 24, TIF_HASMASK);
    EXPECT_EQ(TImage_FillMask(image.get(), 1), 0);
    uint32_t c;
    EXPECT_EQ(TImage_GetPixelMasked(image.get(), 8, 1, &c), 0xFFFFFFu);
    ImagePtr plain = Make(2, 2, 24);
    EXPECT_EQ(TImage_FillMask(plain.get(), 1), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(Image, PixelLimitRefusesBeforeAllocating) {
    uint64_t saved = TImage_GetPixelLimit();
    TImage_SetPixelLimit(1024);
    EXPECT_EQ(TImage_CheckSize(341, 1, 24), 0);  // 1024 bytes: at the limit
    EXPECT_EQ(TImage_CheckSize(342, 1, 24), -1); // 1028 bytes
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    EXPECT_EQ(TImage_Create(342, 1, 24, 0), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    TImage_SetPixelLimit(saved);
    // 65536 x 65536 at 24 bits is 3 x 2^32 bytes, which would wrap in 32 bits.
    EXPECT_EQ(TImage_CheckSize(65536, 65536, 24), -1);
    EXPECT_EQ(TImage_CheckSize(-1, 5, 24), -1);
    TImage image = {};
    EXPECT_EQ(TImage_Init(&image, 70000, 70000, 24, TIF_HASMASK), -1);
    EXPECT_EQ(image.FBits, nullptr);
    EXPECT_EQ(image.FMask, nullptr);
}

TEST(Image, ResetCreatesOrReinitialisesAndClearZeroes) {
    TImage* image = nullptr;
    ASSERT_EQ(TImage_Reset(&image, 3, 2, 8, 0), 0);
    ASSERT_NE(image, nullptr);
    image->FIconIndex = 4;
    ASSERT_EQ(TImage_Reset(&image, 5, 5, 24, TIF_HASMASK), 0);
    EXPECT_EQ(image->FWidth, 5);
    EXPECT_NE(image->FMask, nullptr);
    EXPECT_EQ(image->FIconIndex, 0);
    TImage_Clear(image);
    EXPECT_EQ(image->FBits, nullptr);
    EXPECT_EQ(image->FMask, nullptr);
    EXPECT_EQ(TImage_Destroy(image), nullptr);
    EXPECT_EQ(TImage_Reset(nullptr, 1, 1, 24, 0), -1);
}

TEST(Image, AttachedBitsAreBorrowedNotFreed) {
    ImagePtr image = Make(2, 2, 24);
    static uint8_t borrowed[16];
    EXPECT_EQ(TImage_AttachBits(image.get(), borrowed), 0);
    EXPECT_TRUE(image->FFlags & TIF_EXTBITS);
    TImage_SetPixel(image.get(), 0, 0, 0xFF);
    EXPECT_EQ(borrowed[2], 0xFF);
    image.reset(); // must not free the borrowed bytes (ASan would tell)
}

TEST(Image, SwapRedBlueAndSwapColor) {
    ImagePtr image = Make(3, 2, 24);
    TImage_SetPixel(image.get(), 2, 1, 0x00112233);
    TImage_SwapRedBlue(image.get());
    EXPECT_EQ(TImage_GetPixel(image.get(), 2, 1), 0x00332211u);
    EXPECT_EQ(SwapColorRB(0xAA112233), 0xAA332211u);
    uint8_t pad = image->FBits[9]; // padding untouched
    EXPECT_EQ(pad, 0);
    TDrawAttr attr = {0, 0x10, 0, 0xFFFFFF, 3}, out = {};
    TImage_SetDrawAttr(image.get(), &attr);
    TImage_GetDrawAttr(image.get(), &out);
    EXPECT_EQ(out.FPenWidth, 3);
    EXPECT_EQ(TImage_PaletteBytes(image.get()), 0);
    EXPECT_EQ(TImage_PaletteBytes(Make(1, 1, 4).get()), 64);
}

TEST(ImageFile, TypeComesFromTheLastPathComponent) {
    EXPECT_EQ(TImage_GetFileType("photo.jpeg"), TFT_JPEG);
    EXPECT_EQ(TImage_GetFileType("PHOTO.JPG"), TFT_JPEG);
    EXPECT_EQ(TImage_GetFileType("a.b.bmp"), TFT_UNKNOWN);
    EXPECT_EQ(TImage_GetFileType("noextension"), TFT_UNKNOWN);
    EXPECT_EQ(TImage_GetFileType("dir.v1/a.bmp"), TFT_BMP);
    EXPECT_EQ(TImage_GetFileType("/home/u/v1.2/icon.ICO"), TFT_ICO);
    EXPECT_EQ(TImage_GetFileType("shot.png"), TFT_PNG);
    EXPECT_EQ(TImage_GetFileType("SHOT.Png"), TFT_PNG);
    EXPECT_EQ(TImage_GetFileType("x.bmpbmpbmpbmpbmp"), TFT_UNKNOWN); // 16-character extension
    EXPECT_EQ(TImage_GetFileType(nullptr), TFT_UNKNOWN);
}

TEST(ImageFile, UnknownTypesFailCleanly) {
    TImage image = {};
    EXPECT_EQ(TImage_LoadFile(&image, "picture.gif"), -1);
    EXPECT_NE(GetLastErrorCode(), EC_NONE);
    ImagePtr source = Make(2, 2, 24, TIF_BOTTOMUP);
    EXPECT_EQ(TImage_SaveFile(source.get(), "picture.gif"), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_SAVE_FAILED);
    TRectXYWH box = {0, 0, 8, 8};
    EXPECT_EQ(TImage_LoadPreview(&image, "picture.gif", &box), -1);
    EXPECT_EQ(image.FBits, nullptr);
    TImage_Clear(&image);
}

TEST(ImageFile, LoadDispatchesByTypeAndKeepsTheIconIndex) {
    const std::string corpus = SharedDir() + "/corpus/";
    TImage image = {};
    image.FIconIndex = 1;
    ASSERT_EQ(TImage_LoadFile(&image, (corpus + "ico/ico-bmp-hand-multi-4-8-32bit.ico").c_str()),
              0);
    EXPECT_EQ(image.FWidth, 32); // the second image
    EXPECT_EQ(image.FIconIndex, 1);
    image.FIconIndex = 3;
    EXPECT_EQ(TImage_LoadFile(&image, (corpus + "ico/ico-bmp-hand-multi-4-8-32bit.ico").c_str()),
              3);
    ASSERT_EQ(TImage_LoadFile(&image, (corpus + "jpeg/jpeg-colour-im-1x1.jpg").c_str()), 0);
    EXPECT_EQ(image.FWidth, 1);
    ASSERT_EQ(TImage_LoadFile(&image, (corpus + "bmp/bmp-24bit-im3-3x5.bmp").c_str()), 0);
    EXPECT_EQ(image.FHeight, 5);
    TImage_Clear(&image);
}

TEST(ImageFile, PreviewsReachEveryReader) {
    const std::string corpus = SharedDir() + "/corpus/";
    TImage image = {};
    TRectXYWH box = {0, 0, 16, 16};
    image.FIconIndex = 2; // a preview always shows the first image of an icon
    ASSERT_EQ(
        TImage_LoadPreview(&image, (corpus + "ico/ico-bmp-hand-multi-4-8-32bit.ico").c_str(), &box),
        0);
    EXPECT_EQ(image.FWidth, 16);
    ASSERT_EQ(
        TImage_LoadPreview(&image, (corpus + "jpeg/jpeg-colour-pil-444-48x32.jpg").c_str(), &box),
        0);
    EXPECT_EQ(image.FWidth, 16);
    EXPECT_EQ(TImage_LoadPreview(&image, (corpus + "jpeg/jpeg-broken-empty.jpg").c_str(), &box),
              -1);
    EXPECT_EQ(image.FBits, nullptr);
    TImage_Clear(&image);
}

TEST(ImageFile, PreviewTakesTheReaderOfTheLoadersFileType) {
    const std::vector<uint8_t> jpeg =
        ReadWholeFile(SharedDir() + "/corpus/jpeg/jpeg-colour-pil-444-48x32.jpg");
    const std::string folder = TestTempDir();
    TRectXYWH box = {0, 0, 16, 16};
    for (const char* name : {"photo.jpeg", "PHOTO.JPEG", "photo.Jpg"}) {
        const std::string path = folder + "/" + name;
        WriteWholeFile(path, jpeg);
        TImage image = {};
        EXPECT_EQ(TImage_LoadPreview(&image, path.c_str(), &box), 0) << name;
        EXPECT_EQ(image.FWidth, 16) << name;
        TImage_Clear(&image);
    }
}
