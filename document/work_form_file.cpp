// The work form's file operations: New, Open and the opening of a recovery copy put a fresh
// background in place of whatever document the form held; Save As writes the composite (BMP,
// JPEG) or the background with the document palette (ICO, PNG); Save and the save question
// through a replaceable name provider; the recovery copy's snapshot of the document. Also the
// icon-entry hook that Open asks when an icon file holds several images.
// Saving never changes the document: an icon's floating selection is merged into a copy.
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/copy_rect.h"
#include "core/error.h"
#include "core/ico.h"
#include "core/image.h"
#include "core/layer.h"
#include "core/recovery_copy.h"
#include "document/undo_history.h"
#include "document/work_form.h"

// ---- The icon-entry question ----

static int FirstIconImage(const char*) {
    return 0;
}

static TSelectIconImageProc GSelectIconImage = FirstIconImage;

void SelectIconImage_SetHandler(TSelectIconImageProc proc) {
    GSelectIconImage = proc ? proc : FirstIconImage;
}

int SelectIconImage(const char* path) {
    return GSelectIconImage(path);
}

// ---- The save-name question ----

static TSaveNameProc GSaveNameProvider = nullptr;

void TWorkForm_SetSaveNameProvider(TSaveNameProc proc) {
    GSaveNameProvider = proc;
}

// ---- New and Open ----

static TLayer* NewLayerRecord() {
    TLayer* layer = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!layer) SetLastErrorCode(EC_NO_MEMORY);
    return layer;
}

// Replaces the form's document by background: the selection is dropped (not committed: its
// pixels belong to the old picture), the history goes before the layers its steps borrow, and
// the name and the modified state start afresh.
static void InstallBackground(TWorkForm* form, TLayer* background) {
    if (form->FSelectMode != TSM_NONE) TWorkForm_SetSelectMode(form, TSM_NONE);
    TLayer_Release(form->FFloat);
    if (form->FFloat) form->FFloat->FBaseLayer = nullptr;
    form->FSelectArea = {0, 0, 0, 0};
    form->FFloatOrigin = {0, 0};
    TUndoHistory_Clear(form->FHistory);
    for (TLayer*& layer : form->FLayers)
        layer = TLayer_Destroy(layer);
    form->FLayers[1] = background;
    form->FLayerCount = 2;
    form->FFileName.clear();
    form->FFormModified = 0;
}

// What New and Open do once the background is in place: the view starts at the top-left, the
// render buffers follow the size, and the strip's first two entries are black and white.
static int FinishDocument(TWorkForm* form) {
    TLayer* background = form->FLayers[1];
    form->FScrollX = form->FScrollY = 0;
    if (TWorkForm_MakeRenderBuffers(form, background->FWidth, background->FHeight) != 0) return -1;
    PaletteEntrySetColor(&form->FColourStrip[0], 0x000000);
    PaletteEntrySetColor(&form->FColourStrip[1], 0xFFFFFF);
    if (TWorkForm_ImageSizeChanged(form) != 0) return -1;
    ClearLastErrorCode();
    return 0;
}

int TWorkForm_New(TWorkForm* form, int32_t width, int32_t height) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer* background = NewLayerRecord();
    if (!background) return -1;
    // A new image is black with a clear mask: wholly transparent.
    if (TLayer_CreateFor(background, TLayer_ReferenceDC(), width, height, 24, 1) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(background);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
    }
    background->FVisible = 1;
    InstallBackground(form, background);
    return FinishDocument(form);
}

// Loads name (icon entry iconIndex) into a new bound, visible layer at (0, 0). Null with the
// loader's error.
static TLayer* LoadBackground(const char* name, int32_t iconIndex) {
    TLayer* layer = NewLayerRecord();
    if (!layer) return nullptr;
    layer->FImage = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!layer->FImage) {
        TLayer_Destroy(layer);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    layer->FImage->FIconIndex = iconIndex;
    int result = TImage_LoadFile(layer->FImage, name);
    // An icon reader asked for an entry past the count answers the count with no error.
    if (result > 0 && GetLastErrorCode() == EC_NONE) SetLastErrorCode(EC_READ_FAILED);
    if (result != 0 || TLayer_Bind(layer, TLayer_ReferenceDC()) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(layer);
        return SetLastErrorCode(code ? code : EC_READ_FAILED), nullptr;
    }
    layer->FLeft = layer->FTop = 0;
    layer->FWidth = layer->FImage->FWidth;
    layer->FHeight = layer->FImage->FHeight;
    layer->FVisible = 1;
    return layer;
}

