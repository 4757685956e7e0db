// JPEG files: the glue around libjpeg (the 6b interface of libjpeg-turbo): how the codec objects
// are set up, how samples are placed into a TImage and how codec errors are caught.
// The codec's error exit longjmps back to one small function per direction (RunDecoder,
// RunEncoder) that owns nothing with a destructor: the open file and the save helper belong to
// the callers above them, the codec's own memory hangs on its object, the image on the caller.
// Uses the atomic save helper of platform/; knows nothing of layers, documents or windows.
#include "core/jpeg.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/error.h"
#include "platform/save_file.h"

namespace {

const int KQuality = 70;

// A progressive file decodes every scan over the whole picture before the first scanline
// comes out; real files have about ten scans, and a few bytes per scan must not keep the
// editor busy for minutes.
const int KMaxScans = 500;

// The standard error manager with the way back. The codec hands error_exit a pointer to FPub,
// so it comes first.
struct TJpegTrap {
    jpeg_error_mgr FPub;
    std::jmp_buf FJump;
    int FCode;                      // EC_ code the failed call reports
    char FMessage[JMSG_LENGTH_MAX]; // the codec's text; kept for a debugger, never shown
};

// Everything a decode owns, zero-filled by the caller; the file is the caller's.
struct TJpegDecoder {
    jpeg_decompress_struct FInfo;
    TJpegTrap FTrap;
    jpeg_progress_mgr FProgress;
    std::FILE* FFile;
};

struct TJpegEncoder {
    jpeg_compress_struct FInfo;
    TJpegTrap FTrap;
    std::FILE* FFile;
};

} // namespace

// Decoding errors by their cause; every encoding error is a failed write, whatever the codec
// says, since the caller's document did not reach the disk.
static int ErrorCodeOf(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return EC_WRITE_FAILED;
    switch (cinfo->err->msg_code) {
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE: // a buffer over max_memory_to_use
        return EC_NO_MEMORY;
    case JERR_INPUT_EMPTY:
    case JERR_FILE_READ:
        return EC_READ_FAILED;
    default:
        return EC_UNKNOWN_FORMAT;
    }
}

// Replaces the library's exit(): formats the message and jumps back to the Run function.
static void TrapErrorExit(j_common_ptr cinfo) {
    TJpegTrap* trap = reinterpret_cast<TJpegTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->FMessage);
    trap->FCode = ErrorCodeOf(cinfo);
    std::longjmp(trap->FJump, 1);
}

// Warnings keep the library's handling; only the fatal exit is replaced.
static jpeg_error_mgr* TrapInstall(TJpegTrap* trap) {
    jpeg_std_error(&trap->FPub);
    trap->FPub.error_exit = TrapErrorExit;
    trap->FCode = EC_NONE;
    trap->FMessage[0] = 0;
    return &trap->FPub;
}

// Called by the decoder between rows of input; gives up past KMaxScans scans.
static void LimitScans(j_common_ptr cinfo) {
    j_decompress_ptr info = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (info->input_scan_number <= KMaxScans) return;
    TJpegTrap* trap = reinterpret_cast<TJpegTrap*>(cinfo->err);
    std::snprintf(trap->FMessage, sizeof trap->FMessage, "more than %d scans", KMaxScans);
    trap->FCode = EC_UNKNOWN_FORMAT;
    std::longjmp(trap->FJump, 1);
}

// The codec's own working memory, above all the coefficient buffer of progressive and
// multi-scan files (up to 2.7 times the picture's pixel memory, asked for by a header of a few
// bytes), is held to the pixel limit; past it libjpeg-turbo asks for backing store, which it
// does not have, and fails.
static long CodecMemoryBudget() {
    uint64_t limit = TImage_GetPixelLimit();
    if (limit < 1) limit = 1; // 0 would tell the codec there is no limit
    if (limit > uint64_t(LONG_MAX)) limit = uint64_t(LONG_MAX);
    return long(limit);
}

// ---- red and blue --------------------------------------------------------------------------
// The codec's samples are red, green, blue; the image's bytes blue, green, red. Every row is
// turned once, while it is in cache; it is the one pixel loop of the glue, so it goes sixteen
// pixels at a time where SSE2 is there (always on x86-64) and the results are the plain loop's.

