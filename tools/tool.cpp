// The tool record's allocation and its guarded calls.
#include "tools/tool.h"

#include <cstdlib>

#include "core/error.h"
#include "document/work_form.h"

TTool* TTool_Alloc(int32_t id, size_t size) {
    if (size < sizeof(TTool)) size = sizeof(TTool);
    TTool* tool = static_cast<TTool*>(std::calloc(1, size));
    if (!tool) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    tool->FId = id;
    return tool;
}

TTool* TTool_Destroy(TTool* tool) {
    if (!tool) return nullptr;
    if (tool->FDestroy)
        tool->FDestroy(tool);
    else
        std::free(tool);
    return nullptr;
}

int TTool_Down(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnDown ? tool->FOnDown(tool, form, x, y) : 0;
}
int TTool_Move(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnMove ? tool->FOnMove(tool, form, x, y) : 0;
}
int TTool_Up(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnUp ? tool->FOnUp(tool, form, x, y) : 0;
}
int TTool_Stylus(TTool* tool, TWorkForm* form, int event, int32_t x, int32_t y) {
    switch (event) {
    case TWE_DOWN:
        return TTool_Down(tool, form, x, y);
    case TWE_MOVE:
        return TTool_Move(tool, form, x, y);
    case TWE_UP:
        return TTool_Up(tool, form, x, y);
    case TWE_CANCEL:
        if (!tool || !tool->FOnCancel) return 0;
        tool->FOnCancel(tool, form);
        return 1;
    default:
        return 0;
    }
}
void TTool_Activate(TTool* tool) {
    if (tool && tool->FOnActivate) tool->FOnActivate(tool);
}
void TTool_Deactivate(TTool* tool) {
    if (tool && tool->FOnDeactivate) tool->FOnDeactivate(tool);
}
