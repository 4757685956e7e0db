// The Brightness/Contrast dialog: its window and controls (each control's id is its object
// name), the preview's view of the document image and its panning, and the adjustment of that
// view with core/adjust. The document is only read: pixels are copied out of the active layer.
#include "shell/brightness_contrast_dialog.h"

#include <algorithm>
#include <cstdlib>

#include <QDialog>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "core/adjust.h"
#include "core/copy_rect.h"
#include "core/error.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/work_form.h"
#include "shell/dialog_parts.h"
#include "shell/preview_control.h"

namespace {
class TBcWindow final : public QDialog {
  public:
    TBcWindow(QWidget* parent, TBrightnessContrastDialog* record)
        : QDialog(parent), FRecord(record) {}
    ~TBcWindow() override {
        if (FRecord) FRecord->FHandle = nullptr;
    }
    void Detach() { FRecord = nullptr; }

    QSlider* FContrast = nullptr;   // 1003
    QSlider* FBrightness = nullptr; // 1004
    QLineEdit* FContrastBox = nullptr;
    QLineEdit* FBrightnessBox = nullptr;

  private:
    TBrightnessContrastDialog* FRecord;
};
} // namespace

static TBcWindow* WindowOf(TBrightnessContrastDialog* dialog) {
    return static_cast<TBcWindow*>(dialog->FHandle);
}

static QSlider* CreateSlider(QWidget* parent, int id, int limit) {
    QSlider* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::number(id));
    slider->setRange(-limit, limit);
    slider->setValue(0);
    return slider;
}

static QLineEdit* CreateNumberBox(QWidget* parent, int id) {
    QLineEdit* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(QString::number(id));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 12);
    return box;
}

// The image the dialog shows: the document's active layer, bound to its drawing contexts.
static TLayer* DocumentLayer(TBrightnessContrastDialog* dialog) {
    TLayer* layer = TWorkForm_GetActiveLayer(dialog->FForm);
    return layer && layer->FImage && layer->FDC ? layer : nullptr;
}

// Moves one axis of the view by step and keeps it inside the image; a view as large as the
// image does not move.
static int32_t PanAxis(int32_t offset, int32_t step, int32_t view, int32_t image) {
    if (view >= image) return 0;
    int64_t moved = int64_t(offset) + step;
    return int32_t(std::clamp<int64_t>(moved, 0, image - view));
}

void BrightnessContrast_ShowView(TBrightnessContrastDialog* dialog, int32_t c, int32_t b,
                                 int32_t stepX, int32_t stepY) {
    if (!dialog || !dialog->FSource || !dialog->FShown) return;
    TLayer* layer = DocumentLayer(dialog);
    if (!layer) return;
    int32_t w = dialog->FSource->FWidth, h = dialog->FSource->FHeight;
    dialog->FOffsetX = PanAxis(dialog->FOffsetX, stepX, w, layer->FWidth);
    dialog->FOffsetY = PanAxis(dialog->FOffsetY, stepY, h, layer->FHeight);
    if (c != 0 || b != 0) {
        // The adjusted view of an unchanged place is already shown.
        if (c == dialog->FShownContrast && b == dialog->FShownBrightness &&
            dialog->FOffsetX == dialog->FShownX && dialog->FOffsetY == dialog->FShownY)
            return;
        TLayer_Blt(dialog->FSource, 0, 0, w, h, layer, dialog->FOffsetX, dialog->FOffsetY,
                   GDI_SRCCOPY);
        if (c != 0) TImage_Contrast(dialog->FSource->FImage, c);
        if (b != 0) TImage_Brightness(dialog->FSource->FImage, b);
        TLayer_Blt(dialog->FShown, 0, 0, w, h, dialog->FSource, 0, 0, GDI_SRCCOPY);
    } else {
        TLayer_Blt(dialog->FShown, 0, 0, w, h, layer, dialog->FOffsetX, dialog->FOffsetY,
                   GDI_SRCCOPY);
    }
    // Shown as the canvas shows it: transparent pixels in the secondary colour.
    TLayer* buffer = PreviewControl_GetBuffer(dialog->FPreview);
    if (buffer) {
        uint32_t under = DocumentHost_GetSecondaryColor() & 0xFFFFFF;
        TLayer_FillRect(buffer, 0, 0, w, h, under, under, 0xFFFFFF, 1);
        TImage_CopyRect(buffer->FImage, 0, 0, w, h, dialog->FShown->FImage, 0, 0, 0);
    }
    PreviewControl_Refresh(dialog->FPreview);
    dialog->FShownContrast = c;
    dialog->FShownBrightness = b;
    dialog->FShownX = dialog->FOffsetX;
    dialog->FShownY = dialog->FOffsetY;
}