#if defined(__SSE2__)
// Sixteen pixels are 48 bytes, three vectors, all loaded before any is stored, so the exchange
// also works in place. A pixel's first byte comes from two bytes on, its third from two bytes
// back, its middle one stays; masks of each byte's place in its pixel choose among the three.
struct TPlaceMasks {
    alignas(16) uint8_t FBytes[3][3][16]; // [vector of the 48 bytes][place in the pixel][byte]
};

static constexpr TPlaceMasks MakePlaceMasks() {
    TPlaceMasks masks = {};
    for (int v = 0; v < 3; ++v)
        for (int place = 0; place < 3; ++place)
            for (int i = 0; i < 16; ++i)
                masks.FBytes[v][place][i] = (16 * v + i) % 3 == place ? 0xFF : 0;
    return masks;
}

static constexpr TPlaceMasks KPlaceMasks = MakePlaceMasks();

static inline __m128i PlaceMask(int v, int place) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(KPlaceMasks.FBytes[v][place]));
}

// One vector of the result from itself and its neighbours (zero past the 48 bytes: those bytes
// are never chosen, since the group starts and ends on whole pixels).
static inline __m128i SwapVector(__m128i prev, __m128i self, __m128i next, int v) {
    __m128i from_ahead = _mm_or_si128(_mm_srli_si128(self, 2), _mm_slli_si128(next, 14));
    __m128i from_back = _mm_or_si128(_mm_slli_si128(self, 2), _mm_srli_si128(prev, 14));
    return _mm_or_si128(_mm_and_si128(self, PlaceMask(v, 1)),
                        _mm_or_si128(_mm_and_si128(from_ahead, PlaceMask(v, 0)),
                                     _mm_and_si128(from_back, PlaceMask(v, 2))));
}

static int32_t SwapRedBlue16(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m128i zero = _mm_setzero_si128();
    int32_t x = 0;
    for (; x + 16 <= width; x += 16, src += 48, dst += 48) {
        __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), SwapVector(zero, v0, v1, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), SwapVector(v0, v1, v2, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32), SwapVector(v1, v2, zero, 2));
    }
    return x;
}
#else
static int32_t SwapRedBlue16(const uint8_t*, uint8_t*, int32_t) {
    return 0;
}
#endif

// Width pixels from src into dst, which may be the same row, with their first and third bytes
// exchanged.
static void CopySwapRedBlue(const uint8_t* src, uint8_t* dst, int32_t width) {
    int32_t done = SwapRedBlue16(src, dst, width);
    src += size_t(done) * 3;
    dst += size_t(done) * 3;
    for (int32_t x = done; x < width; ++x, src += 3, dst += 3) {
        uint8_t first = src[0];
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = first;
    }
}

// ---- decoding ------------------------------------------------------------------------------

// Reads the header, refuses a picture over the pixel limit before anything is decoded, and
// starts the decoder with the fast integer DCT; everything else keeps the codec's defaults.
// Returns 0, or -1 with the last error set.
static int StartDecoder(TJpegDecoder* dec) {
    jpeg_decompress_struct* info = &dec->FInfo;
    info->mem->max_memory_to_use = CodecMemoryBudget();
    dec->FProgress.progress_monitor = LimitScans;
    info->progress = &dec->FProgress;
    jpeg_stdio_src(info, dec->FFile);
    jpeg_read_header(info, TRUE);
    if (TImage_CheckSize(info->image_width, info->image_height, 24) != 0) return -1;
    info->dct_method = JDCT_IFAST;
    jpeg_start_decompress(info);
    return 0;
}

static JSAMPROW AllocSampleRow(jpeg_decompress_struct* info) {
    JDIMENSION samples = info->output_width * JDIMENSION(info->output_components);
    return (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, samples,
                                      1)[0];
}

// With the stdio source the decoder never suspends; a scanline that does not come is refused
// rather than waited for.
static int ReadScanline(jpeg_decompress_struct* info, JSAMPROW row) {
    if (jpeg_read_scanlines(info, &row, 1) == 1) return 0;
    return SetLastErrorCode(EC_READ_FAILED), -1;
}

