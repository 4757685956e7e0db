// The work form's editing commands: the clipboard (Copy, Cut, Paste), Clear, Crop, the
// transforms (Rotate, Flip, Image Size), the colour adjustments (Brightness/Contrast, Invert,
// Grayscale, Change Color), Undo and Redo. Each records its step before or as it changes the
// active layer and repaints; the redo and undo procedures of the area steps it makes live here
// too. Clipboard bytes are built and checked by core/ (clipboard_block.h, clipboard_image.h);
// the selection itself belongs to work_form.cpp and the view to work_form_view.cpp.
#include "document/work_form.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/adjust.h"
#include "core/clipboard_block.h"
#include "core/clipboard_image.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "core/transform.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "platform/qt/clipboard.h"

const char* const KClipboardMimeType = "application/x-mosaiko-tlayer";

static const char* const KPngMimeType = "image/png";
static const char* const KBmpMimeType = "image/bmp";

// Tool ids of the tool bar that Paste cares about.
enum { KSelectionToolId = 10, KTextToolId = 15 };

// Shows the last error of a command that gives up; -1 for the command to return.
static int Fail() {
    ShowLastError();
    return -1;
}

static TRectXYWH WholeLayer(const TLayer* layer) {
    return {0, 0, layer->FWidth, layer->FHeight};
}

// rect (layer pixels) of layer in document pixels.
static TRectXYWH ToDocRect(const TLayer* layer, const TRectXYWH& rect) {
    return {rect.x + layer->FLeft, rect.y + layer->FTop, rect.width, rect.height};
}

static bool HasFloat(const TWorkForm* form) {
    return (form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) && form->FFloat &&
           form->FFloat->FImage;
}

// A transform rebinds the layer, which drops its clip; an area selection keeps clipping.
static void Reclip(TWorkForm* form) {
    if (form->FSelectMode == TSM_AREA) TWorkForm_ClipLayers(form, &form->FSelectArea);
}

static TUndoAreaStep* AreaOf(TUndoStep* step) {
    return reinterpret_cast<TUndoAreaStep*>(step);
}

// ---- Clear and Cut ----

// Redo of Clear and Cut: the saved rectangle becomes transparent black again.
static void ClearAgain(TUndoStep* step) {
    if (!step->FTarget || !step->FTarget->FImage) return;
    TLayer_Erase(step->FTarget, &step->FRect);
    TRectXYWH changed = ToDocRect(step->FTarget, step->FRect);
    TWorkForm_RepaintRect(step->FForm, &changed);
}

// Records an area step of rect (layer pixels) whose redo clears it again, then clears it.
static void ClearRect(TWorkForm* form, TLayer* layer, const TRectXYWH& rect) {
    TWorkForm_AddUndo(form, TUndoStep_CreateAreaStep(ClearAgain, &rect, layer, form));
    TLayer_Erase(layer, &rect);
    TRectXYWH changed = ToDocRect(layer, rect);
    TWorkForm_RepaintRect(form, &changed);
}

// The selected area in the layer's own pixels, cut to the layer; false when nothing of it lies
// on the layer (a moved frame can hang over the edge).
static bool SelectedRect(const TWorkForm* form, const TLayer* layer, TRectXYWH* out) {
    TRectXYWH area = {form->FSelectArea.x - layer->FLeft, form->FSelectArea.y - layer->FTop,
                      form->FSelectArea.width, form->FSelectArea.height};
    TRectXYWH bounds = WholeLayer(layer);
    if (RectIntersectXYWH(&area, &bounds) != 0) return false;
    *out = area;
    return true;
}

void TWorkForm_Clear(TWorkForm* form) {
    if (!form) return;
    TRectXYWH rect;
    TLayer* layer = nullptr;
    if (form->FSelectMode == TSM_AREA) {
        layer = TWorkForm_GetActiveLayer(form);
        if (!layer || !SelectedRect(form, layer, &rect)) return;
    } else if (HasFloat(form)) {
        layer = form->FFloat;
        rect = WholeLayer(layer);
    } else {
        layer = TWorkForm_GetBackground(form);
        if (!layer || !layer->FImage) return;
        rect = WholeLayer(layer);
    }
    ClearRect(form, layer, rect);
}

