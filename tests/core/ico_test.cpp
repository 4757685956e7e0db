// Icon reading and writing: the corpus of icons other programs wrote, malformed icons built in
// memory one rule each, PNG entries in every colour type checked against a per-pixel reference,
// the writer's palette against a plain reference, round trips, and saves that fail at every byte.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

#include "core/bmp_header.h"
#include "core/color_count.h"
#include "core/error.h"
#include "core/ico.h"
#include "core/image.h"
#include "tests/support/corpus.h"
#include "tests/support/save_sweep.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Set16(Bytes& b, size_t at, uint16_t v) {
    PutU16LE(&b[at], v);
}
void Set32(Bytes& b, size_t at, uint32_t v) {
    PutU32LE(&b[at], v);
}

// Offsets in a one-image icon whose data starts at 22.
enum { KCount = 4, KBytes = 14, KOffset = 18, KInfo = 22 };

// A one-image icon around entry data.
Bytes Wrap(const Bytes& data) {
    Bytes b;
    PutU16(b, 0), PutU16(b, 1), PutU16(b, 1);
    b.insert(b.end(), {4, 2, 0, 0, 1, 0, 8, 0});
    PutU32(b, uint32_t(data.size()));
    PutU32(b, 22);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A BMP-style entry: header (height doubled), palette entry i = (i, 2i, 3i) for 1/4/8 bits,
// the colour rows and the AND mask rows as given.
Bytes HandIcon(int32_t width, int32_t height, uint16_t bits, const Bytes& colour,
               const Bytes& andMask) {
    Bytes d;
    PutU32(d, 40), PutU32(d, uint32_t(width)), PutU32(d, uint32_t(height * 2));
    PutU16(d, 1), PutU16(d, bits);
    for (int i = 0; i < 6; ++i)
        PutU32(d, 0);
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i)
        d.insert(d.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0});
    d.insert(d.end(), colour.begin(), colour.end());
    d.insert(d.end(), andMask.begin(), andMask.end());
    return Wrap(d);
}

// 4 x 2 at 8 bits: index rows bottom-up (stride 4), AND rows 4 bytes; the top-left pixel is
// transparent.
Bytes Icon8() {
    return HandIcon(4, 2, 8, {1, 2, 3, 4, 5, 6, 7, 8}, {0, 0, 0, 0, 0x80, 0, 0, 0});
}

// Loads bytes through a file (in a fresh folder unless path is given) at index; the image in
// *out.
int LoadBytes(const Bytes& bytes, ImagePtr* out, int32_t index = 0, std::string path = "") {
    if (path.empty()) path = TestTempDir() + "/in.ico";
    std::remove(path.c_str()); // a new file: rewriting a truncated one waits for the disk
    WriteWholeFile(path, bytes);
    out->reset(TImage_Create(1, 1, 24, 0));
    (*out)->FIconIndex = index;
    return ICO_Load(out->get(), path.c_str());
}

std::string Picture(const TImage* image) { // "#" visible, "." transparent, rows top first
    std::string s;
    for (int32_t y = 0; y < image->FHeight; ++y, s += '/')
        for (int32_t x = 0; x < image->FWidth; ++x)
            s += TImage_GetPixel(image->FMask, x, y) ? '#' : '.';
    return s;
}

} // namespace