// One scanline into one image row of width pixels. Colour files stay red, green, blue here
// (their rows are swapped by the caller); CMYK is multiplied out to blue, green, red.
static void PlaceScanline(const JSAMPLE* src, uint8_t* dst, int32_t width, int components) {
    switch (components) {
    case 4:
        for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
            unsigned k = src[3];
            dst[0] = uint8_t(src[2] * k / 255);
            dst[1] = uint8_t(src[1] * k / 255);
            dst[2] = uint8_t(src[0] * k / 255);
        }
        break;
    case 1:
        for (int32_t x = 0; x < width; ++x, dst += 3)
            dst[0] = dst[1] = dst[2] = src[x];
        break;
    default: {
        // Three components, or a colour space the codec leaves unconverted (2, 5 or more
        // components): the samples as they are, never past the row's pixels.
        size_t bytes = size_t(width) * size_t(components);
        size_t room = size_t(width) * 3;
        std::memcpy(dst, src, bytes < room ? bytes : room);
        break;
    }
    }
}

// One pixel of a scanline into a preview pixel, in the order PlaceScanline leaves it.
static void PlacePixel(const JSAMPLE* src, uint8_t* dst, int components) {
    if (components == 1 || components == 4) {
        PlaceScanline(src, dst, 1, components);
        return;
    }
    for (int i = 0; i < 3 && i < components; ++i)
        dst[i] = src[i];
}

// Colour scanlines go straight into the image rows, as many per call as the codec has ready,
// and are turned to blue, green, red while they are still in cache.
static int DecodeColourRows(jpeg_decompress_struct* info, TImage* image) {
    const JDIMENSION KBatch = 16;
    JSAMPROW rows[KBatch];
    while (info->output_scanline < info->output_height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION count = std::min(KBatch, info->output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = TImage_GetRow(image, int32_t(first + i));
        JDIMENSION got = jpeg_read_scanlines(info, rows, count);
        if (got == 0) return SetLastErrorCode(EC_READ_FAILED), -1;
        for (JDIMENSION i = 0; i < got; ++i)
            CopySwapRedBlue(rows[i], rows[i], image->FWidth);
    }
    return 0;
}

// Other colour spaces through one row of samples.
static int DecodeOtherRows(jpeg_decompress_struct* info, TImage* image) {
    JSAMPROW row = AllocSampleRow(info);
    while (info->output_scanline < info->output_height) {
        int32_t y = int32_t(info->output_scanline);
        if (ReadScanline(info, row) != 0) return -1;
        PlaceScanline(row, TImage_GetRow(image, y), image->FWidth, info->output_components);
    }
    return 0;
}

static int DecodeImage(TJpegDecoder* dec, TImage* image) {
    jpeg_decompress_struct* info = &dec->FInfo;
    TImage* target = image;
    if (TImage_Reset(&target, int32_t(info->output_width), int32_t(info->output_height), 24,
                     TIF_HASMASK | TIF_BOTTOMUP) != 0)
        return -1;
    TImage_FillMask(image, 1);
    int result =
        info->output_components == 3 ? DecodeColourRows(info, image) : DecodeOtherRows(info, image);
    if (result != 0) return -1;
    jpeg_finish_decompress(info);
    return 0;
}

// Takes every h-th pixel of every v-th scanline (the last of each group of v).
static int DecodePreview(TJpegDecoder* dec, TImage* image, const TRectXYWH* box) {
    jpeg_decompress_struct* info = &dec->FInfo;
    TImage* target = image;
    if (TImage_Reset(&target, box->width, box->height, 24, TIF_BOTTOMUP) != 0) return -1;
    const int64_t width = info->output_width, height = info->output_height;
    const int64_t hstep = width / box->width > 1 ? width / box->width : 1;
    const int64_t vstep = height / box->height > 1 ? height / box->height : 1;
    const int components = info->output_components;
    JSAMPROW row = AllocSampleRow(info);
    for (int32_t py = 0; py < box->height && info->output_scanline < info->output_height; ++py) {
        for (int64_t i = 0; i < vstep && info->output_scanline < info->output_height; ++i)
            if (ReadScanline(info, row) != 0) return -1;
        uint8_t* out = TImage_GetRow(image, py);
        int64_t sx = 0;
        for (int32_t px = 0; px < box->width && sx < width; ++px, sx += hstep)
            PlacePixel(row + sx * components, out + size_t(px) * 3, components);
    }
    // Finishing asks for every scanline; a preview that stopped early only lets go.
    if (info->output_scanline == info->output_height)
        jpeg_finish_decompress(info);
    else
        jpeg_abort_decompress(info);
    if (components == 3) TImage_SwapRedBlue(image);
    return 0;
}

// The one place of the decoding side that setjmp returns to. box null: the whole picture.
static int RunDecoder(TJpegDecoder* dec, TImage* image, const TRectXYWH* box) {
    dec->FInfo.err = TrapInstall(&dec->FTrap);
    if (setjmp(dec->FTrap.FJump)) {
        jpeg_destroy_decompress(&dec->FInfo);
        return SetLastErrorCode(dec->FTrap.FCode), -1;
    }
    jpeg_create_decompress(&dec->FInfo);
    int result = StartDecoder(dec);
    if (result == 0) result = box ? DecodePreview(dec, image, box) : DecodeImage(dec, image);
    jpeg_destroy_decompress(&dec->FInfo);
    return result;
}

static int DecodeStream(TImage* image, std::FILE* file, const TRectXYWH* box) {
    TJpegDecoder dec = {};
    dec.FFile = file;
    int result = RunDecoder(&dec, image, box);
    if (result == 0) ClearLastErrorCode();
    return result;
}

static int DecodeFile(TImage* image, const char* name, const TRectXYWH* box) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return SetLastErrorCode(EC_READ_FAILED), -1;
    int result = DecodeStream(image, file, box);
    std::fclose(file);
    return result;
}

