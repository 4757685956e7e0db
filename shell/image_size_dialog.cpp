// The Image Size dialog: its window and controls (each control's id is its object name), the
// presets, the custom width and height with their units and the kept ratio, and the answer.
// The arithmetic is the program's defined one (single-precision ratio and percentages, integer
// division for half size and shown percentages, every size at least 1); sizes typed beyond what
// 32 bits hold are held at the largest, for the resize to refuse.
#include "shell/image_size_dialog.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/error.h"
#include "shell/dialog_parts.h"
#include "shell/main_form.h"

enum { KSizeHalf = 0, KSize150 = 1, KSizeDouble = 2, KSizeCustom = 3 };
enum { KSpinLow = 1, KSpinHigh = 9999 };

namespace {
// A size box with its spin: any number may be typed; the arrows step within KSpinLow..KSpinHigh.
class TSizeSpin final : public QSpinBox {
  public:
    TSizeSpin(QWidget* parent, int spinId, int boxId) : QSpinBox(parent) {
        setObjectName(QString::number(spinId));
        lineEdit()->setObjectName(QString::number(boxId));
        setRange(0, INT_MAX);
        setAccelerated(true);
    }
    QLineEdit* Edit() const { return lineEdit(); }
    void stepBy(int steps) override {
        int64_t next = std::clamp<int64_t>(int64_t(value()) + steps, KSpinLow, KSpinHigh);
        setValue(int(next));
    }

  protected:
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() < KSpinHigh) enabled |= StepUpEnabled;
        if (value() > KSpinLow) enabled |= StepDownEnabled;
        return enabled;
    }
};

class TIsWindow final : public QDialog {
  public:
    TIsWindow(QWidget* parent, TImageSizeDialog* record) : QDialog(parent), FRecord(record) {}
    ~TIsWindow() override {
        if (FRecord) FRecord->FHandle = nullptr;
    }
    void Detach() { FRecord = nullptr; }
    // Cancel, Escape and the close button alike.
    void reject() override {
        if (FRecord) {
            FRecord->FNewWidth = FRecord->FNewHeight = 0;
            FRecord->FResult = -1;
        }
        QDialog::reject();
    }

    QComboBox* FSizeBox = nullptr;    // 1019
    QGroupBox* FCustom = nullptr;     // "Custom size"
    TSizeSpin* FWidth = nullptr;      // 1014 with its box 1024
    TSizeSpin* FHeight = nullptr;     // 1015 with its box 1021
    QComboBox* FWidthUnit = nullptr;  // 1062
    QComboBox* FHeightUnit = nullptr; // 1037
    QCheckBox* FRatio = nullptr;      // 1026
    QCheckBox* FSmooth = nullptr;     // 1068

  private:
    TImageSizeDialog* FRecord;
};
} // namespace

static TIsWindow* WindowOf(TImageSizeDialog* dialog) {
    return static_cast<TIsWindow*>(dialog->FHandle);
}

// A float size truncated toward zero, at least 1, at most what 32 bits hold.
static int32_t SizeFromFloat(float value) {
    if (!(value < 2147483648.0f)) return INT32_MAX; // also NaN
    return std::max<int32_t>(1, int32_t(value));
}

// The size a box's number stands for.
static int32_t SizeFromBox(int number, int32_t orig, int32_t inPercent) {
    if (!inPercent) return std::max(1, number);
    return SizeFromFloat(float(int64_t(number) * orig) * 0.01f);
}

// What a box shows for a size.
static int BoxFromSize(int32_t size, int32_t orig, int32_t inPercent) {
    if (!inPercent) return size;
    int64_t percent = int64_t(size) * 100 / orig;
    return int(std::clamp<int64_t>(percent, 1, INT_MAX));
}

// Writes a box without its change notice recomputing the other one.
static void RewriteBox(TImageSizeDialog* dialog, TSizeSpin* box, int32_t size, int32_t orig,
                       int32_t inPercent) {
    dialog->FWriting = 1;
    box->setValue(BoxFromSize(size, orig, inPercent));
    dialog->FWriting = 0;
}

static void RewriteWidth(TImageSizeDialog* dialog) {
    RewriteBox(dialog, WindowOf(dialog)->FWidth, dialog->FNewWidth, dialog->FOrigWidth,
               dialog->FWidthInPercent);
}

static void RewriteHeight(TImageSizeDialog* dialog) {
    RewriteBox(dialog, WindowOf(dialog)->FHeight, dialog->FNewHeight, dialog->FOrigHeight,
               dialog->FHeightInPercent);
}

