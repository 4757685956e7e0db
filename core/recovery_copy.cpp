// The recovery file: written from a TRecoveryCopy in one pass of spans (the same spans feed the
// checksum, a memory block and the atomic file), and parsed back with the header's checksum and
// every size checked in 64 bits before anything is allocated. Uses zlib's CRC-32, the byte
// getters of bmp_header.h and the atomic save helper of platform/.
//
// Little-endian throughout (C, M: colour and mask bytes of the background; FC, FM: of the
// floating selection, 0 without one; N: name bytes):
//   OFFSET   SIZE  FIELD               ACCEPTED
//   0        8     magic               "MOSAIKO" and 0x1A
//   8        4     version             1
//   12       4     header size         64
//   16       4     flags               bit 0 modified; the other bits 0
//   20       4     width               1 .. 2^31 - 1, within the pixel limit
//   24       4     height              1 .. 2^31 - 1
//   28       4     icon index          0 .. 2^31 - 1
//   32       4     floating mode       0 none, 1 copy, 2 cut
//   36       4     floating left       any (signed)
//   40       4     floating top        any (signed)
//   44       4     floating width      0 with mode 0, else 1 .. 2^31 - 1 within the limit
//   48       4     floating height     as the width
//   52       4     name bytes N        0 .. 65536
//   56       4     body checksum       CRC-32 of every byte after the header
//   60       4     header checksum     CRC-32 of bytes 0 .. 59
//   64       1024  palette             256 entries of blue, green, red, fourth byte
//   1088     N     file name           UTF-8, no terminator
//   1088+N   C     colour rows         bottom row first, 24-bit stride (padding as in memory)
//   ...      M     mask rows           bottom row first, 1-bit stride, set bit = visible
//   ...      FC    floating colour     as the colour rows, the floating size
//   ...      FM    floating mask       as the mask rows
//   end            the file's end      exactly here: a longer or shorter file is refused
#include "core/recovery_copy.h"

#include <sys/stat.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/bmp_header.h"
#include "core/clipboard_block.h"
#include "core/error.h"
#include "core/image.h"
#include "platform/save_file.h"

