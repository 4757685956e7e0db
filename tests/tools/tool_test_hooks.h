// What the tool tests install in the document host: a recorder of the status texts and a
// stylus router to the tool under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tool.h"

inline std::vector<std::string> GStatus;
inline TTool* GRouted = nullptr;

inline void RecordStatus(const char* text) {
    GStatus.push_back(text);
}

inline void RouteStylus(TWorkForm* form, int event, int32_t x, int32_t y) {
    TTool_Stylus(GRouted, form, event, x, y);
}