static void OnWidthChanged(TImageSizeDialog* dialog, int number) {
    if (dialog->FWriting || !dialog->FHandle) return;
    dialog->FNewWidth = SizeFromBox(number, dialog->FOrigWidth, dialog->FWidthInPercent);
    if (!WindowOf(dialog)->FRatio->isChecked()) return;
    dialog->FNewHeight = SizeFromFloat(float(dialog->FNewWidth) / dialog->FRatio);
    RewriteHeight(dialog);
}

static void OnHeightChanged(TImageSizeDialog* dialog, int number) {
    if (dialog->FWriting || !dialog->FHandle) return;
    dialog->FNewHeight = SizeFromBox(number, dialog->FOrigHeight, dialog->FHeightInPercent);
    if (!WindowOf(dialog)->FRatio->isChecked()) return;
    dialog->FNewWidth = SizeFromFloat(float(dialog->FNewHeight) * dialog->FRatio);
    RewriteWidth(dialog);
}

static void OnUnitChanged(TImageSizeDialog* dialog, QComboBox* unit, bool width) {
    int32_t inPercent = unit->currentText() != QStringLiteral("pixels");
    if (width) {
        dialog->FWidthInPercent = inPercent;
        RewriteWidth(dialog);
    } else {
        dialog->FHeightInPercent = inPercent;
        RewriteHeight(dialog);
    }
}

static void SetSize(TImageSizeDialog* dialog, int32_t width, int32_t height) {
    dialog->FNewWidth = width;
    dialog->FNewHeight = height;
    RewriteWidth(dialog);
    RewriteHeight(dialog);
}

static void OnSizeBoxChanged(TImageSizeDialog* dialog, int index) {
    TIsWindow* window = WindowOf(dialog);
    if (!window) return;
    int32_t w = dialog->FOrigWidth, h = dialog->FOrigHeight;
    window->FCustom->setEnabled(index == KSizeCustom);
    switch (index) {
    case KSizeHalf:
        SetSize(dialog, w / 2, h / 2);
        break;
    case KSize150: // at most 1.5 x INT32_MAX, which a 64-bit integer holds
        SetSize(dialog, int32_t(std::min<int64_t>(int64_t(w * 1.5), INT32_MAX)),
                int32_t(std::min<int64_t>(int64_t(h * 1.5), INT32_MAX)));
        break;
    case KSizeDouble:
        SetSize(dialog, int32_t(std::min<int64_t>(int64_t(w) * 2, INT32_MAX)),
                int32_t(std::min<int64_t>(int64_t(h) * 2, INT32_MAX)));
        break;
    default:
        break;
    }
}

static void OnReset(TImageSizeDialog* dialog) {
    TIsWindow* window = WindowOf(dialog);
    if (!window) return;
    window->FSizeBox->setCurrentIndex(KSizeCustom);
    window->FCustom->setEnabled(true);
    SetSize(dialog, dialog->FOrigWidth, dialog->FOrigHeight);
}

static void OnOk(TImageSizeDialog* dialog) {
    TIsWindow* window = WindowOf(dialog);
    if (!window) return;
    bool same =
        dialog->FNewWidth == dialog->FOrigWidth && dialog->FNewHeight == dialog->FOrigHeight;
    dialog->FResult = same ? -1 : 0;
    window->accept();
}

static QComboBox* CreateCombo(QWidget* parent, int id, const QStringList& items) {
    QComboBox* box = new QComboBox(parent);
    box->setObjectName(QString::number(id));
    box->addItems(items);
    return box;
}

static QCheckBox* CreateCheck(QWidget* parent, int id, const QString& text, bool checked) {
    QCheckBox* check = new QCheckBox(text, parent);
    check->setObjectName(QString::number(id));
    check->setChecked(checked);
    return check;
}