// The three pictures of image for the clipboard. 0, or -1 with the last error.
static int MakeClipboardItems(const TImage* image, std::vector<TClipboardItem>* items) {
    TClipBlock blocks[3] = {};
    int result = 0;
    if (ClipBlock_MakePrivate(image, &blocks[0]) != 0 ||
        ClipImage_EncodePng(image, &blocks[1]) != 0 ||
        ClipImage_EncodeBmp(image, &blocks[2]) != 0) {
        result = -1;
    } else {
        const char* types[3] = {KClipboardMimeType, KPngMimeType, KBmpMimeType};
        try { // the clipboard takes its bytes in vectors: a picture's worth of memory again
            for (int i = 0; i < 3; ++i)
                items->emplace_back(
                    types[i],
                    std::vector<uint8_t>(blocks[i].FData, blocks[i].FData + blocks[i].FSize));
        } catch (const std::bad_alloc&) {
            items->clear();
            SetLastErrorCode(EC_NO_MEMORY);
            result = -1;
        }
    }
    for (TClipBlock& block : blocks)
        TClipBlock_Free(&block);
    return result;
}

int TWorkForm_Copy(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (form->FSelectMode != TSM_AREA) return 0;
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    TRectXYWH area = form->FSelectArea;
    TLayer* surface = TLayer_CreateCopy(layer, area.x - layer->FLeft, area.y - layer->FTop,
                                        area.width, area.height);
    if (!surface) return Fail();
    std::vector<TClipboardItem> items;
    int made = MakeClipboardItems(surface->FImage, &items);
    TLayer_Destroy(surface);
    if (made != 0) return Fail();
    if (Clipboard_SetItems(items) != 0) {
        SetLastErrorCode(EC_UNKNOWN);
        return Fail();
    }
    ClearLastErrorCode();
    return 0;
}

int TWorkForm_Cut(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (form->FSelectMode != TSM_AREA) return 0;
    // Pixels whose copy failed are not taken away.
    if (TWorkForm_Copy(form) != 0) return -1;
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    TRectXYWH rect;
    if (!layer || !SelectedRect(form, layer, &rect)) return 0;
    ClearRect(form, layer, rect);
    return 0;
}

// ---- Paste ----

// The picture on the clipboard as a new image, ours first, then another program's PNG or BMP.
// Null with the last error clear when nothing usable is offered; null with it set when the
// offered bytes do not decode.
static TImage* TakeClipboardImage() {
    typedef TImage* (*TDecodeProc)(const uint8_t* data, size_t size);
    struct TSource {
        const char* FType;
        TDecodeProc FDecode;
    };
    static const TSource KSources[] = {{KClipboardMimeType, ClipBlock_ParsePrivate},
                                       {KPngMimeType, ClipImage_DecodePng},
                                       {KBmpMimeType, ClipImage_DecodeBmp}};
    ClearLastErrorCode();
    std::vector<uint8_t> bytes;
    for (const TSource& source : KSources) {
        try {
            if (Clipboard_GetItem(source.FType, &bytes) != 0) continue;
        } catch (const std::bad_alloc&) {
            SetLastErrorCode(EC_NO_MEMORY);
            return nullptr;
        }
        TImage* image = source.FDecode(bytes.data(), bytes.size());
        if (!image && GetLastErrorCode() == EC_NONE) SetLastErrorCode(EC_UNKNOWN_FORMAT);
        return image;
    }
    return nullptr;
}