namespace {

const uint8_t KMagic[8] = {'M', 'O', 'S', 'A', 'I', 'K', 'O', 0x1A};
const uint32_t KVersion = 1;
const uint32_t KFlagModified = 1;
const size_t KPaletteBytes = 256 * sizeof(TPaletteEntry);

// The sizes a header announces, checked.
struct TLayout {
    int32_t FWidth, FHeight, FFloatWidth, FFloatHeight;
    uint64_t FNameBytes, FColourBytes, FMaskBytes, FFloatColourBytes, FFloatMaskBytes;
    uint64_t FTotal; // bytes of the whole file
};

uint64_t PlaneBytes(int32_t width, int32_t height, int bits) {
    return TImage_StrideFor(width, bits) * uint64_t(height);
}

void SetPlaneSizes(TLayout* layout) {
    layout->FColourBytes = PlaneBytes(layout->FWidth, layout->FHeight, 24);
    layout->FMaskBytes = PlaneBytes(layout->FWidth, layout->FHeight, 1);
    layout->FFloatColourBytes = PlaneBytes(layout->FFloatWidth, layout->FFloatHeight, 24);
    layout->FFloatMaskBytes = PlaneBytes(layout->FFloatWidth, layout->FFloatHeight, 1);
    // Each plane is below 2^31 bytes (the pixel limit), so the sum cannot wrap.
    layout->FTotal = KRecoveryHeaderSize + KPaletteBytes + layout->FNameBytes +
                     layout->FColourBytes + layout->FMaskBytes + layout->FFloatColourBytes +
                     layout->FFloatMaskBytes;
}

// A picture of a copy: 24 bits with a mask plane of its size, rows at the usual strides.
// (ClipBlock_CheckSource says the same but sets the last error, which a worker must not.)
bool PlaneUsable(const TImage* image) {
    if (!image || !image->FBits || image->FBitsPerPixel != 24 || image->FWidth <= 0 ||
        image->FHeight <= 0 || !image->FMask)
        return false;
    const TImage* mask = image->FMask;
    return uint64_t(image->FStride) == TImage_StrideFor(image->FWidth, 24) &&
           uint64_t(image->FSize) == PlaneBytes(image->FWidth, image->FHeight, 24) &&
           mask->FBits && mask->FBitsPerPixel == 1 && mask->FWidth == image->FWidth &&
           mask->FHeight == image->FHeight &&
           uint64_t(mask->FStride) == TImage_StrideFor(image->FWidth, 1) &&
           uint64_t(mask->FSize) == PlaneBytes(image->FWidth, image->FHeight, 1);
}

// ---- Writing ----

using TSink = bool (*)(void* context, const void* data, size_t size);

// Rows of plane bottom row first, whatever its own row order.
bool EmitRows(const TImage* plane, TSink sink, void* context) {
    for (int32_t k = 0; k < plane->FHeight; ++k)
        if (!sink(context, TImage_GetRow(plane, plane->FHeight - 1 - k), size_t(plane->FStride)))
            return false;
    return true;
}

// Everything after the header, in file order.
bool EmitBody(const TRecoveryCopy* copy, TSink sink, void* context) {
    if (!sink(context, copy->FPalette, KPaletteBytes) ||
        !sink(context, copy->FFileName.data(), copy->FFileName.size()) ||
        !EmitRows(copy->FBackground, sink, context) ||
        !EmitRows(copy->FBackground->FMask, sink, context))
        return false;
    if (!copy->FFloat) return true;
    return EmitRows(copy->FFloat, sink, context) && EmitRows(copy->FFloat->FMask, sink, context);
}

bool CrcSink(void* context, const void* data, size_t size) {
    uLong* crc = static_cast<uLong*>(context);
    *crc = crc32_z(*crc, static_cast<const Bytef*>(data), size);
    return true;
}

void MakeHeader(const TRecoveryCopy* copy, uint8_t* at) {
    std::memset(at, 0, KRecoveryHeaderSize);
    std::memcpy(at, KMagic, sizeof KMagic);
    PutU32LE(at + 8, KVersion);
    PutU32LE(at + 12, KRecoveryHeaderSize);
    PutU32LE(at + 16, copy->FModified ? KFlagModified : 0);
    PutU32LE(at + 20, uint32_t(copy->FBackground->FWidth));
    PutU32LE(at + 24, uint32_t(copy->FBackground->FHeight));
    PutU32LE(at + 28, uint32_t(copy->FIconIndex));
    if (copy->FFloat) {
        PutU32LE(at + 32, uint32_t(copy->FFloatMode));
        PutU32LE(at + 36, uint32_t(copy->FFloatLeft));
        PutU32LE(at + 40, uint32_t(copy->FFloatTop));
        PutU32LE(at + 44, uint32_t(copy->FFloat->FWidth));
        PutU32LE(at + 48, uint32_t(copy->FFloat->FHeight));
    }
    PutU32LE(at + 52, uint32_t(copy->FFileName.size()));
    uLong body = crc32_z(0, nullptr, 0);
    EmitBody(copy, CrcSink, &body);
    PutU32LE(at + 56, uint32_t(body));
    PutU32LE(at + 60, uint32_t(crc32_z(0, at, 60)));
}

struct TMemorySink {
    uint8_t* FAt;
};

bool MemorySink(void* context, const void* data, size_t size) {
    TMemorySink* sink = static_cast<TMemorySink*>(context);
    if (size) std::memcpy(sink->FAt, data, size);
    sink->FAt += size;
    return true;
}

bool FileSink(void* context, const void* data, size_t size) {
    return size == 0 || TSaveFile_Write(static_cast<TSaveFile*>(context), data, size) == 0;
}

// ---- Reading ----

int32_t GetI32LE(const uint8_t* p) {
    return int32_t(GetU32LE(p));
}

// Checks the header's own fields and sizes. 0 with *layout filled; -1 with the last error.
int CheckHeader(const uint8_t* at, TLayout* layout) {
    if (std::memcmp(at, KMagic, sizeof KMagic) != 0 || GetU32LE(at + 8) != KVersion ||
        GetU32LE(at + 12) != KRecoveryHeaderSize || (GetU32LE(at + 16) & ~KFlagModified) != 0 ||
        GetU32LE(at + 60) != uint32_t(crc32_z(0, at, 60)))
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    *layout = TLayout{};
    layout->FWidth = GetI32LE(at + 20);
    layout->FHeight = GetI32LE(at + 24);
    const int32_t iconIndex = GetI32LE(at + 28), mode = GetI32LE(at + 32);
    layout->FFloatWidth = GetI32LE(at + 44);
    layout->FFloatHeight = GetI32LE(at + 48);
    layout->FNameBytes = GetU32LE(at + 52);
    const bool floating = mode == TRF_COPY || mode == TRF_CUT;
    if (layout->FWidth <= 0 || layout->FHeight <= 0 || iconIndex < 0 ||
        (mode != TRF_NONE && !floating) || layout->FNameBytes > KRecoveryNameMax)
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    if (floating ? layout->FFloatWidth <= 0 || layout->FFloatHeight <= 0
                 : layout->FFloatWidth != 0 || layout->FFloatHeight != 0 ||
                       GetU32LE(at + 36) != 0 || GetU32LE(at + 40) != 0)
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    if (TImage_CheckSize(layout->FWidth, layout->FHeight, 24) != 0 ||
        (floating && TImage_CheckSize(layout->FFloatWidth, layout->FFloatHeight, 24) != 0))
        return -1; // EC_NO_MEMORY
    SetPlaneSizes(layout);
    return 0;
}

// A bottom-up picture with mask from its planes' bytes at data.
TImage* ReadPicture(const uint8_t* data, int32_t width, int32_t height, uint64_t colourBytes) {
    TImage* image = TImage_Create(width, height, 24, TIF_HASMASK | TIF_BOTTOMUP);
    if (!image) return nullptr;
    std::memcpy(image->FBits, data, size_t(colourBytes));
    std::memcpy(image->FMask->FBits, data + colourBytes, size_t(image->FMask->FSize));
    return image;
}

TRecoveryCopy* FailCopy(TRecoveryCopy* copy, int code) {
    TRecoveryCopy_Destroy(copy);
    SetLastErrorCode(code);
    return nullptr;
}

} // namespace