static QGroupBox* BuildCustomGroup(TIsWindow* window) {
    const QStringList units = {QStringLiteral("pixels"), QStringLiteral("percent")};
    QGroupBox* group = new QGroupBox(QStringLiteral("Custom size"), window);
    window->FWidth = new TSizeSpin(group, KIsWidthSpin, KIsWidthBox);
    window->FHeight = new TSizeSpin(group, KIsHeightSpin, KIsHeightBox);
    window->FWidthUnit = CreateCombo(group, KIsWidthUnit, units);
    window->FHeightUnit = CreateCombo(group, KIsHeightUnit, units);
    window->FRatio = CreateCheck(group, KIsRatio, QStringLiteral("Ratio"), true);
    QGridLayout* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Width:"), group), 0, 0);
    grid->addWidget(window->FWidth, 0, 1);
    grid->addWidget(window->FWidthUnit, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height:"), group), 1, 0);
    grid->addWidget(window->FHeight, 1, 1);
    grid->addWidget(window->FHeightUnit, 1, 2);
    grid->addWidget(window->FRatio, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return group;
}

static void BuildControls(TImageSizeDialog* dialog, TIsWindow* window) {
    window->setWindowTitle(QStringLiteral("Resize.."));
    window->FSizeBox =
        CreateCombo(window, KIsSizeBox,
                    {QStringLiteral("50% (half size)"), QStringLiteral("150%"),
                     QStringLiteral("200% (double size)"), QStringLiteral("Custom size")});
    window->FSizeBox->setCurrentIndex(KSizeCustom);
    window->FCustom = BuildCustomGroup(window);
    window->FSmooth = CreateCheck(window, KIsSmooth, QStringLiteral("Smooth Scaling"), false);

    QPushButton *reset = nullptr, *ok = nullptr, *cancel = nullptr;
    QHBoxLayout* buttons =
        Dialog_CreateButtonRow(QStringLiteral("Reset"), window, &reset, &ok, &cancel);

    QVBoxLayout* layout = new QVBoxLayout(window);
    layout->addWidget(Dialog_CreateHeading(QStringLiteral("Resize Image"), window));
    layout->addWidget(window->FSizeBox);
    layout->addWidget(window->FCustom);
    layout->addWidget(window->FSmooth);
    layout->addLayout(buttons);

    // The boxes are filled before their notices are connected.
    SetSize(dialog, dialog->FNewWidth, dialog->FNewHeight);
    QObject::connect(window->FSizeBox, &QComboBox::currentIndexChanged, window,
                     [dialog](int index) { OnSizeBoxChanged(dialog, index); });
    QObject::connect(window->FWidth, &QSpinBox::valueChanged, window,
                     [dialog](int number) { OnWidthChanged(dialog, number); });
    QObject::connect(window->FHeight, &QSpinBox::valueChanged, window,
                     [dialog](int number) { OnHeightChanged(dialog, number); });
    QObject::connect(window->FWidthUnit, &QComboBox::currentIndexChanged, window,
                     [dialog, window] { OnUnitChanged(dialog, window->FWidthUnit, true); });
    QObject::connect(window->FHeightUnit, &QComboBox::currentIndexChanged, window,
                     [dialog, window] { OnUnitChanged(dialog, window->FHeightUnit, false); });
    QObject::connect(window->FSmooth, &QCheckBox::toggled, window,
                     [dialog](bool checked) { dialog->FSmooth = checked ? 1 : 0; });
    QObject::connect(reset, &QPushButton::clicked, window, [dialog] { OnReset(dialog); });
    QObject::connect(ok, &QPushButton::clicked, window, [dialog] { OnOk(dialog); });
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
}

TImageSizeDialog* ImageSize_Create(QWidget* parent, int32_t width, int32_t height) {
    if (width < 1 || height < 1) return SetLastErrorCode(EC_EMPTY_AREA), nullptr;
    auto* dialog = static_cast<TImageSizeDialog*>(std::calloc(1, sizeof(TImageSizeDialog)));
    if (!dialog) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    dialog->FResult = -1;
    dialog->FOrigWidth = dialog->FNewWidth = width;
    dialog->FOrigHeight = dialog->FNewHeight = height;
    dialog->FRatio = float(width) / float(height);
    TIsWindow* window = new TIsWindow(parent, dialog);
    dialog->FHandle = window;
    BuildControls(dialog, window);
    return dialog;
}

TImageSizeDialog* ImageSize_Destroy(TImageSizeDialog* dialog) {
    if (!dialog) return nullptr;
    if (dialog->FHandle) {
        WindowOf(dialog)->Detach();
        delete dialog->FHandle;
    }
    std::free(dialog);
    return nullptr;
}

int ImageSize_Run(QWidget* parent, int32_t width, int32_t height, int32_t* newWidth,
                  int32_t* newHeight, int* smooth) {
    TImageSizeDialog* dialog = ImageSize_Create(parent, width, height);
    if (!dialog) {
        ShowLastError();
        return -1;
    }
    TMainForm* main = TMainForm_Get();
    if (main) TMainForm_EnterDialog(main);
    dialog->FHandle->exec();
    // The main form may have gone while the dialog ran (the program ending).
    main = TMainForm_Get();
    if (main) TMainForm_LeaveDialog(main);
    if (newWidth) *newWidth = dialog->FNewWidth;
    if (newHeight) *newHeight = dialog->FNewHeight;
    if (smooth) *smooth = dialog->FSmooth;
    int result = dialog->FResult;
    ImageSize_Destroy(dialog);
    return result;
}
