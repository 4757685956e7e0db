// TWorkForm: one open document and its view. The record holds the document (layers, the
// selection, palettes, file name, undo history), the view (windows, zoom, grid, scrolling) and
// the render buffers. Its operations live in files by concern: work_form.cpp (life, queries,
// selection), work_form_file.cpp (New, Open, Save, the recovery copy), work_form_edit.cpp (clipboard, Clear, Crop,
// transforms, adjustments, Change Color, Undo and Redo), work_form_view.cpp (coordinates,
// zoom, scrolling, layout, stylus routing), render.cpp (render buffers, repaint, compose,
// render, preview, grid, selection outline).
// Reaches the tool bar and the shell only through the host record (host.h).
#pragma once

#include <cstdint>
#include <string>

#include "core/palette_entry.h"
#include "core/rect.h"
#include "platform/gdi.h"

class QWidget;
class QScrollBar;
struct TLayer;
struct TRecoveryCopy;
struct TUndoHistory;
struct TUndoStep;
struct TRenderWindow;

// Selection modes (FSelectMode).
enum { TSM_NONE = 0, TSM_AREA = 1, TSM_COPY = 2, TSM_CUT = 4 };

// Operations of TWorkForm_Select.
enum { TWS_AREA = 1, TWS_COPY_FLOAT = 2, TWS_CUT_FLOAT = 4 };

// Flags of TWorkForm_Render.
enum { TWR_LEVEL2 = 1 };

// Stylus events as the host's router receives them.
// TWE_CANCEL: the stylus drag in progress is abandoned (Esc, or the mouse grab lost).
enum { TWE_DOWN = 0, TWE_MOVE = 1, TWE_UP = 2, TWE_CANCEL = 3 };

enum {
    KWorkFormLayerSlots = 15,
    KColourStripSize = 17,
    KSelectionTimerId = 1001,
    KSelectionTimerMs = 100,
    KHScrollId = 100,
    KVScrollId = 101,
    KCornerId = 102
};

// The private clipboard MIME type; image/png and image/bmp go beside it for other programs.
extern const char* const KClipboardMimeType;

// A drawing context for rendering and the render-window client point its pixel (0, 0) shows.
// The render window's own context covers only its visible part, so its origin moves with the
// scroll; any other context (an off-screen image in a benchmark) has origin (0, 0).
struct TRenderTarget {
    TGdiDC* FDC;
    int32_t FOriginX, FOriginY;
};

struct TWorkForm {
    // ---- Document ----
    TLayer* FLayers[KWorkFormLayerSlots]; // slot 1 the background; slot 0 never drawn; owned
    int32_t FLayerCount;                  // 2 after New and Open: one layer, the background
    int32_t FSelectMode;                  // a TSM_ value
    TRectXYWH FSelectArea;                // document pixels; meaningful in TSM_AREA
    TLayer* FFloat;      // owned; its image exists only while a floating selection does
    TPoint FFloatOrigin; // where the floating selection was made
    TPaletteEntry FPalette[256];
    TPaletteEntry FColourStrip[KColourStripSize];
    int32_t FColourStripCount; // 17
    std::string FFileName;     // UTF-8; empty when untitled
    int32_t FFormModified;     // set by Crop on the new document and by a palette change,
                               // cleared by a save
    TUndoHistory* FHistory;    // owned, depth 8
    int32_t FTapMode;          // 1: the next stylus release runs Change Color
    int32_t FPrevTapMode;
    // The popup palette's picks of the two colours (palette indices, -1 for none).
    int32_t FPrimaryIndex, FSecondaryIndex;

    // ---- View ----
    QWidget* FWindow;                    // the work form window
    QWidget* FScrollArea;                // checker background, parent of the render window
    TRenderWindow* FRenderWindow;        // owned
    QScrollBar* FHScroll;                // id 100
    QScrollBar* FVScroll;                // id 101
    QWidget* FCorner;                    // id 102, a blank square
    TRectXYWH FBounds;                   // where the main form placed the work form
    TRectXYWH FVisibleRect;              // image pixels shown; x, y is the view origin
    int32_t FScrollX, FScrollY;          // render window offset in the scroll area, screen pixels
    int32_t FZoomedWidth, FZoomedHeight; // image size x effective zoom, truncated
    double FZoom;                        // 0.125 to 16; whole numbers above 1
    int32_t FRestoringZoom;
    int32_t FSavedScrollX, FSavedScrollY;
    double FLastZoom; // the most recent zoom other than 1.0
    int32_t FShowGrid;
    int32_t FFitMode;     // 1 after FitToScreen until the zoom is set otherwise
    TPoint FStylus;       // render-window client point of the stylus event in hand
    TPoint FStylusGlobal; // screen point of the stylus event in hand, signed
    int32_t FStylusDown;  // 1 from a stylus press to its release or cancel
    TRectLTRB FBand;      // the selection tools' outline, render-window client pixels
    int32_t FBandShown;   // 1 while FBand is shown inverted on the render window