// A bound surface that takes over image. Null with the last error (image freed).
static TLayer* SurfaceOf(TImage* image) {
    TLayer* surface = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!surface) {
        TImage_Destroy(image);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    surface->FImage = image;
    surface->FWidth = image->FWidth;
    surface->FHeight = image->FHeight;
    if (TLayer_Bind(surface, TLayer_ReferenceDC()) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(surface);
        SetLastErrorCode(code);
        return nullptr;
    }
    return surface;
}

int TWorkForm_Paste(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_CommitSelection(form);
    TImage* image = TakeClipboardImage();
    if (!image) return GetLastErrorCode() == EC_NONE ? 0 : Fail();
    TLayer* surface = SurfaceOf(image);
    if (!surface) return Fail();
    TLayer_SetPos(surface, form->FVisibleRect.x, form->FVisibleRect.y);
    surface->FBaseLayer = TWorkForm_GetActiveLayer(form);
    int tool = DocumentHost_GetCurrentTool();
    if (tool != KSelectionToolId && tool != KTextToolId) DocumentHost_SelectTool(KSelectionToolId);
    int result = TWorkForm_FloatSurface(form, surface);
    TLayer_Destroy(surface);
    return result != 0 ? Fail() : 0;
}

int TWorkForm_CanPaste() {
    return Clipboard_HasFormat(KClipboardMimeType) || Clipboard_HasFormat(KPngMimeType) ||
                   Clipboard_HasFormat(KBmpMimeType)
               ? 1
               : 0;
}

// ---- Crop ----

TWorkForm* TWorkForm_Crop(TWorkForm* form, QWidget* parent) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    if (form->FSelectMode != TSM_AREA) return SetLastErrorCode(EC_EMPTY_AREA), nullptr;
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return nullptr;
    TRectXYWH area = form->FSelectArea;
    TWorkForm* cropped = TWorkForm_Create(parent);
    if (!cropped) return nullptr;
    TLayer* background = nullptr;
    if (TWorkForm_New(cropped, area.width, area.height) != 0 ||
        !(background = TWorkForm_GetBackground(cropped)) ||
        TLayer_Blt(background, 0, 0, area.width, area.height, layer, area.x - layer->FLeft,
                   area.y - layer->FTop, GDI_SRCCOPY) != 0) {
        int code = GetLastErrorCode();
        TWorkForm_Destroy(cropped);
        SetLastErrorCode(code ? code : EC_WORKFORM_CREATE);
        return nullptr;
    }
    cropped->FFormModified = 1;
    std::memcpy(cropped->FPalette, form->FPalette, sizeof cropped->FPalette);
    TWorkForm_Repaint(cropped);
    ClearLastErrorCode();
    return cropped;
}

// ---- Rotate and Flip ----

int TWorkForm_Rotate(TWorkForm* form, int angle) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    int turn = angle % 360;
    if (turn != 90 && turn != -90 && turn != 180 && turn != -180) return 0; // no turn: no step
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    int result;
    {
        TWaitCursor wait;
        result = TLayer_Rotate(layer, angle);
    }
    if (result != 0) return Fail();
    Reclip(form);
    TWorkForm_AddUndo(form, TUndoStep_CreateRotateStep(angle, layer, form));
    TWorkForm_ImageSizeChanged(form);
    return 0;
}

int TWorkForm_Flip(TWorkForm* form, int direction) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    int result;
    {
        TWaitCursor wait;
        result = TImage_Flip(layer->FImage, direction);
    }
    if (result != 0) return Fail();
    TWorkForm_AddUndo(form, TUndoStep_CreateFlipStep(direction, layer, form));
    TWorkForm_Repaint(form);
    return 0;
}

// ---- Image Size ----
// The step saves the whole layer at the old size (FRect); FRect2 holds the new size, point 0
// the resampling choice (x) and point 1 the layer's old position.

