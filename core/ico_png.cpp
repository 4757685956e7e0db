// PNG icon entries: the IHDR described as the icon reader's information header, and the entry
// decoded from memory alone.
#include "core/ico_png.h"

#include "core/bmp_header.h"
#include "core/error.h"
#include "core/image.h"
#include "core/png_decode.h"

bool IcoPng_HasSignature(const uint8_t* bytes, size_t size) {
    return Png_HasSignature(bytes, size);
}

int IcoPng_ReadInfo(const uint8_t* data, size_t size, TBitmapInfoHeader* out) {
    TPngHeader h;
    if (int code = Png_ParseHeader(data, size, &h)) return SetLastErrorCode(code), -1;
    const int bits = h.FChannels * h.FDepth;
    const uint64_t bytes = TImage_StrideFor(h.FWidth, bits) * h.FHeight;
    *out = TBitmapInfoHeader{};
    out->biSize = BMP_INFO_HEADER_SIZE;
    out->biWidth = int32_t(h.FWidth);
    out->biHeight = int32_t(h.FHeight);
    out->biPlanes = 1;
    out->biBitCount = uint16_t(bits);
    out->biCompression = BI_RGB;
    out->biSizeImage = bytes < 0xFFFFFFFFu ? uint32_t(bytes) : 0xFFFFFFFFu;
    return 0;
}

int IcoPng_Decode(const uint8_t* data, size_t size, TImage* image) {
    if (!data || !image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    const TPngInput input = {data, size, nullptr};
    return Png_Decode(&input, nullptr, image);
}
