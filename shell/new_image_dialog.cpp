// The New image dialog: a size preset list, a slider, a number box and a spin for each of width
// and height, "Square", and the list of palette files. The controls keep each other in step
// through one synchronising step that ignores the change notices it causes itself, so nothing
// feeds back. Reads the stored settings (canvas preset, palette folder and default palette);
// writes nothing.
#include "shell/new_image_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/dialog_parts.h"
#include "shell/settings.h"
#include "shell/size_presets.h"

enum {
    KSliderMin = 1,
    KSliderMax = 255,
    KSpinMin = 1,
    KSpinMax = 9999,
    KBoxWidth = 56 // pixels: room for four digits
};

namespace {
// An up-down spin bound to a number box: each press reads the box, steps by one within its
// range and writes the number back, so the box's own change notice carries the new value on.
// Its range is kept in the properties "minimum" and "maximum".
class TSpinButtons final : public QWidget {
  public:
    TSpinButtons(QLineEdit* buddy, int id, QWidget* parent);
    void StepBy(int delta);

  private:
    QLineEdit* FBuddy;
};

class TNewImageDialog final : public QDialog {
  public:
    explicit TNewImageDialog(QWidget* owner);
    void accept() override;

    int32_t FResult = -1; // 0 once OK was pressed
    TNewImageResult FAnswer;

  private:
    // The control that caused a change, which the synchronising step does not rewrite.
    enum TCause {
        KCauseList,
        KCauseWidthSlider,
        KCauseHeightSlider,
        KCauseWidthBox,
        KCauseHeightBox
    };
    // Brings the controls to width w and height h; a value below 1 is not given.
    void Synchronise(TCause cause, int w, int h);

    QComboBox* FSizes;      // 1019
    QSlider* FWidthSlider;  // 1028
    QLineEdit* FWidthBox;   // 1024
    QSlider* FHeightSlider; // 1029
    QLineEdit* FHeightBox;  // 1021
    QCheckBox* FSquare;     // 1026
    QComboBox* FPalettes;   // 1059
    bool FSynchronising = false;
};
} // namespace

static QString Id(int id) {
    return QString::number(id);
}

// The box's number as the dialog reads it: digits only; empty or unreadable gives 0.
static int BoxNumber(const QLineEdit* box) {
    bool ok = false;
    int value = box->text().toInt(&ok);
    return ok && value > 0 ? value : 0;
}