TRecoveryCopy* TRecoveryCopy_Create() {
    TRecoveryCopy* copy = new (std::nothrow) TRecoveryCopy();
    if (!copy) SetLastErrorCode(EC_NO_MEMORY);
    return copy;
}

TRecoveryCopy* TRecoveryCopy_Destroy(TRecoveryCopy* copy) {
    if (!copy) return nullptr;
    TImage_Destroy(copy->FBackground);
    TImage_Destroy(copy->FFloat);
    delete copy;
    return nullptr;
}

int RecoveryCopy_Check(const TRecoveryCopy* copy) {
    if (!copy || !PlaneUsable(copy->FBackground)) return -1;
    const bool floating = copy->FFloatMode == TRF_COPY || copy->FFloatMode == TRF_CUT;
    if (copy->FFloatMode != TRF_NONE && !floating) return -1;
    if (floating != (copy->FFloat != nullptr) || (floating && !PlaneUsable(copy->FFloat)))
        return -1;
    if (copy->FIconIndex < 0 || copy->FFileName.size() > KRecoveryNameMax) return -1;
    return 0;
}

int RecoveryCopy_Encode(const TRecoveryCopy* copy, TClipBlock* out) {
    if (!out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = TClipBlock{};
    if (RecoveryCopy_Check(copy) != 0) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    uint8_t header[KRecoveryHeaderSize];
    MakeHeader(copy, header);
    TLayout layout = {};
    if (CheckHeader(header, &layout) != 0) return -1; // over this process's pixel limit
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size_t(layout.FTotal)));
    if (!block) return SetLastErrorCode(EC_NO_MEMORY), -1;
    std::memcpy(block, header, KRecoveryHeaderSize);
    TMemorySink sink = {block + KRecoveryHeaderSize};
    EmitBody(copy, MemorySink, &sink);
    out->FData = block;
    out->FSize = size_t(layout.FTotal);
    ClearLastErrorCode();
    return 0;
}

