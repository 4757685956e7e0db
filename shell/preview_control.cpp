// PreviewControl: the record, its bordered widget, the picture buffer (a TLayer) and the stylus
// drag bookkeeping. Painting converts the buffer's colour plane to a Qt image each time; the
// picture is at most a dialog's preview in size, so nothing is cached. Uses core/layer for the
// buffer; knows nothing of documents or dialogs.
#include "shell/preview_control.h"

#include <cstdlib>

#include <QFrame>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "platform/qt/colour.h"

namespace {
class TPreviewWidget final : public QFrame {
  public:
    TPreviewWidget(QWidget* parent, PreviewControl* control) : QFrame(parent), FControl(control) {
        setFrameShape(QFrame::Box);
        setFrameShadow(QFrame::Plain);
        setLineWidth(1);
    }
    ~TPreviewWidget() override {
        // Destroyed with its parent: the record must not delete the widget again.
        if (FControl) FControl->FHandle = nullptr;
    }
    void Detach() { FControl = nullptr; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !FControl) return;
        PreviewControl_StylusDown(FControl, event->position().x(), event->position().y());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (FControl)
            PreviewControl_StylusMove(FControl, event->position().x(), event->position().y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !FControl) return;
        PreviewControl_StylusUp(FControl, event->position().x(), event->position().y());
    }

  private:
    PreviewControl* FControl;
};
} // namespace

// The colour plane of a 24-bit image as an opaque Qt image (bytes blue, green, red per pixel).
static QImage ToQImage(const TImage* image) {
    QImage out(image->FWidth, image->FHeight, QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        const uint8_t* src = TImage_GetRow(image, y);
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int32_t x = 0; x < image->FWidth; ++x, src += 3)
            dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return out;
}

void TPreviewWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect client = contentsRect();
    if (FControl && FControl->FClearColour >= 0)
        painter.fillRect(client, Colour_ToQColor(uint32_t(FControl->FClearColour)));
    else
        painter.fillRect(client, palette().window());
    if (!FControl || !FControl->FBuffer) return;
    const TImage* image = FControl->FBuffer->FImage;
    if (!image || !image->FBits || image->FBitsPerPixel != 24) return;
    int32_t x = 0, y = 0;
    PreviewControl_GetPictureOrigin(FControl, &x, &y);
    painter.setClipRect(client);
    painter.drawImage(x, y, ToQImage(image));
}

PreviewControl* PreviewControl_Create(QWidget* parent, int32_t id) {
    if (!parent) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    PreviewControl* control = static_cast<PreviewControl*>(std::calloc(1, sizeof(PreviewControl)));
    if (!control) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    TPreviewWidget* widget = new TPreviewWidget(parent, control);
    widget->setObjectName(QString::number(id));
    widget->setProperty("windowClass", QStringLiteral("PreviewControl"));
    widget->show();
    control->FHandle = widget;
    control->FParent = parent;
    control->FId = id;
    control->FClearColour = -1;
    return control;
}

void PreviewControl_Clear(PreviewControl* control, uint32_t colour) {
    if (!control) return;
    control->FClearColour = int32_t(colour & 0xFFFFFF);
    if (control->FHandle) control->FHandle->update();
}

int PreviewControl_SetSize(PreviewControl* control, const TRectXYWH* rect) {
    if (!control || !rect || !control->FHandle) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    QRect client = control->FHandle->contentsRect();
    if (rect->width < 0 || rect->height < 0 || rect->width > client.width() ||
        rect->height > client.height())
        return SetLastErrorCode(EC_EMPTY_AREA), -1;
    control->FBuffer = TLayer_Destroy(control->FBuffer);
    control->FArea = *rect;
    if (rect->width == 0 || rect->height == 0) return 0;
    TLayer* buffer = TLayer_Create(rect->width, rect->height);
    if (!buffer) return -1;
    if (!buffer->FImage || !buffer->FDC) {
        int code = GetLastErrorCode();
        TLayer_Destroy(buffer);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
    }
    control->FBuffer = buffer;
    return 0;
}

TLayer* PreviewControl_GetBuffer(PreviewControl* control) {
    return control ? control->FBuffer : nullptr;
}

void PreviewControl_GetPictureOrigin(const PreviewControl* control, int32_t* x, int32_t* y) {
    int32_t ox = 0, oy = 0;
    if (control && control->FHandle) {
        QRect client = control->FHandle->contentsRect();
        ox = client.x() + (client.width() - control->FArea.width) / 2;
        oy = client.y() + (client.height() - control->FArea.height) / 2;
    }
    if (x) *x = ox;
    if (y) *y = oy;
}

void PreviewControl_Refresh(PreviewControl* control) {
    if (control && control->FHandle) control->FHandle->update();
}

PreviewControl* PreviewControl_Destroy(PreviewControl* control) {
    if (!control) return nullptr;
    if (control->FHandle) {
        static_cast<TPreviewWidget*>(control->FHandle)->Detach();
        delete control->FHandle;
    }
    TLayer_Destroy(control->FBuffer);
    std::free(control);
    return nullptr;
}

void PreviewControl_StylusDown(PreviewControl* control, int32_t x, int32_t y) {
    if (!control) return;
    control->FLastX = x;
    control->FLastY = y;
    control->FDragging = 1; // Qt keeps the mouse on this widget while the button is held
    if (control->FOnDown) control->FOnDown(control, x, y);
}

void PreviewControl_StylusMove(PreviewControl* control, int32_t x, int32_t y) {
    if (!control || !control->FDragging) return;
    control->FStepX = control->FLastX - x;
    control->FStepY = control->FLastY - y;
    control->FLastX = x;
    control->FLastY = y;
    if (control->FOnMove) control->FOnMove(control, x, y);
}

void PreviewControl_StylusUp(PreviewControl* control, int32_t x, int32_t y) {
    if (!control || !control->FDragging) return;
    control->FDragging = 0;
    control->FStepX = control->FLastX - x;
    control->FStepY = control->FLastY - y;
    if (control->FOnUp) control->FOnUp(control, x, y);
}
