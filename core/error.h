// The program-wide last error: the 22 codes with their fixed texts, set by failing operations,
// cleared by succeeding ones, and shown to the user once per command.
// Uses the message-box hook of platform/ to show its boxes; knows nothing of windows.
#pragma once

enum ErrorCode {
    EC_NONE = 0,
    EC_NO_MEMORY = 1,
    EC_NULL_OBJECT = 2,
    EC_FILE_NOT_FOUND = 3,
    EC_READ_FAILED = 4,
    EC_UNKNOWN_FORMAT = 5,
    EC_WRITE_FAILED = 6,
    EC_GDI_OBJECT = 7,
    EC_NULL_DC = 8,
    EC_EMPTY_AREA = 9,
    EC_UNKNOWN = 10,
    EC_WORKFORM_OVERFLOW = 11,
    EC_WORKFORM_CREATE = 12,
    EC_WINDOW_CREATE = 13,
    EC_SAVE_FAILED = 14,
    EC_SELECTION_CREATE = 15,
    EC_NO_ACTIVE_LAYER = 16,
    EC_BMP_COMPRESSION = 17,
    EC_UNDO_MEMORY = 18,
    EC_NO_BACKGROUND = 19,
    EC_ICON_TOO_LARGE = 20,
    EC_ICON_TOO_MANY_COLOURS = 21,
    EC_COUNT = 22 // number of codes; not a code
};

// The one last error of the program (user-interface thread only).
extern int GLastError;

// Stores code and returns it.
int SetLastErrorCode(int code);
int GetLastErrorCode();
void ClearLastErrorCode();
// The message text of the stored code ("Unknown error" for a value outside the table).
const char* GetLastErrorText();
// The message text of any code, same fallback.
const char* GetErrorText(int code);

// Shows the stored error in a stop box captioned "ERROR" and clears it; nothing when it is 0.
void ShowLastError();
// ShowLastError when result is non-zero.
void ShowLastErrorIf(int result);
// Shows the platform's own last error (errno) with its description, captioned "Error Code: %d".
void ShowPlatformError(void* owner);
