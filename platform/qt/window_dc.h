// Window drawing contexts: a window's visible part as a 32-bit backing image (QImage RGB32)
// with a gdi bitmap over its bytes selected into a gdi memory context, so windows draw with
// platform/gdi and the widget copies the image to the screen. The image keeps its capacity: it
// is regrown only when the window grows, never per paint, and never for the zoomed picture.
// Owns the image, the bitmap and the context; knows nothing of documents or tools.
#pragma once

#include <cstdint>

#include <QWidget>

#include "platform/gdi.h"

class QImage;

struct TWindowDC {
    QImage* FImage;          // backing pixels, Format_RGB32, FCapacityWidth x FCapacityHeight
    TGdiObject* FBitmap;     // 32-bit top-down bitmap over FImage's bytes, FWidth x FHeight
                             // (at least 1 x 1), stride FImage->bytesPerLine()
    TGdiObject* FOldBitmap;  // what FDC held before FBitmap, selected back before deleting
    TGdiDC* FDC;             // the context windows draw into
    int32_t FWidth;          // visible width in logical pixels, 0 or more
    int32_t FHeight;         // visible height in logical pixels, 0 or more
    int32_t FCapacityWidth;  // the image's width, at least max(1, FWidth)
    int32_t FCapacityHeight; // the image's height, at least max(1, FHeight)
};

// A context of width x height logical pixels (either may be 0: nothing is visible, and one
// pixel of backing is kept so the context stays valid), opaque black. Null for a negative size,
// more than 2^31 - 1 bytes of pixels, or no memory.
TWindowDC* TWindowDC_Create(int32_t width, int32_t height);
// Releases everything; returns null for the caller to store. Null does nothing.
TWindowDC* TWindowDC_Destroy(TWindowDC* windowDC);
// Makes the visible size width x height. The image is replaced (opaque black) only when a side
// grows past the capacity, and then by one of the larger of each side; staying or shrinking
// keeps the image and its pixels. Returns 0; -1 for a null record, a negative size, a size too
// large or no memory, leaving the context as it was. The bitmap selected into the context may
// change: callers hold the context, never the bitmap.
int TWindowDC_Resize(TWindowDC* windowDC, int32_t width, int32_t height);
// The gdi context to draw into (null for a null record). Its pixel (x, y) is the window's logical
// pixel (x, y).
TGdiDC* TWindowDC_GetDC(const TWindowDC* windowDC);

// A widget whose face is a window drawing context of its own size: resizing the widget resizes
// the context, and painting copies the visible part of the image without smoothing, scaled to
// device pixels on high-density screens, so every logical pixel is a sharp block. Windows that
// draw with gdi derive from it, draw into WindowDC() and call update().
class TBackedWidget : public QWidget {
  public:
    explicit TBackedWidget(QWidget* parent = nullptr);
    ~TBackedWidget() override;
    TBackedWidget(const TBackedWidget&) = delete;
    TBackedWidget& operator=(const TBackedWidget&) = delete;

    // The widget's context, at the widget's current size (also before the widget is first
    // shown, when Qt has not yet delivered the resize). Null only when the context could not be
    // made (no memory); the widget then paints black.
    TWindowDC* WindowDC();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    TWindowDC* FWindowDC;
};
