// Image files by name: the file type from the name's extension, and the load, save and
// preview dispatch to the BMP, JPEG, icon and PNG readers and writers.
#include <cctype>
#include <cstring>
#include <string>

#include "core/bmp.h"
#include "core/error.h"
#include "core/ico.h"
#include "core/image.h"
#include "core/jpeg.h"
#include "core/png.h"

// The extension runs from the first point of the last path component: "~/v1.2/icon.ico" is an
// icon, "a.b.bmp" has the extension ".b.bmp". Empty when there is none or it is 16 or longer.
static std::string Extension(const char* name) {
    if (!name) return "";
    const char* base = std::strrchr(name, '/');
    base = base ? base + 1 : name;
    const char* dot = std::strchr(base, '.');
    if (!dot || std::strlen(dot) >= 16) return "";
    std::string ext = dot;
    for (char& c : ext)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

int TImage_GetFileType(const char* name) {
    std::string ext = Extension(name);
    if (ext == ".BMP") return TFT_BMP;
    if (ext == ".JPG" || ext == ".JPEG") return TFT_JPEG;
    if (ext == ".ICO") return TFT_ICO;
    if (ext == ".PNG") return TFT_PNG;
    return TFT_UNKNOWN;
}

int TImage_LoadFile(TImage* image, const char* name) {
    if (!image || !name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    int32_t iconIndex = image->FIconIndex;
    TImage_Clear(image);
    image->FIconIndex = iconIndex;
    switch (TImage_GetFileType(name)) {
    case TFT_BMP:
        return BMP_Load(image, name);
    case TFT_JPEG:
        return JPEG_Load(image, name);
    case TFT_ICO:
        return ICO_Load(image, name);
    case TFT_PNG:
        return PNG_Load(image, name);
    default:
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    }
}

int TImage_SaveFile(TImage* image, const char* name) {
    if (!image || !name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    switch (TImage_GetFileType(name)) {
    case TFT_BMP:
        return BMP_Save(image, name);
    case TFT_JPEG:
        return JPEG_Save(image, name);
    case TFT_ICO:
        return ICO_Save(image, name);
    case TFT_PNG:
        return PNG_Save(image, name);
    default:
        return SetLastErrorCode(EC_SAVE_FAILED), -1;
    }
}

int TImage_LoadPreview(TImage* image, const char* name, const TRectXYWH* box) {
    if (!image || !name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage_Clear(image);
    // The reader by the same type as loading takes, so every file that opens has a thumbnail.
    int result = -1;
    switch (TImage_GetFileType(name)) {
    case TFT_BMP:
        result = BMP_LoadPreview(image, name, box);
        break;
    case TFT_JPEG:
        result = JPEG_LoadPreview(image, name, box);
        break;
    case TFT_ICO: // the first image, whole (clearing reset the icon index)
        result = ICO_Load(image, name) == 0 ? 0 : -1;
        break;
    case TFT_PNG:
        result = PNG_LoadPreview(image, name, box);
        break;
    default:
        SetLastErrorCode(EC_UNKNOWN_FORMAT);
    }
    if (result != 0) {
        int code = GetLastErrorCode();
        TImage_Clear(image);
        SetLastErrorCode(code ? code : EC_UNKNOWN_FORMAT);
    }
    return result;
}