    // ---- Render buffers ----
    TLayer* FComposite; // image-sized; the composed picture; owned
    TLayer* FPreview;   // image-sized; tools draw rubber bands on it; owned
    TGdiDC* FOffscreen; // 32-bit off-screen buffer, regrown only when it must grow
    TGdiObject* FOffscreenBitmap;
    TGdiObject* FOffscreenOldBitmap;
    TRectXYWH FOffscreenRect; // 0, 0 and the off-screen bitmap's size
};

// ---- Life (work_form.cpp) ----
// A work form under parent (the main window's client, or any widget in tests) with its windows,
// zoom 8, the grid from the host, an empty history of depth 8, the default palette and a
// 17-hue strip. No document yet: New or Open makes it. Null with the last error on failure.
TWorkForm* TWorkForm_Create(QWidget* parent);
// Destroys the windows, render buffers, layers, the floating surface and the history. Null.
TWorkForm* TWorkForm_Destroy(TWorkForm* form);
// The work form whose document the commands and the undo steps act on: the main form sets it;
// until then the most recently created one. Destroying it leaves none.
TWorkForm* TWorkForm_GetActive();
void TWorkForm_SetActive(TWorkForm* form);

// ---- Queries (work_form.cpp) ----
TLayer* TWorkForm_GetActiveLayer(TWorkForm* form); // the floating surface while one exists
TLayer* TWorkForm_GetBackground(TWorkForm* form);
int TWorkForm_GetSelectionRect(TWorkForm* form, TRectLTRB* out);   // 0, or -1 without selection
int TWorkForm_HitSelection(TWorkForm* form, int32_t x, int32_t y); // 0 inside, else -1
int TWorkForm_IsModified(TWorkForm* form);
// Hands step to the history (which owns it from now on). A null step is a change that could
// not be recorded (its constructor failed): the form marks it as MarkUnrecordedChange does.
// Nothing for a null form.
void TWorkForm_AddUndo(TWorkForm* form, TUndoStep* step);
// The picture changed and no step records it: the document is modified and stays so whatever
// is undone, so closing or replacing it asks to save. Every such path calls this.
void TWorkForm_MarkUnrecordedChange(TWorkForm* form);
// A tool's step of pixels: saves rect of source into step (clearing the history to free memory
// and trying once more when the first try fails), makes target the step's surface and adds it.
// The form takes the step in every case. When the pixels cannot be saved the error is shown,
// the step destroyed, the change marked unrecorded and -1 returned; else 0.
int TWorkForm_AddCapturedUndo(TWorkForm* form, TUndoStep* step, TLayer* source, TLayer* target,
                              const TRectXYWH* rect);

// ---- Selection (work_form.cpp) ----
void TWorkForm_SetSelectMode(TWorkForm* form, int32_t mode);
void TWorkForm_ClipLayers(TWorkForm* form, const TRectXYWH* rect); // null removes the clip
// rect in document pixels; op a TWS_ value. Returns 0; -1 with the last error when the floating
// surface could not be made (the document is then as before, without a selection).
int TWorkForm_Select(TWorkForm* form, const TRectXYWH* rect, int op);
void TWorkForm_MoveSelection(TWorkForm* form, int32_t x, int32_t y, int record);
// A TSM_COPY floating copy of surface at its position. Returns 0, or -1 with the last error.
int TWorkForm_FloatSurface(TWorkForm* form, TLayer* surface);
void TWorkForm_CommitSelection(TWorkForm* form); // Select None
void TWorkForm_CommitFloat(TWorkForm* form);     // commit only in TSM_COPY
void TWorkForm_SelectAll(TWorkForm* form);