static bool BoxHasPixels(const TRectXYWH* box) {
    return box->width > 0 && box->height > 0;
}

int JPEG_Load(TImage* image, const char* name) {
    if (!image || !name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return DecodeFile(image, name, nullptr);
}

int JPEG_LoadStream(TImage* image, std::FILE* file) {
    if (!image || !file) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return DecodeStream(image, file, nullptr);
}

int JPEG_LoadPreview(TImage* image, const char* name, const TRectXYWH* box) {
    if (!image || !name || !box) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!BoxHasPixels(box)) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    return DecodeFile(image, name, box);
}

int JPEG_LoadPreviewStream(TImage* image, std::FILE* file, const TRectXYWH* box) {
    if (!image || !file || !box) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!BoxHasPixels(box)) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    return DecodeStream(image, file, box);
}

// ---- encoding ------------------------------------------------------------------------------

// Asks for the next picture row while the codec works on this one. A large picture does not fit
// the cache, and the copy that turns a row would otherwise wait for every line of it: that
// wait was a fifth of a save's time.
static void PrefetchRow(const uint8_t* row, int32_t width) {
    const size_t bytes = size_t(width) * 3;
    for (size_t at = 0; at < bytes; at += 64)
        __builtin_prefetch(row + at);
}

// Quality 70, baseline, the codec's defaults otherwise; rows top first, turned from the
// image's blue, green, red into the codec's red, green, blue.
static void EncodeImage(TJpegEncoder* enc, const TImage* image) {
    jpeg_compress_struct* info = &enc->FInfo;
    jpeg_stdio_dest(info, enc->FFile);
    info->image_width = JDIMENSION(image->FWidth);
    info->image_height = JDIMENSION(image->FHeight);
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, KQuality, TRUE);
    jpeg_start_compress(info, TRUE);
    JSAMPROW row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                              JDIMENSION(image->FStride) + 8, 1)[0];
    for (int32_t y = 0; y < image->FHeight; ++y) {
        CopySwapRedBlue(TImage_GetRow(image, y), row, image->FWidth);
        if (y + 1 < image->FHeight) PrefetchRow(TImage_GetRow(image, y + 1), image->FWidth);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
}

// The one place of the encoding side that setjmp returns to.
static int RunEncoder(TJpegEncoder* enc, const TImage* image) {
    enc->FInfo.err = TrapInstall(&enc->FTrap);
    if (setjmp(enc->FTrap.FJump)) {
        jpeg_destroy_compress(&enc->FInfo);
        return SetLastErrorCode(enc->FTrap.FCode), -1;
    }
    jpeg_create_compress(&enc->FInfo);
    EncodeImage(enc, image);
    jpeg_destroy_compress(&enc->FInfo);
    return 0;
}

int JPEG_Save(const TImage* image, const char* name) {
    if (!image || !name || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (image->FBitsPerPixel != 24) return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    TSaveFile file{};
    if (TSaveFile_Open(&file, name) != 0) return SetLastErrorCode(EC_READ_FAILED), -1;
    TJpegEncoder enc = {};
    enc.FFile = file.FFile;
    if (RunEncoder(&enc, image) != 0) {
        TSaveFile_Abort(&file);
        return -1;
    }
    if (TSaveFile_Commit(&file) != 0) return SetLastErrorCode(EC_WRITE_FAILED), -1;
    ClearLastErrorCode();
    return 0;
}