// While the stylus drags the view, the preview shows it unadjusted; the adjusted view follows
// when the stylus is lifted.
static void OnPreviewMove(PreviewControl* control, int32_t, int32_t) {
    auto* dialog = static_cast<TBrightnessContrastDialog*>(control->FUserData);
    BrightnessContrast_ShowView(dialog, 0, 0, control->FStepX, control->FStepY);
}

static void OnPreviewUp(PreviewControl* control, int32_t, int32_t) {
    auto* dialog = static_cast<TBrightnessContrastDialog*>(control->FUserData);
    TBcWindow* window = WindowOf(dialog);
    if (!window) return;
    BrightnessContrast_ShowView(dialog, window->FContrast->value(), window->FBrightness->value(),
                                control->FStepX, control->FStepY);
}

static void OnSliderMoved(TBrightnessContrastDialog* dialog, QSlider* slider, QLineEdit* box) {
    TBcWindow* window = WindowOf(dialog);
    if (!window) return;
    box->setText(QString::number(slider->value()));
    BrightnessContrast_ShowView(dialog, window->FContrast->value(), window->FBrightness->value(), 0,
                                0);
}

static void OnDefault(TBrightnessContrastDialog* dialog) {
    TBcWindow* window = WindowOf(dialog);
    if (!window) return;
    {
        QSignalBlocker contrast(window->FContrast), brightness(window->FBrightness);
        window->FContrast->setValue(0);
        window->FBrightness->setValue(0);
    }
    window->FContrastBox->setText(QStringLiteral("0"));
    window->FBrightnessBox->setText(QStringLiteral("0"));
    BrightnessContrast_ShowView(dialog, 0, 0, 0, 0);
}

static void OnOk(TBrightnessContrastDialog* dialog) {
    TBcWindow* window = WindowOf(dialog);
    if (!window) return;
    dialog->FContrast = window->FContrast->value();
    dialog->FBrightness = window->FBrightness->value();
    dialog->FResult = 0;
    window->accept();
}

static void BuildControls(TBrightnessContrastDialog* dialog, TBcWindow* window) {
    window->setWindowTitle(QStringLiteral("Constrast/Brightness"));
    window->FContrast = CreateSlider(window, KBcContrastSlider, 128);
    window->FBrightness = CreateSlider(window, KBcBrightnessSlider, 100);
    window->FContrastBox = CreateNumberBox(window, KBcContrastBox);
    window->FBrightnessBox = CreateNumberBox(window, KBcBrightnessBox);

    QGridLayout* values = new QGridLayout();
    values->addWidget(new QLabel(QStringLiteral("Contrast:"), window), 0, 0);
    values->addWidget(window->FContrast, 0, 1);
    values->addWidget(window->FContrastBox, 0, 2);
    values->addWidget(new QLabel(QStringLiteral("Brightness:"), window), 1, 0);
    values->addWidget(window->FBrightness, 1, 1);
    values->addWidget(window->FBrightnessBox, 1, 2);
    values->setColumnStretch(1, 1);
    values->setColumnMinimumWidth(1, 160);

    QPushButton *reset = nullptr, *ok = nullptr, *cancel = nullptr;
    QHBoxLayout* buttons =
        Dialog_CreateButtonRow(QStringLiteral("Default"), window, &reset, &ok, &cancel);

    QVBoxLayout* layout = new QVBoxLayout(window);
    layout->addWidget(Dialog_CreateHeading(QStringLiteral("Contrast/Brightness"), window));
    layout->addWidget(dialog->FPreview->FHandle, 0, Qt::AlignHCenter);
    layout->addLayout(values);
    layout->addLayout(buttons);

    QObject::connect(window->FContrast, &QSlider::valueChanged, window, [dialog, window] {
        OnSliderMoved(dialog, window->FContrast, window->FContrastBox);
    });
    QObject::connect(window->FBrightness, &QSlider::valueChanged, window, [dialog, window] {
        OnSliderMoved(dialog, window->FBrightness, window->FBrightnessBox);
    });
    QObject::connect(reset, &QPushButton::clicked, window, [dialog] { OnDefault(dialog); });
    QObject::connect(ok, &QPushButton::clicked, window, [dialog] { OnOk(dialog); });
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
}