// ---- File (work_form_file.cpp) ----
// A new visible background of width x height with a clear mask. 0, or -1.
int TWorkForm_New(TWorkForm* form, int32_t width, int32_t height);
// 1 opened, 0 the icon choice was cancelled, -1 failed (last error set, nothing shown).
int TWorkForm_Open(TWorkForm* form, const char* fileName);
// Writes the composite (BMP, JPEG) or the background with the document palette and the
// floating selection merged into a copy (ICO, PNG). Failures are shown. 0, or -1.
int TWorkForm_SaveAs(TWorkForm* form, const char* fileName);
// Save As with the name asked for (TWorkForm_SetSaveNameProvider); a cancelled question is
// -1 with the last error clear. On success the name becomes FFileName.
int TWorkForm_SaveDialog(TWorkForm* form);
int TWorkForm_Save(TWorkForm* form); // SaveAs with FFileName, else SaveDialog
// A snapshot of the document for the recovery file: copies of the background's planes and of a
// floating selection, the palette, the name, the icon index and the modified state; the form is
// not changed. Null with the last error (EC_NO_BACKGROUND, EC_NO_MEMORY).
TRecoveryCopy* TWorkForm_MakeRecoveryCopy(TWorkForm* form);
// The copy as the form's document, as Open would put a file in place: its name (or untitled),
// palette and floating selection, an empty history, modified. The copy stays the caller's.
// 0; -1 with the last error (the form's document may then be a blank one).
int TWorkForm_OpenRecoveryCopy(TWorkForm* form, const TRecoveryCopy* copy);

// Icon entry choice: index chosen (0 or more) or -1 when cancelled. Until the dialog exists the
// handler answers 0 (the first image). A null handler restores that default.
typedef int (*TSelectIconImageProc)(const char* path);
void SelectIconImage_SetHandler(TSelectIconImageProc proc);
int SelectIconImage(const char* path);
// Asks for a file name to save form's document under; false when cancelled.
typedef bool (*TSaveNameProc)(TWorkForm* form, std::string* name);
void TWorkForm_SetSaveNameProvider(TSaveNameProc proc); // null: every question is cancelled

// ---- Edit and adjustments (work_form_edit.cpp) ----
void TWorkForm_Clear(TWorkForm* form);
int TWorkForm_Copy(TWorkForm* form); // TSM_AREA only; 0, or -1 (shown)
int TWorkForm_Cut(TWorkForm* form);  // TSM_AREA only
int TWorkForm_Paste(TWorkForm* form);
int TWorkForm_CanPaste(); // 1 when the clipboard offers a picture Paste can take
// A new work form under parent holding the selected area, modified; null outside TSM_AREA or
// on failure (last error set).
TWorkForm* TWorkForm_Crop(TWorkForm* form, QWidget* parent);
int TWorkForm_Rotate(TWorkForm* form, int angle);   // -90, 90, 180
int TWorkForm_Flip(TWorkForm* form, int direction); // 0 horizontal, 1 vertical
// Image Size with the dialog's answer. 0 (also for the unchanged size), or -1 (shown).
int TWorkForm_ResizeImage(TWorkForm* form, int32_t width, int32_t height, int smooth);
int TWorkForm_AdjustBrightnessContrast(TWorkForm* form, int contrast, int brightness);
int TWorkForm_Invert(TWorkForm* form);
int TWorkForm_Grayscale(TWorkForm* form);
void TWorkForm_ArmChangeColour(TWorkForm* form);
// Change Color at render-window client point (x, y); always disarms.
void TWorkForm_ReplaceColourAt(TWorkForm* form, int32_t x, int32_t y);
// Undo and Redo as the commands run them (Redo repaints what it returns).
void TWorkForm_Undo(TWorkForm* form);
void TWorkForm_Redo(TWorkForm* form);

