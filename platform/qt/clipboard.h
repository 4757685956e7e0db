// The clipboard as byte blocks under MIME types, over QClipboard and QMimeData. It only moves
// bytes: what the blocks mean (and checking them, since any program can put bytes under any
// type) is the business of the callers. The in-process clipboard of the platform in use;
// user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

typedef std::pair<std::string, std::vector<uint8_t>> TClipboardItem; // MIME type, bytes

// Empties the clipboard and puts every item on it at once. 0; -1 when there is no application
// or clipboard.
int Clipboard_SetItems(const std::vector<TClipboardItem>& items);
// 1 when the clipboard offers mimeType, else 0.
int Clipboard_HasFormat(const char* mimeType);
// The bytes under mimeType into *out. 0; -1 when the type is not offered (*out emptied).
int Clipboard_GetItem(const char* mimeType, std::vector<uint8_t>* out);
// Empties the clipboard when it holds mimeType (data this program put there); else nothing.
void Clipboard_ClearOwn(const char* mimeType);
