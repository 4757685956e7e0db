// The document's host record and its defaults.
#include "document/host.h"

static uint32_t GSecondaryColor = 0xFFFFFF;

static uint32_t DefaultGetSecondaryColor() {
    return GSecondaryColor;
}
static void DefaultSetSecondaryColor(uint32_t color) {
    GSecondaryColor = color;
}
static void DefaultGetDrawAttr(TDrawAttr* attr) {
    *attr = TDrawAttr{0, 0, 0, 0xFFFFFF, 1};
}
static void DefaultSelectTool(int) {}
static void DefaultShowImageSize(int32_t, int32_t) {}
static void DefaultSetStatusText(const char*) {}
static void DefaultWait() {}
static int DefaultReadUseGrid() {
    return 0;
}
static int DefaultGetCurrentTool() {
    return 0;
}
static void DefaultStylus(TWorkForm*, int, int32_t, int32_t) {}

static const TDocumentHost KDefaults = {
    DefaultGetSecondaryColor, DefaultSetSecondaryColor, DefaultGetDrawAttr, DefaultSelectTool,
    DefaultShowImageSize,     DefaultSetStatusText,     DefaultWait,        DefaultWait,
    DefaultReadUseGrid,       DefaultGetCurrentTool,    DefaultStylus,
};

static TDocumentHost GHost = KDefaults;

template <typename F> static void Take(F& into, F from, F fallback) {
    into = from ? from : fallback;
}

void DocumentHost_Install(const TDocumentHost* host) {
    const TDocumentHost& h = host ? *host : KDefaults;
    Take(GHost.FGetSecondaryColor, h.FGetSecondaryColor, KDefaults.FGetSecondaryColor);
    Take(GHost.FSetSecondaryColor, h.FSetSecondaryColor, KDefaults.FSetSecondaryColor);
    Take(GHost.FGetDrawAttr, h.FGetDrawAttr, KDefaults.FGetDrawAttr);
    Take(GHost.FSelectTool, h.FSelectTool, KDefaults.FSelectTool);
    Take(GHost.FShowImageSize, h.FShowImageSize, KDefaults.FShowImageSize);
    Take(GHost.FSetStatusText, h.FSetStatusText, KDefaults.FSetStatusText);
    Take(GHost.FBeginWait, h.FBeginWait, KDefaults.FBeginWait);
    Take(GHost.FEndWait, h.FEndWait, KDefaults.FEndWait);
    Take(GHost.FReadUseGrid, h.FReadUseGrid, KDefaults.FReadUseGrid);
    Take(GHost.FGetCurrentTool, h.FGetCurrentTool, KDefaults.FGetCurrentTool);
    Take(GHost.FStylus, h.FStylus, KDefaults.FStylus);
    if (!host) GSecondaryColor = 0xFFFFFF;
}

uint32_t DocumentHost_GetSecondaryColor() {
    return GHost.FGetSecondaryColor();
}
void DocumentHost_SetSecondaryColor(uint32_t color) {
    GHost.FSetSecondaryColor(color);
}
void DocumentHost_GetDrawAttr(TDrawAttr* attr) {
    if (attr) GHost.FGetDrawAttr(attr);
}
void DocumentHost_SelectTool(int toolId) {
    GHost.FSelectTool(toolId);
}
void DocumentHost_ShowImageSize(int32_t width, int32_t height) {
    GHost.FShowImageSize(width, height);
}
void DocumentHost_SetStatusText(const char* text) {
    GHost.FSetStatusText(text ? text : "");
}
void DocumentHost_BeginWait() {
    GHost.FBeginWait();
}
void DocumentHost_EndWait() {
    GHost.FEndWait();
}
int DocumentHost_ReadUseGrid() {
    return GHost.FReadUseGrid();
}
int DocumentHost_GetCurrentTool() {
    return GHost.FGetCurrentTool();
}
void DocumentHost_Stylus(TWorkForm* form, int event, int32_t x, int32_t y) {
    GHost.FStylus(form, event, x, y);
}