// The two surfaces of the view's size and the preview holding a picture of that size.
static int MakeSurfaces(TBrightnessContrastDialog* dialog, const TLayer* layer) {
    int32_t w = std::min<int32_t>(layer->FWidth, KBcViewLimit);
    int32_t h = std::min<int32_t>(layer->FHeight, KBcViewLimit);
    dialog->FSource = TLayer_Create(w, h);
    if (!dialog->FSource || !dialog->FSource->FImage) return -1;
    dialog->FShown = TLayer_Create(w, h);
    if (!dialog->FShown || !dialog->FShown->FImage) return -1;
    dialog->FPreview->FHandle->setFixedSize(KBcPreviewSize, KBcPreviewSize);
    TRectXYWH area = {0, 0, w, h};
    return PreviewControl_SetSize(dialog->FPreview, &area);
}

TBrightnessContrastDialog* BrightnessContrast_Create(QWidget* parent, TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    auto* dialog =
        static_cast<TBrightnessContrastDialog*>(std::calloc(1, sizeof(TBrightnessContrastDialog)));
    if (!dialog) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    dialog->FResult = -1;
    dialog->FForm = form;
    TBcWindow* window = new TBcWindow(parent, dialog);
    dialog->FHandle = window;
    dialog->FPreview = PreviewControl_Create(window, KBcPreviewId);
    TLayer* layer = DocumentLayer(dialog);
    if (!layer) SetLastErrorCode(EC_NO_ACTIVE_LAYER);
    if (!dialog->FPreview || !layer || MakeSurfaces(dialog, layer) != 0) {
        int code = GetLastErrorCode();
        BrightnessContrast_Destroy(dialog);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), nullptr;
    }
    dialog->FPreview->FUserData = dialog;
    dialog->FPreview->FOnMove = OnPreviewMove;
    dialog->FPreview->FOnUp = OnPreviewUp;
    BuildControls(dialog, window);
    dialog->FOffsetX = form->FVisibleRect.x;
    dialog->FOffsetY = form->FVisibleRect.y;
    BrightnessContrast_ShowView(dialog, 0, 0, 0, 0);
    return dialog;
}

TBrightnessContrastDialog* BrightnessContrast_Destroy(TBrightnessContrastDialog* dialog) {
    if (!dialog) return nullptr;
    dialog->FPreview = PreviewControl_Destroy(dialog->FPreview);
    if (dialog->FHandle) {
        WindowOf(dialog)->Detach();
        delete dialog->FHandle;
    }
    TLayer_Destroy(dialog->FSource);
    TLayer_Destroy(dialog->FShown);
    std::free(dialog);
    return nullptr;
}

int BrightnessContrast_Run(QWidget* parent, TWorkForm* form, int* contrast, int* brightness) {
    TBrightnessContrastDialog* dialog = BrightnessContrast_Create(parent, form);
    if (!dialog) {
        ShowLastError();
        return -1;
    }
    dialog->FHandle->exec();
    int result = dialog->FResult;
    if (result == 0) {
        if (contrast) *contrast = dialog->FContrast;
        if (brightness) *brightness = dialog->FBrightness;
    }
    BrightnessContrast_Destroy(dialog);
    return result;
}