TEST(IcoCorpus, EveryIndexOfEveryFileGivesItsExpectedOutcome) {
    std::vector<TCorpusCase> cases = CorpusCases("ico");
    ASSERT_GE(cases.size(), 20u);
    for (const TCorpusCase& c : cases) {
        for (const TCorpusCheck& check : c.FChecks) {
            SCOPED_TRACE(c.FId + " index " + std::to_string(check.FIconIndex));
            ImagePtr image(TImage_Create(1, 1, 24, 0));
            TImage_SetPixel(image.get(), 0, 0, 0x123456);
            image->FIconIndex = check.FIconIndex;
            int result = ICO_Load(image.get(), c.FPath.c_str());
            int code = GetLastErrorCode();
            TBitmapInfoHeader info = {};
            int infoResult = ICO_GetImageInfo(nullptr, check.FIconIndex, c.FPath.c_str(), &info);
            bool matched = false;
            std::string why = "no outcome matched";
            for (const TCorpusOutcome& o : check.FOutcomes) {
                if (o.FResult == "load" && result == 0) {
                    why = CorpusMismatch(image.get(), o);
                    matched = why.empty() && code == EC_NONE;
                    EXPECT_EQ(image->FIconIndex, check.FIconIndex);
                    EXPECT_EQ(infoResult, 0);
                    EXPECT_EQ(info.biWidth, o.FWidth);
                    EXPECT_EQ(info.biHeight, o.FHeight);
                } else if (o.FResult == "refuse" && result == -1) {
                    matched = o.FErrorCodes.empty() ? code != EC_NONE
                                                    : std::count(o.FErrorCodes.begin(),
                                                                 o.FErrorCodes.end(), code) > 0;
                    why = "refused with code " + std::to_string(code);
                } else if (o.FResult == "index_out_of_range") {
                    matched = result == o.FReturnValue && image->FWidth == 1 &&
                              TImage_GetPixel(image.get(), 0, 0) == 0x123456;
                    EXPECT_EQ(infoResult, o.FReturnValue);
                    EXPECT_EQ(ICO_GetImageCount(c.FPath.c_str()), o.FReturnValue);
                }
                if (matched) break;
            }
            EXPECT_TRUE(matched) << why << " (result " << result << ")";
        }
    }
}

TEST(IcoCorpus, EveryPrefixLoadsOrFailsCleanly) {
    const char* files[] = {
        "ico-bmp-hand-24bit-21x13.ico", "ico-pil-bmp-32bit-16-32-no-and-mask.ico",
        "ico-png-hand-palette-trns-24.ico", "ico-pil-png-256.ico", "ico-bmp-hand-1bit-16.ico"};
    const std::string path = TestTempDir() + "/cut.ico";
    for (const char* name : files) {
        Bytes whole = ReadWholeFile(SharedDir() + "/corpus/ico/" + name);
        ASSERT_FALSE(whole.empty()) << name;
        for (size_t n = 0; n <= whole.size(); ++n)
            for (int32_t index = 0; index < 2; ++index) {
                ImagePtr image;
                int result =
                    LoadBytes(Bytes(whole.begin(), whole.begin() + n), &image, index, path);
                EXPECT_TRUE(result >= 0 || GetLastErrorCode() != EC_NONE)
                    << name << " cut at " << n;
            }
    }
}