// ---- Coordinates, zoom, scrolling, layout (work_form_view.cpp) ----
double TWorkForm_GetZoomFactor(const TWorkForm* form); // the effective zoom
TPoint TWorkForm_ClientToImage(const TWorkForm* form, TPoint p);
TPoint TWorkForm_ImageToClient(const TWorkForm* form, TPoint p);
TRectLTRB TWorkForm_ClientRectToImage(const TWorkForm* form, const TRectLTRB& r);
TRectLTRB TWorkForm_ImageRectToClient(const TWorkForm* form, const TRectLTRB& r);
int TWorkForm_GetStylusPoint(TWorkForm* form, TPoint* out); // image pixels; 0, or -1
int TWorkForm_GetImageRect(TWorkForm* form, TRectXYWH* out);
void TWorkForm_SetZoom(TWorkForm* form, double z);
void TWorkForm_ZoomIn(TWorkForm* form);
void TWorkForm_ZoomOut(TWorkForm* form);
void TWorkForm_FitZoom(TWorkForm* form);
void TWorkForm_FitToScreen(TWorkForm* form);
void TWorkForm_ToggleActualSize(TWorkForm* form);
int TWorkForm_IsActualSize(const TWorkForm* form);
void TWorkForm_ShowGrid(TWorkForm* form);
void TWorkForm_HideGrid(TWorkForm* form);
int TWorkForm_IsGridShown(const TWorkForm* form);
void TWorkForm_GetViewRect(const TWorkForm* form, TRectXYWH* out);
void TWorkForm_UpdateZoomedSize(TWorkForm* form);
void TWorkForm_ApplyScroll(TWorkForm* form, const TRectXYWH* rect);
void TWorkForm_UpdateScrollBars(TWorkForm* form);
void TWorkForm_SetScrollBarPos(TWorkForm* form, int32_t x, int32_t y);
void TWorkForm_Relayout(TWorkForm* form, const TRectXYWH* rect);
int TWorkForm_ImageSizeChanged(TWorkForm* form);
void TWorkForm_ScrollHorz(TWorkForm* form, int32_t delta);
void TWorkForm_ScrollVert(TWorkForm* form, int32_t delta);
void TWorkForm_ScrollBy(TWorkForm* form, int32_t dx, int32_t dy);
int32_t TWorkForm_GetLineStep(const TWorkForm* form);
// A scroll bar request (QAbstractSlider::SliderAction) on bar 0 horizontal or 1 vertical;
// thumb is the bar's slider position for thumb tracking.
void TWorkForm_OnScrollBar(TWorkForm* form, int vertical, int action, int32_t thumb);
// A stylus event at render-window client point (x, y), routed as the tap mode says.
void TWorkForm_Stylus(TWorkForm* form, int event, int32_t x, int32_t y);
// Abandons the stylus drag in progress, if any: the current tool gets TWE_CANCEL.
void TWorkForm_CancelStylus(TWorkForm* form);

// ---- Rendering (render.cpp) ----
// Composes rect (document pixels; null: everything), renders it to the render window, shows it.
void TWorkForm_Repaint(TWorkForm* form);
void TWorkForm_RepaintRect(TWorkForm* form, const TRectXYWH* rect);
int TWorkForm_MakeRenderBuffers(TWorkForm* form, int32_t width, int32_t height);
void TWorkForm_FreeRenderBuffers(TWorkForm* form);
// Regrows the off-screen buffer to at least width x height. 0, or -1 (EC_NULL_DC, EC_GDI_OBJECT).
int TWorkForm_EnsureOffscreen(TWorkForm* form, int32_t width, int32_t height);
int TWorkForm_Compose(TWorkForm* form, const TRectXYWH* rect);
int TWorkForm_Render(TWorkForm* form, const TRenderTarget* target, const TRectXYWH* rect,
                     int flags);
int TWorkForm_Redraw(TWorkForm* form, const TRenderTarget* target, const TRectXYWH* rect);
int TWorkForm_RenderPreview(TWorkForm* form, const TRectXYWH* rect);
// How often every work form composed (TWorkForm_Compose) and rendered its view (into its render
// window or any target) since the program started: what a benchmark reads to see that a
// command composes and repaints only once.
struct TRenderCounts {
    int64_t FComposes, FRenders;
};
void TWorkForm_GetRenderCounts(TRenderCounts* out);
void TWorkForm_ResetPreview(TWorkForm* form, const TRectXYWH* rect);
void TWorkForm_DrawSelectionOutline(TWorkForm* form, const TRenderTarget* target);
// The selection tools' outline: band (render-window client pixels, right and bottom exclusive)
// shown by inverting the render window's pixels under its one-pixel outline, the band shown
// before erased first; null only erases. Renders of the window draw a shown band again, and the
// marching ants pause while it shows.
void TWorkForm_ShowBand(TWorkForm* form, const TRectLTRB* band);
void TWorkForm_DrawGrid(TGdiDC* dc, const TRectXYWH* rect, int32_t spacing);
// The marching ants' shared state, for tests: colour and phase.
void TWorkForm_GetOutlineState(uint32_t* colour, int32_t* phase);
void TWorkForm_ResetOutlineState();
