// The error table and the last error. The table is the only place codes meet their texts.
#include "core/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/msgbox.h"

int GLastError = 0;

static const char* const KErrorTexts[EC_COUNT] = {
    "No Error",
    "Could not allocated memory",
    "Null Object error",
    "File not found",
    "Could not read file",
    "Unknown format error",
    "Could not written file",
    "Could not create GDI object",
    "NULL GDI DC error",
    "Ineffective area error",
    "Unknown error",
    "Workform overflow",
    "Could not create workform",
    "Could not create window",
    "Could not save file",
    "Could not create selection",
    "Active layer not found",
    "Not supported Bitmap compression format.",
    "Count not allocate memory for UNDO function",
    "BackGround not found",
    ("Icon image size is over the limit! Resize it within 255x255(width x height) pixel. "
     "or Crop it!"),
    "This icon has 257 colors! You have to reduce them to 256 color first",
};

int SetLastErrorCode(int code) {
    GLastError = code;
    return code;
}

int GetLastErrorCode() {
    return GLastError;
}

void ClearLastErrorCode() {
    GLastError = EC_NONE;
}

const char* GetErrorText(int code) {
    if (code < 0 || code >= EC_COUNT) return KErrorTexts[EC_UNKNOWN];
    return KErrorTexts[code];
}

const char* GetLastErrorText() {
    return GetErrorText(GLastError);
}

void ShowLastError() {
    if (GLastError == EC_NONE) return;
    MessageBoxShow(nullptr, GetLastErrorText(), "ERROR", MB_ICONSTOP | MB_OK);
    ClearLastErrorCode();
}

void ShowLastErrorIf(int result) {
    if (result != 0) ShowLastError();
}

void ShowPlatformError(void* owner) {
    int number = errno;
    char caption[48];
    std::snprintf(caption, sizeof caption, "Error Code: %d", number);
    std::string description = std::strerror(number);
    MessageBoxShow(owner, description.c_str(), caption, MB_ICONINFORMATION | MB_OK);
}