static void ResizeUndo(TUndoStep* step) {
    TUndoAreaStep* area = AreaOf(step);
    TLayer* layer = step->FTarget;
    if (!layer || !area->FSaved) return;
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    int32_t w = step->FRect.width, h = step->FRect.height;
    // Resizing first makes the old-sized picture before the current one goes, so a failure
    // leaves the layer whole; the saved pixels then cover every pixel of it.
    if (TLayer_Resize(layer, w, h, 0) != 0 ||
        TLayer_Blt(layer, 0, 0, w, h, area->FSaved, 0, 0, GDI_SRCCOPY) != 0) {
        ShowLastError();
        return;
    }
    if (count >= 2) TLayer_SetPos(layer, points[1].x, points[1].y);
    Reclip(step->FForm);
    TWorkForm_ImageSizeChanged(step->FForm);
    DocumentHost_ShowImageSize(w, h);
}

static void ResizeRedo(TUndoStep* step) {
    TUndoAreaStep* area = AreaOf(step);
    TLayer* layer = step->FTarget;
    if (!layer) return;
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    int smooth = count >= 1 ? points[0].x : 0;
    int result;
    {
        TWaitCursor wait;
        result = TLayer_Resize(layer, area->FRect2.width, area->FRect2.height, smooth);
    }
    if (result != 0) {
        ShowLastError();
        return;
    }
    Reclip(step->FForm);
    TWorkForm_ImageSizeChanged(step->FForm);
    DocumentHost_ShowImageSize(layer->FWidth, layer->FHeight);
}

int TWorkForm_ResizeImage(TWorkForm* form, int32_t width, int32_t height, int smooth) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_CommitFloat(form);
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    if (layer->FWidth == width && layer->FHeight == height) return 0;
    // Without its step the old picture could not come back: refuse rather than resize.
    TRectXYWH whole = WholeLayer(layer);
    TUndoStep* step = TUndoStep_CreateAreaStep(ResizeRedo, &whole, layer, form);
    if (!step) return -1; // the constructor showed why
    TPoint points[2] = {{smooth, 0}, {layer->FLeft, layer->FTop}};
    int result;
    {
        TWaitCursor wait;
        result = TLayer_Resize(layer, width, height, smooth);
    }
    if (result != 0) {
        TUndoStep_Destroy(step);
        return Fail();
    }
    Reclip(form);
    step->FUseUndoProc = 1;
    TUndoStep_SetUndoProc(step, ResizeUndo);
    AreaOf(step)->FRect2.width = width;
    AreaOf(step)->FRect2.height = height;
    TUndoStep_SetPoints(step, points, 2);
    if (form->FFitMode) TWorkForm_FitToScreen(form);
    TWorkForm_ImageSizeChanged(form);
    TWorkForm_AddUndo(form, step);
    return 0;
}

// ---- Colour adjustments ----

static int ApplyContrastBrightness(TLayer* layer, int contrast, int brightness) {
    TWaitCursor wait;
    if (contrast != 0 && TImage_Contrast(layer->FImage, contrast) != 0) return -1;
    if (brightness != 0) TImage_Brightness(layer->FImage, brightness);
    return 0;
}

static void ContrastBrightnessRedo(TUndoStep* step) {
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    if (!step->FTarget || count < 1) return;
    if (ApplyContrastBrightness(step->FTarget, points[0].x, points[0].y) != 0) ShowLastError();
    TWorkForm_Repaint(step->FForm);
}

int TWorkForm_AdjustBrightnessContrast(TWorkForm* form, int contrast, int brightness) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (contrast == 0 && brightness == 0) return 0;
    TWorkForm_CommitFloat(form);
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    TRectXYWH whole = WholeLayer(layer);
    TUndoStep* step = TUndoStep_CreateAreaStep(ContrastBrightnessRedo, &whole, layer, form);
    if (step) {
        TPoint values = {contrast, brightness};
        TUndoStep_SetPoints(step, &values, 1);
    }
    TWorkForm_AddUndo(form, step);
    int result = ApplyContrastBrightness(layer, contrast, brightness);
    TWorkForm_Repaint(form);
    return result != 0 ? Fail() : 0;
}