// The file is read into a layer of its own before the old document is touched, so a cancelled
// icon choice or a file that does not load leaves the form as it was.
int TWorkForm_Open(TWorkForm* form, const char* fileName) {
    if (!form || !fileName) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    int32_t iconIndex = 0;
    bool entryChosen = false;
    if (TImage_GetFileType(fileName) == TFT_ICO && ICO_GetImageCount(fileName) > 1) {
        iconIndex = SelectIconImage(fileName);
        if (iconIndex < 0) {
            ClearLastErrorCode();
            return 0;
        }
        entryChosen = true;
    }
    TLayer* background = LoadBackground(fileName, iconIndex);
    if (!background) return -1;
    InstallBackground(form, background);
    if (FinishDocument(form) != 0) return -1;
    // One entry of several is not the file: the first Save asks for a name.
    if (!entryChosen) form->FFileName = fileName;
    return 1;
}

// ---- Picture copies ----

// The pixels of a 24-bit image and its mask plane into to, of the same size and depth, whatever
// the row orders. Without a source mask every pixel of to becomes visible.
static void CopyPixels(TImage* to, const TImage* from) {
    size_t colourBytes = size_t(from->FWidth) * 3;
    size_t maskBytes = (size_t(from->FWidth) + 7) / 8;
    bool hasMask = from->FMask && from->FMask->FBits;
    for (int32_t y = 0; y < from->FHeight; ++y) {
        std::memcpy(TImage_GetRow(to, y), TImage_GetRow(from, y), colourBytes);
        if (hasMask)
            std::memcpy(TImage_GetRow(to->FMask, y), TImage_GetRow(from->FMask, y), maskBytes);
    }
    if (!hasMask) TImage_FillMask(to, 1); // an image without a mask is wholly visible
}

// A copy of a 24-bit image with its mask plane, byte for byte (transparent pixels keep the
// colour under them, which decides their palette index in an icon). Null with the last error.
static TImage* CopyImage(const TImage* image) {
    if (!image || !image->FBits || image->FBitsPerPixel != 24)
        return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TImage* copy = TImage_Create(image->FWidth, image->FHeight, 24, TIF_HASMASK | TIF_BOTTOMUP);
    if (!copy) return nullptr;
    CopyPixels(copy, image);
    return copy;
}

// ---- The recovery copy ----

TRecoveryCopy* TWorkForm_MakeRecoveryCopy(TWorkForm* form) {
    TLayer* background = TWorkForm_GetBackground(form);
    if (!background || !background->FImage) return SetLastErrorCode(EC_NO_BACKGROUND), nullptr;
    TRecoveryCopy* copy = TRecoveryCopy_Create();
    if (!copy) return nullptr;
    copy->FBackground = CopyImage(background->FImage);
    TLayer* floating = form->FFloat;
    if ((form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) && floating &&
        floating->FImage) {
        copy->FFloatMode = form->FSelectMode == TSM_CUT ? TRF_CUT : TRF_COPY;
        copy->FFloatLeft = floating->FLeft;
        copy->FFloatTop = floating->FTop;
        copy->FFloat = CopyImage(floating->FImage);
        if (!copy->FFloat) copy->FFloatMode = TRF_NONE;
    }
    if (!copy->FBackground || (copy->FFloatMode != TRF_NONE) != (copy->FFloat != nullptr)) {
        int code = GetLastErrorCode();
        TRecoveryCopy_Destroy(copy);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), nullptr;
    }
    std::memcpy(copy->FPalette, form->FPalette, sizeof copy->FPalette);
    copy->FFileName = form->FFileName;
    copy->FIconIndex = background->FImage->FIconIndex < 0 ? 0 : background->FImage->FIconIndex;
    copy->FModified = TWorkForm_IsModified(form);
    ClearLastErrorCode();
    return copy;
}

// A bound layer at (left, top) holding picture. Null with the last error.
static TLayer* LayerOf(const TImage* picture, int32_t left, int32_t top) {
    TLayer* layer = NewLayerRecord();
    if (!layer) return nullptr;
    if (TLayer_CreateFor(layer, TLayer_ReferenceDC(), picture->FWidth, picture->FHeight, 24, 1) !=
        0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(layer);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), nullptr;
    }
    CopyPixels(layer->FImage, picture);
    TLayer_SetPos(layer, left, top);
    layer->FVisible = 1;
    return layer;
}