TEST(IcoLoad, RefusesMalformedIconsWithTheirCode) {
    struct Row {
        const char* rule;
        std::function<void(Bytes&)> mutate;
        int code;
    };
    const Row rows[] = {
        {"header shorter than 6 bytes", [](Bytes& b) { b.resize(5); }, EC_READ_FAILED},
        {"reserved 1 with type 2", [](Bytes& b) { Set16(b, 0, 1), Set16(b, 2, 2); },
         EC_UNKNOWN_FORMAT},
        {"image count 0", [](Bytes& b) { Set16(b, KCount, 0); }, EC_UNKNOWN_FORMAT},
        {"directory cut short", [](Bytes& b) { b.resize(21); }, EC_READ_FAILED},
        {"offset at the end of the file", [](Bytes& b) { Set32(b, KOffset, uint32_t(b.size())); },
         EC_READ_FAILED},
        {"offset far past the file", [](Bytes& b) { Set32(b, KOffset, 0xFFFFFFF0u); },
         EC_READ_FAILED},
        {"information header cut short", [](Bytes& b) { b.resize(KInfo + 39); }, EC_READ_FAILED},
        {"palette cut short by the file", [](Bytes& b) { b.resize(KInfo + 40 + 1023); },
         EC_READ_FAILED},
        {"width 0", [](Bytes& b) { Set32(b, KInfo + 4, 0); }, EC_UNKNOWN_FORMAT},
        {"negative width", [](Bytes& b) { Set32(b, KInfo + 4, uint32_t(-4)); }, EC_UNKNOWN_FORMAT},
        {"height 1 halves to 0", [](Bytes& b) { Set32(b, KInfo + 8, 1); }, EC_UNKNOWN_FORMAT},
        {"negative height", [](Bytes& b) { Set32(b, KInfo + 8, uint32_t(-4)); }, EC_UNKNOWN_FORMAT},
        {"2 bits per pixel", [](Bytes& b) { Set16(b, KInfo + 14, 2); }, EC_BMP_COMPRESSION},
        {"8 bits run-length", [](Bytes& b) { Set32(b, KInfo + 16, 1); }, EC_BMP_COMPRESSION},
        {"over the pixel limit",
         [](Bytes& b) { Set32(b, KInfo + 4, 100000), Set32(b, KInfo + 8, 200000); }, EC_NO_MEMORY},
    };
    for (const Row& row : rows) {
        Bytes bytes = Icon8();
        row.mutate(bytes);
        ImagePtr image;
        ClearLastErrorCode();
        EXPECT_EQ(LoadBytes(bytes, &image), -1) << row.rule;
        EXPECT_EQ(GetLastErrorCode(), row.code) << row.rule;
    }
}

TEST(IcoLoad, ReadsEveryPaletteDepthWithItsMask) {
    ImagePtr image;
    ASSERT_EQ(LoadBytes(Icon8(), &image), 0);
    EXPECT_EQ(image->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
    EXPECT_EQ(image->FPaletteCount, 256);
    EXPECT_EQ(Picture(image.get()), ".###/####/");
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0x050A0Fu); // index 5 = (5, 10, 15), transparent
    EXPECT_EQ(TImage_GetPixel(image.get(), 3, 1), 0x04080Cu); // index 4, bottom row first
    // 1 bit, 9 wide: the ninth pixel from the high bit of the second byte; colours-used ignored.
    Bytes one = HandIcon(9, 1, 1, {0x00, 0x80, 0, 0}, {0xFF, 0x7F, 0, 0});
    Set32(one, KInfo + 32, 1);
    ASSERT_EQ(LoadBytes(one, &image), 0);
    EXPECT_EQ(image->FPaletteCount, 2);
    EXPECT_EQ(TImage_GetPixel(image.get(), 8, 0), 0x010203u);
    EXPECT_EQ(Picture(image.get()), "........#/");
    // 4 bits: high nibble left.
    ASSERT_EQ(LoadBytes(HandIcon(2, 1, 4, {0x3C, 0, 0, 0}, {0, 0, 0, 0}), &image), 0);
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0x030609u);
    EXPECT_EQ(TImage_GetPixel(image.get(), 1, 0), 0x0C1824u);
    EXPECT_EQ(Picture(image.get()), "##/");
}

TEST(IcoLoad, UsesTheAndMaskOnlyWhenItLiesInsideTheEntry) {
    ImagePtr image;
    Bytes bytes = Icon8();
    ASSERT_EQ(LoadBytes(bytes, &image), 0);
    EXPECT_EQ(Picture(image.get()), ".###/####/");
    Set32(bytes, KBytes, uint32_t(bytes.size() - 22 - 1)); // the count ends one byte short
    ASSERT_EQ(LoadBytes(bytes, &image), 0);
    EXPECT_EQ(Picture(image.get()), "####/####/");
    Bytes cut = Icon8();
    cut.pop_back(); // the file ends one byte short of the mask
    ASSERT_EQ(LoadBytes(cut, &image), 0);
    EXPECT_EQ(Picture(image.get()), "####/####/");
}

