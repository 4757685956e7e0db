// Stored settings: the program's per-user keys over QSettings in INI format in the user's
// configuration folder (organisation Velmar, application Mosaiko). A key path such as
// "Software\Velmar\Mosaiko\StartOption" names the group "StartOption". Reads fall back to their
// defaults whenever a value is missing or unusable; failed writes are not reported.
#pragma once

#include <cstdint>
#include <string>

struct TSettingsKey; // an open key; opaque

// Opens (creating when missing) the key of path; null only when no memory is left.
TSettingsKey* RegOpenSettingsKey(const char* path);
void RegCloseSettingsKey(TSettingsKey* key); // writes what is pending; null does nothing
// The stored 32-bit number, or def when missing, not a number or out of the 32-bit range.
int32_t RegReadInt(TSettingsKey* key, const char* name, int32_t def);
void RegWriteInt(TSettingsKey* key, const char* name, int32_t value);
// The most characters a stored string setting may have; a longer one counts as missing.
enum { KRegStringMaxChars = 129 };
// The stored text, or def when missing or longer than maxChars Unicode characters. Settings
// that hold paths or names the program writes itself pass SIZE_MAX: never cut, never refused.
std::string RegReadString(TSettingsKey* key, const char* name, size_t maxChars, const char* def);
void RegWriteString(TSettingsKey* key, const char* name, const std::string& text);

// The folder the settings file lives in (the single instance's name is derived from it).
std::string Settings_Folder();