TSpinButtons::TSpinButtons(QLineEdit* buddy, int id, QWidget* parent)
    : QWidget(parent), FBuddy(buddy) {
    setObjectName(Id(id));
    setProperty("minimum", int(KSpinMin));
    setProperty("maximum", int(KSpinMax));
    QToolButton* up = new QToolButton(this);
    up->setObjectName(QStringLiteral("up"));
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    QToolButton* down = new QToolButton(this);
    down->setObjectName(QStringLiteral("down"));
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TSpinButtons::StepBy(int delta) {
    int value = BoxNumber(FBuddy) + delta;
    int low = property("minimum").toInt(), high = property("maximum").toInt();
    value = value < low ? low : value > high ? high : value;
    FBuddy->setText(QString::number(value));
}

static QSlider* MakeSlider(int id, QWidget* parent) {
    QSlider* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(Id(id));
    slider->setRange(KSliderMin, KSliderMax);
    return slider;
}

static QLineEdit* MakeNumberBox(int id, QWidget* parent) {
    QLineEdit* box = new QLineEdit(parent);
    box->setObjectName(Id(id));
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setFixedWidth(KBoxWidth);
    return box;
}

TNewImageDialog::TNewImageDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("New File.."));
    QFrame* separator = Dialog_CreateSeparator(this);

    FSizes = new QComboBox(this);
    FSizes->setObjectName(Id(KNewSizeList));
    FWidthSlider = MakeSlider(KNewWidthSlider, this);
    FWidthBox = MakeNumberBox(KNewWidthBox, this);
    TSpinButtons* widthSpin = new TSpinButtons(FWidthBox, KNewWidthSpin, this);
    FHeightSlider = MakeSlider(KNewHeightSlider, this);
    FHeightBox = MakeNumberBox(KNewHeightBox, this);
    TSpinButtons* heightSpin = new TSpinButtons(FHeightBox, KNewHeightSpin, this);
    FSquare = new QCheckBox(QStringLiteral("Square"), this);
    FSquare->setObjectName(Id(KNewSquare));
    FPalettes = new QComboBox(this);
    FPalettes->setObjectName(Id(KNewPaletteList));

    QGridLayout* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Size:"), this), 0, 0);
    grid->addWidget(FSizes, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("(pixels)"), this), 0, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Width:"), this), 1, 0);
    grid->addWidget(FWidthSlider, 1, 1);
    grid->addWidget(FWidthBox, 1, 2);
    grid->addWidget(widthSpin, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Height:"), this), 2, 0);
    grid->addWidget(FHeightSlider, 2, 1);
    grid->addWidget(FHeightBox, 2, 2);
    grid->addWidget(heightSpin, 2, 3);
    grid->addWidget(FSquare, 3, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Palette:"), this), 4, 0);
    grid->addWidget(FPalettes, 4, 1, 1, 3);
    grid->setColumnStretch(1, 1);

    QDialogButtonBox* buttons = Dialog_CreateOkCancel(this);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->addWidget(Dialog_CreateHeading(QStringLiteral("New"), this));
    layout->addWidget(separator);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons);

    for (int i = 0; i < KSizePresetCount; ++i)
        FSizes->addItem(QString::fromUtf8(KSizePresets[i].FLabel));
    FSizes->setCurrentIndex(ReadCanvasPresetIndex());

    connect(FSizes, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < KSizePresetCount)
            Synchronise(KCauseList, KSizePresets[index].FWidth, KSizePresets[index].FHeight);
    });
    connect(FWidthSlider, &QSlider::valueChanged, this,
            [this](int value) { Synchronise(KCauseWidthSlider, value, 0); });
    connect(FHeightSlider, &QSlider::valueChanged, this,
            [this](int value) { Synchronise(KCauseHeightSlider, 0, value); });
    connect(FWidthBox, &QLineEdit::textChanged, this,
            [this] { Synchronise(KCauseWidthBox, BoxNumber(FWidthBox), 0); });
    connect(FHeightBox, &QLineEdit::textChanged, this,
            [this] { Synchronise(KCauseHeightBox, 0, BoxNumber(FHeightBox)); });

    int first = FSizes->currentIndex() >= 0 ? FSizes->currentIndex() : int(KDefaultSizePreset);
    Synchronise(KCauseList, KSizePresets[first].FWidth, KSizePresets[first].FHeight);
    FSquare->setChecked(true);
    FillPaletteList(FPalettes);
    FAnswer.FPaletteFolder = ReadPaletteFolder();
}

void TNewImageDialog::Synchronise(TCause cause, int w, int h) {
    if (FSynchronising) return; // a notice caused by the writes below
    FSynchronising = true;
    if (FSquare->isChecked()) {
        if (w >= 1)
            h = w;
        else if (h >= 1)
            w = h;
    }
    if (w >= 1) {
        if (cause != KCauseWidthBox) FWidthBox->setText(QString::number(w));
        FWidthSlider->setValue(w); // past the range the slider stays at its end
    }
    if (h >= 1) {
        if (cause != KCauseHeightBox) FHeightBox->setText(QString::number(h));
        FHeightSlider->setValue(h);
    }
    FSynchronising = false;
}

void TNewImageDialog::accept() {
    FAnswer.FWidth = BoxNumber(FWidthBox);
    FAnswer.FHeight = BoxNumber(FHeightBox);
    FAnswer.FPaletteName =
        FPalettes->currentIndex() >= 0 ? FPalettes->currentText().toStdString() : std::string();
    FResult = 0;
    QDialog::accept();
}

QDialog* NewImageDialog_Create(QWidget* owner) {
    return new TNewImageDialog(owner);
}

int NewImageDialog_GetResult(QDialog* dialog, TNewImageResult* result) {
    TNewImageDialog* self = dynamic_cast<TNewImageDialog*>(dialog);
    if (!self || self->FResult != 0) return -1;
    if (result) *result = self->FAnswer;
    return 0;
}

int NewImageDialog_Run(QWidget* owner, TNewImageResult* result) {
    // The dialog may go with its owner while it runs.
    QPointer<QDialog> dialog = NewImageDialog_Create(owner);
    dialog->exec();
    int answer = dialog ? NewImageDialog_GetResult(dialog, result) : -1;
    delete dialog.data();
    return answer;
}
