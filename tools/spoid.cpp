// The spoid: samples the drawing surface's masked pixel at the press and at every move to a new
// surface point, and hands a visible pixel's colour to the tool bar as the primary colour (no
// undo step). Moves show "Spoid: RGB(r,g,b) Web:#RRGGBB" or "Spoid: Unmasked area". Uses the
// work form for coordinates and the surface, the tool bar for the colour; touches no pixels.
#include "tools/spoid.h"

#include <cstdio>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/work_form.h"
#include "tools/tool_bar.h"

static TSpoidTool* AsSpoid(TTool* tool) {
    return reinterpret_cast<TSpoidTool*>(tool);
}

// Takes the colour at surface point p when it is visible; answers its mask value (0 off the
// surface) and the colour read.
static uint32_t Sample(const TLayer* surface, TPoint p, uint32_t* colour) {
    *colour = 0;
    uint32_t mask = TImage_GetPixelMaskedSafe(surface->FImage, p.x, p.y, colour);
    if (mask != 0) TToolBar_SetPrimaryColor(*colour);
    return mask;
}

static void ShowSample(uint32_t colour, uint32_t mask) {
    if (mask == 0) {
        DocumentHost_SetStatusText("Spoid: Unmasked area");
        return;
    }
    const unsigned red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    char text[64];
    std::snprintf(text, sizeof text, "Spoid: RGB(%u,%u,%u) Web:#%06X", red, green, blue,
                  red * 65536 + green * 256 + blue);
    DocumentHost_SetStatusText(text);
}

static int SpoidDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TSpoidTool* tool = AsSpoid(base);
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface) return SetLastErrorCode(EC_NULL_OBJECT), 0;
    tool->FPick = TTool_ToSurface(form, surface, x, y);
    tool->FPicking = 1;
    uint32_t colour;
    Sample(surface, tool->FPick, &colour);
    return 1;
}

static int SpoidMove(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TSpoidTool* tool = AsSpoid(base);
    if (!tool->FPicking) return 0;
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface) return SetLastErrorCode(EC_NULL_OBJECT), 0;
    TPoint p = TTool_ToSurface(form, surface, x, y);
    if (p.x == tool->FPick.x && p.y == tool->FPick.y) return 1;
    // The point moves with the samples, so coming back to the pressed pixel takes its colour
    // again rather than keeping the last one passed over.
    tool->FPick = p;
    uint32_t colour;
    uint32_t mask = Sample(surface, p, &colour);
    ShowSample(colour, mask);
    return 1;
}

static int SpoidUp(TTool* base, TWorkForm*, int32_t, int32_t) {
    TSpoidTool* tool = AsSpoid(base);
    if (!tool->FPicking) return 0;
    tool->FPicking = 0;
    return 1;
}

// An abandoned drag keeps the colours taken so far; only the moves after it stop sampling.
static void SpoidCancel(TTool* base, TWorkForm*) {
    AsSpoid(base)->FPicking = 0;
}

TTool* TSpoid_Create() {
    TTool* base = TTool_Alloc(TTI_SPOID, sizeof(TSpoidTool));
    if (!base) return nullptr;
    base->FOnDown = SpoidDown;
    base->FOnMove = SpoidMove;
    base->FOnUp = SpoidUp;
    base->FOnCancel = SpoidCancel;
    return base;
}