int RecoveryCopy_Save(const TRecoveryCopy* copy, const char* path) {
    if (!path || RecoveryCopy_Check(copy) != 0) return errno = EINVAL, -1;
    uint8_t header[KRecoveryHeaderSize];
    MakeHeader(copy, header);
    TSaveFile file = {};
    if (TSaveFile_Open(&file, path) != 0) return -1;
    if (TSaveFile_Write(&file, header, sizeof header) != 0 || !EmitBody(copy, FileSink, &file)) {
        const int error = errno;
        TSaveFile_Abort(&file);
        return errno = error, -1;
    }
    return TSaveFile_Commit(&file);
}

TRecoveryCopy* RecoveryCopy_Parse(const uint8_t* data, size_t size) {
    if (!data) return FailCopy(nullptr, EC_NULL_OBJECT);
    TLayout layout = {};
    if (size < KRecoveryHeaderSize) return FailCopy(nullptr, EC_UNKNOWN_FORMAT);
    if (CheckHeader(data, &layout) != 0) return nullptr;
    if (uint64_t(size) != layout.FTotal) return FailCopy(nullptr, EC_UNKNOWN_FORMAT);
    const uint8_t* body = data + KRecoveryHeaderSize;
    if (GetU32LE(data + 56) != uint32_t(crc32_z(0, body, size - KRecoveryHeaderSize)))
        return FailCopy(nullptr, EC_UNKNOWN_FORMAT);

    TRecoveryCopy* copy = TRecoveryCopy_Create();
    if (!copy) return nullptr;
    std::memcpy(copy->FPalette, body, KPaletteBytes);
    const uint8_t* at = body + KPaletteBytes;
    copy->FFileName.assign(reinterpret_cast<const char*>(at), size_t(layout.FNameBytes));
    at += layout.FNameBytes;
    copy->FModified = (GetU32LE(data + 16) & KFlagModified) ? 1 : 0;
    copy->FIconIndex = GetI32LE(data + 28);
    copy->FBackground = ReadPicture(at, layout.FWidth, layout.FHeight, layout.FColourBytes);
    if (!copy->FBackground) return FailCopy(copy, EC_NO_MEMORY);
    at += layout.FColourBytes + layout.FMaskBytes;
    copy->FFloatMode = GetI32LE(data + 32);
    if (copy->FFloatMode != TRF_NONE) {
        copy->FFloatLeft = GetI32LE(data + 36);
        copy->FFloatTop = GetI32LE(data + 40);
        copy->FFloat = ReadPicture(at, layout.FFloatWidth, layout.FFloatHeight,
                                   layout.FFloatColourBytes);
        if (!copy->FFloat) return FailCopy(copy, EC_NO_MEMORY);
    }
    ClearLastErrorCode();
    return copy;
}

TRecoveryCopy* RecoveryCopy_Load(const char* path) {
    if (!path) return FailCopy(nullptr, EC_NULL_OBJECT);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return FailCopy(nullptr, EC_FILE_NOT_FOUND);
    uint8_t header[KRecoveryHeaderSize];
    TLayout layout = {};
    struct stat info = {};
    ClearLastErrorCode();
    if (fstat(fileno(file), &info) != 0) {
        std::fclose(file);
        return FailCopy(nullptr, EC_READ_FAILED);
    }
    // The header decides the size; a file of any other size is not a whole copy.
    if (std::fread(header, 1, sizeof header, file) != sizeof header ||
        CheckHeader(header, &layout) != 0 || uint64_t(info.st_size) != layout.FTotal) {
        std::fclose(file);
        if (GetLastErrorCode() != EC_NO_MEMORY) SetLastErrorCode(EC_UNKNOWN_FORMAT);
        return nullptr;
    }
    uint8_t* data = static_cast<uint8_t*>(std::malloc(size_t(layout.FTotal)));
    if (!data) {
        std::fclose(file);
        return FailCopy(nullptr, EC_NO_MEMORY);
    }
    std::memcpy(data, header, sizeof header);
    const size_t rest = size_t(layout.FTotal) - sizeof header;
    const bool read = std::fread(data + sizeof header, 1, rest, file) == rest;
    std::fclose(file);
    TRecoveryCopy* copy = read ? RecoveryCopy_Parse(data, size_t(layout.FTotal))
                               : FailCopy(nullptr, EC_READ_FAILED);
    std::free(data);
    return copy;
}