typedef int (*TAdjustProc)(TImage* image);

static int ApplyAdjustment(TLayer* layer, TAdjustProc adjust) {
    TWaitCursor wait;
    return adjust(layer->FImage);
}

static void InvertRedo(TUndoStep* step) {
    if (!step->FTarget) return;
    if (ApplyAdjustment(step->FTarget, TImage_Invert) != 0) ShowLastError();
    TWorkForm_Repaint(step->FForm);
}

static void GrayscaleRedo(TUndoStep* step) {
    if (!step->FTarget) return;
    if (ApplyAdjustment(step->FTarget, TImage_Grayscale) != 0) ShowLastError();
    TWorkForm_Repaint(step->FForm);
}

// Invert and Grayscale: a whole-layer step whose redo applies the adjustment again.
static int AdjustWholeLayer(TWorkForm* form, TAdjustProc adjust, TUndoStepProc redo) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_CommitFloat(form);
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return Fail();
    TRectXYWH whole = WholeLayer(layer);
    TWorkForm_AddUndo(form, TUndoStep_CreateAreaStep(redo, &whole, layer, form));
    int result = ApplyAdjustment(layer, adjust);
    TWorkForm_Repaint(form);
    return result != 0 ? Fail() : 0;
}

int TWorkForm_Invert(TWorkForm* form) {
    return AdjustWholeLayer(form, TImage_Invert, InvertRedo);
}

int TWorkForm_Grayscale(TWorkForm* form) {
    return AdjustWholeLayer(form, TImage_Grayscale, GrayscaleRedo);
}

// ---- Change Color ----

void TWorkForm_ArmChangeColour(TWorkForm* form) {
    if (!form) return;
    form->FPrevTapMode = form->FTapMode;
    form->FTapMode = 1;
}

// Replaces the visible colour under render-window point (x, y) of the active layer by the
// current drawing colour. Nothing outside the layer or on a transparent pixel.
static void ReplaceColourUnder(TWorkForm* form, int32_t x, int32_t y) {
    TWorkForm_CommitFloat(form);
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return;
    TPoint p = TWorkForm_ClientToImage(form, TPoint{x, y});
    TLayer_ToLocalPoint(layer, &p);
    if (!TImage_InBounds(layer->FImage, p.x, p.y)) return;
    uint32_t colour = 0;
    if (!TImage_GetPixelMasked(layer->FImage, p.x, p.y, &colour)) return;
    TDrawAttr attr = {};
    DocumentHost_GetDrawAttr(&attr);
    attr.FPenWidth = 1;
    TWorkForm_AddUndo(form, TUndoStep_CreateReplaceColourStep(layer, &attr, colour, form));
    TLayer_SetDrawAttr(layer, &attr);
    TImage_ReplaceColor(layer->FImage, colour);
    TWorkForm_Repaint(form);
}

void TWorkForm_ReplaceColourAt(TWorkForm* form, int32_t x, int32_t y) {
    if (!form) return;
    ReplaceColourUnder(form, x, y);
    int32_t tapMode = form->FTapMode;
    form->FTapMode = form->FPrevTapMode;
    form->FPrevTapMode = tapMode;
}

// ---- Undo and Redo ----

void TWorkForm_Undo(TWorkForm* form) {
    if (!form) return;
    TUndoHistory_Undo(form->FHistory);
}

void TWorkForm_Redo(TWorkForm* form) {
    if (!form) return;
    TRenderCounts before, after;
    TWorkForm_GetRenderCounts(&before);
    TRectXYWH changed = TUndoHistory_Redo(form->FHistory);
    TWorkForm_GetRenderCounts(&after);
    // A redo procedure that repainted (the adjustments, Image Size) has shown its change:
    // composing the whole picture again would double the wait.
    if (after.FComposes != before.FComposes) return;
    if (changed.width > 0 && changed.height > 0) TWorkForm_RepaintRect(form, &changed);
}