int TWorkForm_OpenRecoveryCopy(TWorkForm* form, const TRecoveryCopy* copy) {
    if (!form || RecoveryCopy_Check(copy) != 0) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer* background = LayerOf(copy->FBackground, 0, 0);
    if (!background) return -1;
    background->FImage->FIconIndex = copy->FIconIndex;
    InstallBackground(form, background);
    if (FinishDocument(form) != 0) return -1;
    if (copy->FFloat) {
        TLayer* surface = LayerOf(copy->FFloat, copy->FFloatLeft, copy->FFloatTop);
        int result = surface ? TWorkForm_FloatSurface(form, surface) : -1;
        TLayer_Destroy(surface);
        if (result != 0) return -1;
        if (copy->FFloatMode == TRF_CUT) TWorkForm_SetSelectMode(form, TSM_CUT);
    }
    std::memcpy(form->FPalette, copy->FPalette, sizeof form->FPalette);
    form->FFileName = copy->FFileName;
    // Nothing of the copy is on the disk: modified, and no undo can make it unmodified.
    TUndoHistory_Clear(form->FHistory);
    TUndoHistory_MarkUnrecorded(form->FHistory);
    TWorkForm_Repaint(form);
    ClearLastErrorCode();
    return 0;
}

// ---- Save ----

// Icons and PNG files hold what the user sees with its transparency: the background with the
// floating selection merged in (as Select None would merge it), in the document palette, not
// the composite, whose transparent pixels show the secondary colour. The document is not
// touched.
static int SaveBackground(TWorkForm* form, const char* fileName) {
    TLayer* background = form->FLayerCount == 2 ? form->FLayers[1] : nullptr;
    if (!background || !background->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage* icon = CopyImage(background->FImage);
    if (!icon) return -1;
    TLayer* floating = form->FFloat;
    bool hasFloat = (form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) && floating &&
                    floating->FImage;
    if (hasFloat &&
        TImage_CopyRect(icon, floating->FLeft - background->FLeft,
                        floating->FTop - background->FTop, floating->FWidth, floating->FHeight,
                        floating->FImage, 0, 0, ROP_MERGE) != 0 &&
        GetLastErrorCode() != EC_EMPTY_AREA) { // a float wholly off the picture adds nothing
        TImage_Destroy(icon);
        return -1;
    }
    std::memcpy(icon->FPalette, form->FPalette, sizeof icon->FPalette);
    int result = TImage_SaveFile(icon, fileName);
    int code = GetLastErrorCode();
    TImage_Destroy(icon);
    SetLastErrorCode(result == 0 ? EC_NONE : code);
    return result;
}

int TWorkForm_SaveAs(TWorkForm* form, const char* fileName) {
    if (!form || !fileName) {
        SetLastErrorCode(EC_NULL_OBJECT);
        ShowLastError();
        return -1;
    }
    int result = -1;
    int type = TImage_GetFileType(fileName);
    if (!form->FComposite || !form->FComposite->FImage) {
        SetLastErrorCode(EC_NULL_OBJECT);
    } else if (TWorkForm_Compose(form, nullptr) != 0) {
        // the last error says why
    } else if (type == TFT_BMP || type == TFT_JPEG) {
        result = TImage_SaveFile(form->FComposite->FImage, fileName);
    } else if (type == TFT_ICO || type == TFT_PNG) {
        result = SaveBackground(form, fileName);
    } else {
        // A name without a known format must not pass for a saved file.
        SetLastErrorCode(EC_SAVE_FAILED);
    }
    if (result != 0) {
        if (GetLastErrorCode() == EC_NONE) SetLastErrorCode(EC_SAVE_FAILED);
        ShowLastError();
        return -1;
    }
    TUndoHistory_SetModified(form->FHistory, 0);
    form->FFormModified = 0;
    ClearLastErrorCode();
    return 0;
}

int TWorkForm_SaveDialog(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    std::string name;
    if (!GSaveNameProvider || !GSaveNameProvider(form, &name)) {
        ClearLastErrorCode();
        return -1;
    }
    if (TWorkForm_SaveAs(form, name.c_str()) != 0) return -1;
    form->FFileName = name;
    return 0;
}

int TWorkForm_Save(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (form->FFileName.empty()) return TWorkForm_SaveDialog(form);
    // A copy: the name must not change under the writer.
    std::string name = form->FFileName;
    return TWorkForm_SaveAs(form, name.c_str());
}