TEST(IcoLoad, ThirtyTwoBitEntriesTakeTheirMaskFromAlphaUnlessItIsAllZero) {
    const Bytes soft = {1, 2, 3, 127, 4, 5, 6, 128}, none = {1, 2, 3, 0, 4, 5, 6, 0};
    const struct {
        Bytes colour, andMask;
        const char* picture;
    } cases[] = {
        {soft, {}, ".#/"},              // alpha 128 and above is visible
        {soft, {0x40, 0, 0, 0}, ".#/"}, // alpha wins over an AND mask marking the shadow visible
        {none, {0x40, 0, 0, 0}, "#./"}, // no alpha kept: the AND mask decides
        {none, {}, "##/"},              // neither: fully visible
    };
    for (const auto& c : cases) {
        ImagePtr image;
        ASSERT_EQ(LoadBytes(HandIcon(2, 1, 32, c.colour, c.andMask), &image), 0);
        EXPECT_EQ(Picture(image.get()), c.picture);
        EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0x010203u);
    }
}

TEST(IcoLoad, KeepsTheIndexAndReturnsTheCountPastIt) {
    Bytes bytes = Icon8();
    ImagePtr image;
    EXPECT_EQ(LoadBytes(bytes, &image, 1), 1);
    EXPECT_EQ(image->FWidth, 1);
    EXPECT_EQ(LoadBytes(bytes, &image, -1), 1);
    Set16(bytes, 2, 2); // reserved 0 with type 2 is read
    ASSERT_EQ(LoadBytes(bytes, &image, 0), 0);
    EXPECT_EQ(image->FIconIndex, 0);
}

