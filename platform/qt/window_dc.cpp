// Window drawing contexts and the widget that shows one. The gdi bitmap lies over the QImage's
// own bytes, so what gdi draws is what paintEvent copies; the copy is a plain one at scale 1 and
// a nearest-neighbour one on high-density screens.
#include "platform/qt/window_dc.h"

#include <new>

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>

// What Gdi_CreateBitmapOver and QImage both accept: at most 2^31 - 1 bytes of pixels.
static bool SizeFits(int32_t width, int32_t height) {
    if (width < 1 || height < 1) return false;
    int64_t bytes = int64_t(width) * int64_t(height) * 4;
    return bytes <= INT32_MAX;
}

// A bitmap of width x height (at least 1 x 1) over the first rows and columns of image.
static TGdiObject* BitmapOver(QImage* image, int32_t width, int32_t height) {
    return Gdi_CreateBitmapOver(width < 1 ? 1 : width, height < 1 ? 1 : height, 32, 0,
                                int32_t(image->bytesPerLine()), image->bits());
}

// Replaces the context's bitmap; the old one is deleted only after the new one is selected.
static void SwapBitmap(TWindowDC* w, TGdiObject* bitmap) {
    Gdi_SelectObject(w->FDC, bitmap);
    Gdi_DeleteObject(w->FBitmap);
    w->FBitmap = bitmap;
}

TWindowDC* TWindowDC_Create(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return nullptr;
    int32_t capW = width < 1 ? 1 : width, capH = height < 1 ? 1 : height;
    if (!SizeFits(capW, capH)) return nullptr;
    TWindowDC* w = new (std::nothrow) TWindowDC();
    if (!w) return nullptr;
    w->FImage = new (std::nothrow) QImage(capW, capH, QImage::Format_RGB32);
    if (!w->FImage || w->FImage->isNull()) return TWindowDC_Destroy(w);
    w->FImage->fill(Qt::black);
    w->FDC = Gdi_CreateCompatibleDC(nullptr);
    if (!w->FDC) return TWindowDC_Destroy(w);
    w->FBitmap = BitmapOver(w->FImage, width, height);
    if (!w->FBitmap) return TWindowDC_Destroy(w);
    w->FOldBitmap = Gdi_SelectObject(w->FDC, w->FBitmap);
    w->FWidth = width;
    w->FHeight = height;
    w->FCapacityWidth = capW;
    w->FCapacityHeight = capH;
    return w;
}

TWindowDC* TWindowDC_Destroy(TWindowDC* w) {
    if (!w) return nullptr;
    if (w->FDC) {
        if (w->FOldBitmap) Gdi_SelectObject(w->FDC, w->FOldBitmap);
        Gdi_DeleteDC(w->FDC);
    }
    Gdi_DeleteObject(w->FBitmap);
    delete w->FImage;
    delete w;
    return nullptr;
}

int TWindowDC_Resize(TWindowDC* w, int32_t width, int32_t height) {
    if (!w || width < 0 || height < 0) return -1;
    if (width == w->FWidth && height == w->FHeight) return 0;
    if (width <= w->FCapacityWidth && height <= w->FCapacityHeight) {
        TGdiObject* bitmap = BitmapOver(w->FImage, width, height);
        if (!bitmap) return -1;
        SwapBitmap(w, bitmap);
        w->FWidth = width;
        w->FHeight = height;
        return 0;
    }
    // Growing: one image of the larger of each side, so a window that grows in width and
    // then in height does not regrow twice.
    int32_t capW = width > w->FCapacityWidth ? width : w->FCapacityWidth;
    int32_t capH = height > w->FCapacityHeight ? height : w->FCapacityHeight;
    if (!SizeFits(capW, capH)) return -1;
    QImage* image = new (std::nothrow) QImage(capW, capH, QImage::Format_RGB32);
    if (!image || image->isNull()) {
        delete image;
        return -1;
    }
    image->fill(Qt::black);
    TGdiObject* bitmap = BitmapOver(image, width, height);
    if (!bitmap) {
        delete image;
        return -1;
    }
    SwapBitmap(w, bitmap);
    delete w->FImage;
    w->FImage = image;
    w->FWidth = width;
    w->FHeight = height;
    w->FCapacityWidth = capW;
    w->FCapacityHeight = capH;
    return 0;
}

TGdiDC* TWindowDC_GetDC(const TWindowDC* w) {
    return w ? w->FDC : nullptr;
}

TBackedWidget::TBackedWidget(QWidget* parent) : QWidget(parent), FWindowDC(nullptr) {
    // Every pixel is painted from the image: Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Sized on first use or resize: a hidden widget's provisional geometry is not its size.
    FWindowDC = TWindowDC_Create(0, 0);
}

TWindowDC* TBackedWidget::WindowDC() {
    if (FWindowDC && (FWindowDC->FWidth != width() || FWindowDC->FHeight != height()))
        TWindowDC_Resize(FWindowDC, width(), height());
    return FWindowDC;
}

TBackedWidget::~TBackedWidget() {
    FWindowDC = TWindowDC_Destroy(FWindowDC);
}

void TBackedWidget::resizeEvent(QResizeEvent* event) {
    // A failed resize keeps the smaller image; paintEvent fills the rest black.
    TWindowDC_Resize(FWindowDC, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

void TBackedWidget::paintEvent(QPaintEvent* event) {
    WindowDC(); // a paint may come before the pending resize
    QPainter painter(this);
    // Logical pixels map to whole device-pixel blocks: no blending across image pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QRect shown = FWindowDC ? QRect(0, 0, FWindowDC->FWidth, FWindowDC->FHeight) : QRect();
    QRect copy = event->rect() & shown;
    if (!copy.isEmpty()) painter.drawImage(copy, *FWindowDC->FImage, copy);
    QRegion rest = QRegion(event->rect()) - QRegion(shown);
    for (const QRect& r : rest)
        painter.fillRect(r, Qt::black);
}