TEST(IcoInfo, DescribesBmpStyleEntriesWithTheHalvedHeight) {
    std::string path = TestTempDir() + "/i.ico";
    WriteWholeFile(path, HandIcon(21, 3, 24, Bytes(64 * 3), Bytes(12)));
    TBitmapInfoHeader info = {};
    ASSERT_EQ(ICO_GetImageInfo(nullptr, 0, path.c_str(), &info), 0);
    EXPECT_EQ(info.biWidth, 21);
    EXPECT_EQ(info.biHeight, 3);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biSizeImage, 64u * 3);
    EXPECT_EQ(ICO_GetImageInfo(nullptr, 1, path.c_str(), &info), 1);
    EXPECT_EQ(ICO_GetImageInfo(nullptr, 0, path.c_str(), nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(ICO_GetImageCount((path + ".none").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    // The mixed corpus icon lists its PNG entry from the PNG's own header (RGB at 8 bits).
    std::string mixed = SharedDir() + "/corpus/ico/ico-png-hand-mixed-16-256-32.ico";
    ASSERT_EQ(ICO_GetImageInfo(nullptr, 1, mixed.c_str(), &info), 0);
    EXPECT_EQ(info.biWidth, 256);
    EXPECT_EQ(info.biHeight, 256);
    EXPECT_EQ(info.biBitCount, 24);
    std::string palette = SharedDir() + "/corpus/ico/ico-png-hand-palette-trns-24.ico";
    ASSERT_EQ(ICO_GetImageInfo(nullptr, 0, palette.c_str(), &info), 0);
    EXPECT_EQ(info.biBitCount, 4);
}

// ---- PNG entries -------------------------------------------------------------------------------

namespace {

struct PngFormat {
    int colorType, depth;
    bool interlaced;
    bool trns; // grey or RGB: the first pixel's colour becomes the transparent key
};

void AppendToBytes(png_structp png, png_bytep data, size_t size) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

// Encodes samples (row-major, channels x big-endian samples of depth bits, packed by libpng
// for depths below 8) as a PNG.
Bytes EncodePng(const PngFormat& s, int width, int height, const std::vector<uint16_t>& samples,
                int channels) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendToBytes, nullptr);
    png_set_IHDR(png, info, uint32_t(width), uint32_t(height), s.depth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (s.trns) {
        png_color_16 key = {};
        key.gray = key.red = samples[0];
        key.green = channels == 3 ? samples[1] : 0;
        key.blue = channels == 3 ? samples[2] : 0;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    if (s.depth < 8) png_set_packing(png);
    if (s.depth == 16) png_set_swap(png); // our samples are host order
    const int bytesPer = s.depth == 16 ? 2 : 1;
    std::vector<Bytes> rows(size_t(height), Bytes(size_t(width * channels * bytesPer)));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < width * channels; ++i) {
            uint16_t v = samples[size_t(y * width * channels + i)];
            if (bytesPer == 2)
                std::memcpy(&rows[size_t(y)][size_t(i) * 2], &v, 2);
            else
                rows[size_t(y)][size_t(i)] = uint8_t(v);
        }
        pointers.push_back(rows[size_t(y)].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

TEST(IcoPng, EveryColourTypeMatchesThePerPixelRule) {
    const PngFormat formats[] = {
        {PNG_COLOR_TYPE_RGBA, 16, true, false},      {PNG_COLOR_TYPE_RGBA, 8, false, false},
        {PNG_COLOR_TYPE_RGB, 8, true, true},         {PNG_COLOR_TYPE_RGB, 16, false, false},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false}, {PNG_COLOR_TYPE_GRAY, 4, false, true},
        {PNG_COLOR_TYPE_GRAY, 16, true, false},      {PNG_COLOR_TYPE_GRAY, 1, false, false}};
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    for (const PngFormat& s : formats) {
        SCOPED_TRACE("colour type " + std::to_string(s.colorType) + " depth " +
                     std::to_string(s.depth) + " seed " + std::to_string(seed));
        const int width = 13, height = 11;
        const int channels = s.colorType == PNG_COLOR_TYPE_RGBA         ? 4
                             : s.colorType == PNG_COLOR_TYPE_RGB        ? 3
                             : s.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                        : 1;
        const uint32_t top = (1u << s.depth) - 1;
        std::vector<uint16_t> samples(size_t(width * height * channels));
        for (uint16_t& v : samples)
            v = uint16_t(random() & top);
        Bytes png = EncodePng(s, width, height, samples, channels);
        ImagePtr image;
        ASSERT_EQ(LoadBytes(Wrap(png), &image), 0) << GetLastErrorCode();
        ASSERT_EQ(image->FWidth, width);
        EXPECT_EQ(image->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint16_t* p = &samples[size_t((y * width + x) * channels)];
                auto to8 = [&](uint16_t v) {
                    return s.depth == 16 ? v >> 8 : s.depth == 8 ? v : v * 255 / top;
                };
                uint32_t r = to8(p[0]), g = channels >= 3 ? to8(p[1]) : r,
                         b = channels >= 3 ? to8(p[2]) : r;
                bool visible = channels == 4   ? to8(p[3]) >= 128
                               : channels == 2 ? to8(p[1]) >= 128
                                               : true;
                if (s.trns && std::equal(p, p + channels, samples.begin())) visible = false;
                uint32_t colour = 0;
                uint32_t mask = TImage_GetPixelMasked(image.get(), x, y, &colour);
                ASSERT_EQ(colour, r | (g << 8) | (b << 16)) << x << "," << y;
                ASSERT_EQ(mask != 0, visible) << x << "," << y;
            }
    }
}

TEST(IcoPng, RefusesEntriesThatDoNotDecodeOrDoNotFit) {
    std::vector<uint16_t> samples(4 * 3 * 3, 200);
    Bytes png = EncodePng({PNG_COLOR_TYPE_RGB, 8, false, false}, 4, 3, samples, 3);
    ImagePtr image;
    Bytes broken = png;
    broken[png.size() - 20] ^= 0x55; // inside IDAT: the CRC no longer matches
    EXPECT_EQ(LoadBytes(Wrap(broken), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    Bytes shortCount = Wrap(png);
    Set32(shortCount, KBytes, uint32_t(png.size() - 13)); // ends before IEND and inside IDAT
    EXPECT_EQ(LoadBytes(shortCount, &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    EXPECT_EQ(LoadBytes(Wrap(Bytes(png.begin(), png.begin() + 20)), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    // 40000 x 40000: over the pixel limit, refused before anything is decoded, yet listed.
    Bytes huge = png;
    huge[16] = 0, huge[17] = 0, huge[18] = 0x9C, huge[19] = 0x40;
    huge[20] = 0, huge[21] = 0, huge[22] = 0x9C, huge[23] = 0x40;
    EXPECT_EQ(LoadBytes(Wrap(huge), &image), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    std::string path = TestTempDir() + "/huge.ico";
    WriteWholeFile(path, Wrap(huge));
    TBitmapInfoHeader info = {};
    ASSERT_EQ(ICO_GetImageInfo(nullptr, 0, path.c_str(), &info), 0);
    EXPECT_EQ(info.biWidth, 40000);
    EXPECT_EQ(info.biBitCount, 24);
}

// ---- saving ------------------------------------------------------------------------------------

namespace {

// The writer's colour rule written plainly: FPalette, then each new visible colour (top row
// first) into the next entry; every pixel the first entry with its colour, else 0.
void ReferenceColours(const TImage* image, TPaletteEntry palette[256], Bytes* rows) {
    std::memcpy(palette, image->FPalette, 1024);
    auto same = [](const TPaletteEntry& e, uint32_t c) {
        return (PaletteEntryToColor(e) & 0xFFFFFF) == c;
    };
    int placed = 0;
    for (int y = 0; y < image->FHeight; ++y)
        for (int x = 0; x < image->FWidth; ++x) {
            uint32_t c = 0;
            if (!TImage_GetPixelMasked(image, x, y, &c)) continue;
            if (std::none_of(palette, palette + placed,
                             [&](const TPaletteEntry& e) { return same(e, c); }))
                PaletteEntrySetColor(&palette[placed++], c);
        }
    const int stride = (image->FWidth + 3) / 4 * 4;
    rows->assign(size_t(stride * image->FHeight), 0);
    for (int y = 0; y < image->FHeight; ++y)
        for (int x = 0; x < image->FWidth; ++x) {
            uint32_t c = TImage_GetPixel(image, x, y);
            int i = int(std::find_if(palette, palette + 256,
                                     [&](const TPaletteEntry& e) { return same(e, c); }) -
                        palette);
            (*rows)[size_t((image->FHeight - 1 - y) * stride + x)] = uint8_t(i == 256 ? 0 : i);
        }
}

// A width x height image drawing its colours from `colours` distinct values, with a random mask.
ImagePtr RandomIcon(std::mt19937& random, int width, int height, int colours) {
    ImagePtr image(TImage_Create(width, height, 24, TIF_HASMASK | TIF_BOTTOMUP));
    for (TPaletteEntry& e : image->FPalette) { // colours the pixels may have, fourth bytes set
        PaletteEntrySetColor(&e, (uint32_t(random() % 400) * 0x010305u) & 0xFFFFFF);
        e.FReserved = uint8_t(random());
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TImage_SetPixel(image.get(), x, y,
                            (uint32_t(random() % colours) * 0x010305u) & 0xFFFFFF);
            TImage_SetPixel(image->FMask, x, y, random() % 4 ? 0xFFFFFF : 0);
        }
    return image;
}

} // namespace

TEST(IcoSave, PaletteAndIndexRowsMatchThePlainRule) {
    const unsigned seed = 77;
    std::mt19937 random(seed);
    for (int round = 0; round < 40; ++round) {
        int width = 1 + int(random() % 40), height = 1 + int(random() % 30);
        ImagePtr image = RandomIcon(random, width, height, 1 + int(random() % 300));
        if (round % 4 == 0) TImage_FillMask(image.get(), 1); // no hidden pixel at all
        if (TImage_CountColors(image.get(), 256) > 256) continue;
        TPaletteEntry fast[256], slow[256];
        Bytes fastRows(size_t((width + 3) / 4 * 4 * height), 0xEE), slowRows;
        ICO_EncodeColours(image.get(), fast, fastRows.data());
        ReferenceColours(image.get(), slow, &slowRows);
        ASSERT_EQ(std::memcmp(fast, slow, 1024), 0) << "seed " << seed << " round " << round;
        ASSERT_EQ(fastRows, slowRows) << "seed " << seed << " round " << round;
    }
}

TEST(IcoSave, RoundTripKeepsColoursAndMask) {
    std::mt19937 random(5);
    ImagePtr image = RandomIcon(random, 16, 16, 200);
    std::string path = TestTempDir() + "/r.ico";
    ASSERT_EQ(ICO_Save(image.get(), path.c_str()), 0);
    Bytes file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 22u + 40 + 1024 + 256 + 64);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 22),
              Bytes({0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 8, 0, 0x68, 5, 0, 0, 22, 0, 0, 0}));
    TBitmapInfoHeader ih = BmpInfoHeader_Parse(&file[22]);
    EXPECT_EQ(ih.biHeight, 32);
    EXPECT_EQ(ih.biSizeImage, 256u + 64);
    EXPECT_EQ(ih.biClrUsed, 256u);
    ImagePtr loaded(TImage_Create(1, 1, 24, 0));
    ASSERT_EQ(ICO_Load(loaded.get(), path.c_str()), 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t a = 0, b = 0;
            uint32_t ma = TImage_GetPixelMasked(image.get(), x, y, &a);
            ASSERT_EQ(TImage_GetPixelMasked(loaded.get(), x, y, &b), ma) << x << "," << y;
            if (ma) {
                ASSERT_EQ(a, b) << x << "," << y;
            }
        }
    // Without a mask plane: no mask rows, every pixel visible.
    ImagePtr plain(TImage_Create(16, 16, 24, TIF_BOTTOMUP));
    ASSERT_EQ(ICO_Save(plain.get(), path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path).size(), 22u + 40 + 1024 + 256);
    ASSERT_EQ(ICO_Load(loaded.get(), path.c_str()), 0);
    EXPECT_EQ(TImage_CountColors(loaded.get(), 256), 1);
}

TEST(IcoSave, RefusesOversizeAndTooColourfulIconsWritingNothing) {
    std::string dir = TestTempDir(), path = dir + "/n.ico";
    struct Size {
        int width, height, code;
    } sizes[] = {{256, 16, EC_ICON_TOO_LARGE}, {16, 256, EC_ICON_TOO_LARGE}, {255, 255, EC_NONE}};
    for (const Size& s : sizes) {
        ImagePtr image(TImage_Create(s.width, s.height, 24, TIF_HASMASK | TIF_BOTTOMUP));
        EXPECT_EQ(ICO_Save(image.get(), path.c_str()), s.code ? -1 : 0) << s.width;
        EXPECT_EQ(GetLastErrorCode(), s.code) << s.width;
        EXPECT_EQ(FileExists(path), s.code == EC_NONE) << s.width;
    }
    std::remove(path.c_str());
    // 257 colours, then the 257th only where the pixel is transparent.
    ImagePtr wide(TImage_Create(17, 16, 24, TIF_HASMASK | TIF_BOTTOMUP));
    TImage_FillMask(wide.get(), 1);
    for (int i = 0; i < 257; ++i)
        TImage_SetPixel(wide.get(), i % 17, i / 17, uint32_t(i) * 0x10101u);
    EXPECT_EQ(ICO_Save(wide.get(), path.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_ICON_TOO_MANY_COLOURS);
    EXPECT_FALSE(FileExists(path));
    TImage_SetPixel(wide->FMask, 256 % 17, 256 / 17, 0);
    EXPECT_EQ(ICO_Save(wide.get(), path.c_str()), 0);
    EXPECT_EQ(ICO_Save(nullptr, path.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

class IcoSaveFailure : public testing::Test {
  protected:
    void SetUp() override {
        dir = TestTempDir();
        target = dir + "/keep.ico";
        original = {'o', 'l', 'd', ' ', 'i', 'c', 'o', 'n'};
        WriteWholeFile(target, original);
        std::mt19937 random(3);
        image = RandomIcon(random, 5, 3, 9);
        maskBefore.assign(image->FMask->FBits, image->FMask->FBits + image->FMask->FSize);
    }
    void ExpectUntouched(const std::string& when) {
        EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED) << when;
        EXPECT_EQ(ReadWholeFile(target), original) << when;
        EXPECT_EQ(ListFolder(dir).size(), 1u) << when << ": a temporary file was left behind";
        EXPECT_EQ(Bytes(image->FMask->FBits, image->FMask->FBits + image->FMask->FSize), maskBefore)
            << when << ": the mask plane changed";
    }
    std::string dir, target;
    Bytes original, maskBefore;
    ImagePtr image;
};

TEST_F(IcoSaveFailure, EveryFailedWriteAndCommitStepLeavesTheOriginal) {
    const size_t whole = 22 + 40 + 1024 + 3 * 8 + 3 * 4;
    SweepFailedSaves(
        whole, [&] { return ICO_Save(image.get(), target.c_str()); },
        [&](const std::string& when) { ExpectUntouched(when); });
    ASSERT_EQ(ICO_Save(image.get(), target.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(target).size(), whole);
}

TEST_F(IcoSaveFailure, PathUnderARegularFileFails) {
    EXPECT_EQ(ICO_Save(image.get(), (target + "/inside.ico").c_str()), -1);
    ExpectUntouched("path under a file");
}

// The stream forms read a file held in memory as the named forms read it from the disk, every
// index of every corpus icon (one stream for all the calls on a file: each reads from byte 0).
TEST(IcoStream, ReadsAsTheNamedFormsDo) {
    std::vector<TCorpusCase> cases = CorpusCases("ico");
    ASSERT_GE(cases.size(), 20u);
    for (const TCorpusCase& c : cases) {
        Bytes bytes = ReadWholeFile(c.FPath);
        std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
        ASSERT_NE(stream, nullptr) << c.FId;
        const int count = ICO_GetImageCount(c.FPath.c_str());
        EXPECT_EQ(ICO_GetImageCountStream(stream), count) << c.FId;
        for (int32_t index = -1; index <= count; ++index) {
            SCOPED_TRACE(c.FId + " index " + std::to_string(index));
            TBitmapInfoHeader named = {}, streamed = {};
            int result = ICO_GetImageInfo(nullptr, index, c.FPath.c_str(), &named);
            int code = GetLastErrorCode();
            EXPECT_EQ(ICO_GetImageInfoStream(nullptr, index, stream, &streamed), result);
            EXPECT_EQ(GetLastErrorCode(), code);
            EXPECT_EQ(std::memcmp(&named, &streamed, sizeof named), 0);
            ImagePtr fromFile(TImage_Create(1, 1, 24, 0)), fromStream(TImage_Create(1, 1, 24, 0));
            fromFile->FIconIndex = fromStream->FIconIndex = index;
            result = ICO_Load(fromFile.get(), c.FPath.c_str());
            code = GetLastErrorCode();
            EXPECT_EQ(ICO_LoadStream(fromStream.get(), stream), result);
            EXPECT_EQ(GetLastErrorCode(), code);
            EXPECT_EQ(fromStream->FIconIndex, index);
            if (result == 0) {
                EXPECT_EQ(PixelDump(fromStream.get()), PixelDump(fromFile.get()));
            }
        }
        std::fclose(stream);
    }
    EXPECT_EQ(ICO_GetImageCountStream(nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
