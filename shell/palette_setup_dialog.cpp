// The Palette Setup dialog: its window and controls (each control's id is its object name), the
// working copy of the document's palette and the edits of its primary cell through the channel
// sliders, number boxes and hex box, which keep each other in step through one showing step that
// ignores the change notices it causes itself. Load and Save go through the palette file
// dialogs; OK hands the working palette to the document and the tool bar.
#include "shell/palette_setup_dialog.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/error.h"
#include "core/palette.h"
#include "document/work_form.h"
#include "platform/qt/colour.h"
#include "shell/main_form.h"
#include "shell/palette_file_dialogs.h"
#include "tools/palette_form.h"
#include "tools/tool_bar.h"

enum {
    KChannelMax = 255,
    KHexLength = 6,     // characters the hex box takes
    KHexReadLength = 8, // characters a change reads from it
    KSwatchWidth = 24,
    KSwatchHeight = 18,
    KBoxWidth = 64
};

// The control that caused a change, which the showing step does not rewrite.
enum TCause { KCauseSlider, KCauseBox, KCauseHex };

namespace {
// An owner-drawn swatch: its colour inside a black frame. The colour is also the property
// "colour" (0x00BBGGRR).
class TSwatch final : public QWidget {
  public:
    TSwatch(int id, QWidget* parent) : QWidget(parent) {
        setObjectName(QString::number(id));
        setFixedSize(KSwatchWidth, KSwatchHeight);
        SetColour(0);
    }
    void SetColour(uint32_t colour) {
        FColour = colour & 0xFFFFFF;
        setProperty("colour", uint(FColour));
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.fillRect(rect().adjusted(1, 1, -1, -1), Colour_ToQColor(FColour));
    }

  private:
    uint32_t FColour = 0;
};

// A channel's number box with its spin: any number may be typed (the dialog holds what it reads
// at 255); the arrows step within 0..255.
class TChannelSpin final : public QSpinBox {
  public:
    TChannelSpin(QWidget* parent, int boxId) : QSpinBox(parent) {
        lineEdit()->setObjectName(QString::number(boxId));
        setRange(INT_MIN, INT_MAX);
        setFixedWidth(KBoxWidth);
    }
    QLineEdit* Edit() const { return lineEdit(); }
    void stepBy(int steps) override {
        setValue(int(std::clamp<int64_t>(int64_t(value()) + steps, 0, KChannelMax)));
    }

  protected:
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() < KChannelMax) enabled |= StepUpEnabled;
        if (value() > 0) enabled |= StepDownEnabled;
        return enabled;
    }
};

class TPsWindow final : public QDialog {
  public:
    TPsWindow(QWidget* parent, TPaletteSetupDialog* record) : QDialog(parent), FRecord(record) {}
    ~TPsWindow() override {
        if (FRecord) FRecord->FHandle = nullptr;
    }
    void Detach() { FRecord = nullptr; }
    void accept() override;
    // Cancel, Escape and the close button alike.
    void reject() override {
        if (FRecord) FRecord->FResult = -1;
        QDialog::reject();
    }

    TSwatch* FSwatches[3] = {};
    QSlider* FSliders[3] = {};
    TChannelSpin* FBoxes[3] = {};
    QLineEdit* FHex = nullptr;  // 1013
    TSwatch* FColour = nullptr; // 1049

  private:
    TPaletteSetupDialog* FRecord;
};
} // namespace

static const int32_t KChannelIds[3][3] = {{KPsRedSwatch, KPsRedSlider, KPsRedBox},
                                          {KPsGreenSwatch, KPsGreenSlider, KPsGreenBox},
                                          {KPsBlueSwatch, KPsBlueSlider, KPsBlueBox}};

static TPsWindow* WindowOf(TPaletteSetupDialog* dialog) {
    return static_cast<TPsWindow*>(dialog->FHandle);
}

static uint32_t Primary(TPaletteSetupDialog* dialog) {
    return PaletteForm_GetPrimaryColour(dialog->FGrid);
}

// Brings the controls of channel k (red 0, green 1, blue 2) to the primary colour, all but the
// one that caused the change. The caller holds FShowing.
static void ShowChannel(TPaletteSetupDialog* dialog, int k, TCause cause) {
    TPsWindow* window = WindowOf(dialog);
    uint32_t c = Primary(dialog);
    int value = int((c >> (8 * k)) & 0xFF);
    window->FSwatches[k]->SetColour(uint32_t(value) << (8 * k));
    if (cause != KCauseSlider) window->FSliders[k]->setValue(value);
    if (cause != KCauseBox) window->FBoxes[k]->Edit()->setText(QString::number(value));
    window->FColour->SetColour(c);
    if (cause != KCauseHex) {
        uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        window->FHex->setText(QString::asprintf("%06x", unsigned(rgb)));
    }
}

// After a grid tap, Default and Load: every control shows the primary cell.
static void Refresh(TPaletteSetupDialog* dialog) {
    dialog->FShowing = 1;
    ShowChannel(dialog, 0, KCauseBox);
    for (int k = 0; k < 3; ++k)
        ShowChannel(dialog, k, KCauseHex);
    dialog->FShowing = 0;
}

static void StoreChannel(TPaletteSetupDialog* dialog, int k, int value, TCause cause) {
    if (dialog->FShowing) return; // a notice caused by the showing step
    dialog->FShowing = 1;
    uint32_t c = Primary(dialog) & ~(0xFFu << (8 * k));
    PaletteForm_SetPrimaryColour(dialog->FGrid, c | (uint32_t(value) << (8 * k)));
    ShowChannel(dialog, k, cause);
    PaletteForm_Redraw(dialog->FGrid);
    dialog->FShowing = 0;
}

static void OnSlider(TPaletteSetupDialog* dialog, int k) {
    StoreChannel(dialog, k, WindowOf(dialog)->FSliders[k]->value(), KCauseSlider);
}

// Text that is no number yet (empty, a lone sign) changes nothing; out of range is 255.
static void OnBox(TPaletteSetupDialog* dialog, int k) {
    if (dialog->FShowing) return;
    bool ok = false;
    qlonglong value = WindowOf(dialog)->FBoxes[k]->Edit()->text().trimmed().toLongLong(&ok);
    if (!ok) return;
    if (value < 0 || value > KChannelMax) value = KChannelMax;
    StoreChannel(dialog, k, int(value), KCauseBox);
}

// The box reads as a hex number with red in the top byte; the first character that is no hex
// digit ends it. An empty box changes nothing.
static void OnHex(TPaletteSetupDialog* dialog) {
    if (dialog->FShowing) return;
    QString text = WindowOf(dialog)->FHex->text().left(KHexReadLength);
    if (text.isEmpty()) return;
    unsigned long rgb = std::strtoul(text.toLatin1().constData(), nullptr, 16);
    uint32_t c =
        uint32_t((rgb >> 16) & 0xFF) | uint32_t(rgb & 0xFF00) | uint32_t((rgb & 0xFF) << 16);
    dialog->FShowing = 1;
    PaletteForm_SetPrimaryColour(dialog->FGrid, c);
    for (int k = 2; k >= 0; --k)
        ShowChannel(dialog, k, KCauseHex);
    PaletteForm_Redraw(dialog->FGrid);
    dialog->FShowing = 0;
}

static void OnDefault(TPaletteSetupDialog* dialog) {
    std::memcpy(dialog->FWorking, dialog->FOriginal, sizeof dialog->FWorking);
    PaletteForm_Redraw(dialog->FGrid);
    Refresh(dialog);
}

static void OnGradient(TPaletteSetupDialog* dialog) {
    if (PaletteSetup_Gradient(dialog->FWorking, dialog->FGrid->FRangeStart,
                              dialog->FGrid->FRangeEnd) == 0)
        PaletteForm_ClearRange(dialog->FGrid); // redraws the grid
}

// A file of fewer than 256 colours leaves the rest of the palette black.
static void OnLoad(TPaletteSetupDialog* dialog) {
    std::string path;
    if (OpenPaletteDialog_Run(dialog->FHandle, KPaletteFileType, &path) != 0) return;
    int count = ReadPaletteFile(dialog->FWorking, path.c_str());
    if (count < 0)
        ShowLastError();
    else if (count < KPaletteSize)
        std::memset(dialog->FWorking + count, 0, (KPaletteSize - count) * sizeof(TPaletteEntry));
    ClearLastErrorCode();
    PaletteForm_Redraw(dialog->FGrid);
    Refresh(dialog);
}

static void OnSave(TPaletteSetupDialog* dialog) {
    std::string path;
    if (SavePaletteDialog_Run(dialog->FHandle, KPaletteFileType, &path) != 0) return;
    if (WritePaletteFile(dialog->FWorking, KPaletteSize, path.c_str()) != 0) ShowLastError();
}

static void OnGridCommand(PaletteForm*, int32_t id, void* userData) {
    if (id == KPsGridId) Refresh(static_cast<TPaletteSetupDialog*>(userData));
}

// The tool bar compares its swatches with the palette they were picked from, so it is given
// the palette as it was just before the copy.
void TPsWindow::accept() {
    if (FRecord) {
        TPaletteSetupDialog* dialog = FRecord;
        dialog->FResultColour = Primary(dialog);
        if (TWorkForm* form = dialog->FForm) {
            TPaletteEntry before[KPaletteSize];
            std::memcpy(before, form->FPalette, sizeof before);
            std::memcpy(form->FPalette, dialog->FWorking, sizeof form->FPalette);
            // An icon is saved with its palette: a changed one must not go unsaved unasked.
            if (std::memcmp(before, form->FPalette, sizeof before) != 0) form->FFormModified = 1;
            TToolBar_ReselectPalette(before);
        }
        dialog->FResult = 0;
    }
    QDialog::accept();
}

static QPushButton* CreateButton(const char* text, QWidget* parent) {
    QPushButton* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

static QGridLayout* CreateChannelRows(TPaletteSetupDialog* dialog, TPsWindow* window) {
    QGridLayout* rows = new QGridLayout;
    for (int k = 0; k < 3; ++k) {
        window->FSwatches[k] = new TSwatch(dialog->FChannels[k][KPsSwatch], window);
        QSlider* slider = new QSlider(Qt::Horizontal, window);
        slider->setObjectName(QString::number(dialog->FChannels[k][KPsSlider]));
        slider->setRange(0, KChannelMax);
        window->FSliders[k] = slider;
        window->FBoxes[k] = new TChannelSpin(window, dialog->FChannels[k][KPsBox]);
        rows->addWidget(window->FSwatches[k], k, 0);
        rows->addWidget(slider, k, 1, 1, 2);
        rows->addWidget(window->FBoxes[k], k, 3);
        QObject::connect(slider, &QSlider::valueChanged, window,
                         [dialog, k] { OnSlider(dialog, k); });
        QObject::connect(window->FBoxes[k]->Edit(), &QLineEdit::textChanged, window,
                         [dialog, k] { OnBox(dialog, k); });
    }
    window->FHex = new QLineEdit(window);
    window->FHex->setObjectName(QString::number(KPsHexBox));
    window->FHex->setMaxLength(KHexLength);
    window->FHex->setFixedWidth(KBoxWidth);
    window->FColour = new TSwatch(KPsColourSwatch, window);
    rows->addWidget(new QLabel(QStringLiteral("#"), window), 3, 0, Qt::AlignRight);
    rows->addWidget(window->FHex, 3, 1);
    rows->addWidget(window->FColour, 3, 3);
    rows->setColumnStretch(2, 1);
    rows->setRowStretch(4, 1);
    QObject::connect(window->FHex, &QLineEdit::textChanged, window, [dialog] { OnHex(dialog); });
    return rows;
}

static QHBoxLayout* CreateButtons(TPaletteSetupDialog* dialog, TPsWindow* window) {
    QHBoxLayout* row = new QHBoxLayout;
    struct {
        const char* FText;
        void (*FProc)(TPaletteSetupDialog*);
    } const actions[] = {
        {"Load", OnLoad}, {"Save", OnSave}, {"Default", OnDefault}, {"Gradient", OnGradient}};
    for (const auto& action : actions) {
        QPushButton* button = CreateButton(action.FText, window);
        auto proc = action.FProc;
        QObject::connect(button, &QPushButton::clicked, window, [dialog, proc] { proc(dialog); });
        row->addWidget(button);
    }
    row->addStretch(1);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setDefault(true);
    QPushButton* cancel = CreateButton("Cancel", window);
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

static int CreateGrid(TPaletteSetupDialog* dialog, TPsWindow* window) {
    dialog->FGrid = PaletteForm_Create(window, KPsGridId);
    if (!dialog->FGrid) return -1;
    if (PaletteForm_SetGrid(dialog->FGrid, KPsCells, KPsCells, KPsCellSide, KPsCellSide) != 0) {
        dialog->FGrid = PaletteForm_Destroy(dialog->FGrid);
        return -1;
    }
    dialog->FGrid->FHandle->setFixedSize(KPsCells * KPsCellSide, KPsCells * KPsCellSide);
    PaletteForm_SetPickTarget(dialog->FGrid, 0);
    PaletteForm_SetRangeMode(dialog->FGrid, 1);
    PaletteForm_SetEntries(dialog->FGrid, dialog->FWorking);
    PaletteForm_SetCommandProc(dialog->FGrid, OnGridCommand, dialog);
    return 0;
}

TPaletteSetupDialog* PaletteSetup_Create(QWidget* parent, TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    auto* dialog = static_cast<TPaletteSetupDialog*>(std::calloc(1, sizeof(TPaletteSetupDialog)));
    if (!dialog) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    dialog->FResult = -1;
    dialog->FForm = form;
    std::memcpy(dialog->FChannels, KChannelIds, sizeof dialog->FChannels);
    std::memcpy(dialog->FWorking, form->FPalette, sizeof dialog->FWorking);
    std::memcpy(dialog->FOriginal, form->FPalette, sizeof dialog->FOriginal);

    TPsWindow* window = new TPsWindow(parent, dialog);
    dialog->FHandle = window;
    window->setWindowTitle(QStringLiteral("Palette Setup"));
    if (CreateGrid(dialog, window) != 0) {
        int error = GetLastErrorCode();
        PaletteSetup_Destroy(dialog);
        SetLastErrorCode(error);
        return nullptr;
    }
    QHBoxLayout* top = new QHBoxLayout;
    top->addWidget(dialog->FGrid->FHandle, 0, Qt::AlignTop);
    top->addLayout(CreateChannelRows(dialog, window), 1);
    QVBoxLayout* layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addLayout(CreateButtons(dialog, window));
    Refresh(dialog);
    return dialog;
}

TPaletteSetupDialog* PaletteSetup_Destroy(TPaletteSetupDialog* dialog) {
    if (!dialog) return nullptr;
    dialog->FGrid = PaletteForm_Destroy(dialog->FGrid);
    if (dialog->FHandle) {
        WindowOf(dialog)->Detach();
        delete dialog->FHandle;
    }
    std::free(dialog);
    return nullptr;
}

int PaletteSetup_Gradient(TPaletteEntry* entries, int32_t a, int32_t b) {
    if (!entries || a < 0 || b >= KPaletteSize || b - a < 2) return -1;
    double n = double(b - a + 1);
    uint8_t TPaletteEntry::*const channels[3] = {&TPaletteEntry::FRed, &TPaletteEntry::FGreen,
                                                 &TPaletteEntry::FBlue};
    for (auto channel : channels) {
        double first = entries[a].*channel;
        double step = (double(entries[b].*channel) - first + 1.0) / n;
        // Every value lies between the two ends, so the truncation always fits a byte.
        for (int32_t k = 1; k < b - a; ++k)
            entries[a + k].*channel = uint8_t(unsigned(first + k * step));
    }
    return 0;
}

int PaletteSetup_Run(uint32_t* resultColour) {
    TWorkForm* form = TWorkForm_GetActive();
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    // Over whatever dialog is running it (the text tool's), else over the main window.
    TMainForm* main = TMainForm_Get();
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent && main) parent = main->FHandle;
    TPaletteSetupDialog* dialog = PaletteSetup_Create(parent, form);
    if (!dialog) {
        ShowLastError();
        return -1;
    }
    if (main) TMainForm_EnterDialog(main);
    dialog->FHandle->exec();
    // The main form may have gone while the dialog ran (the program ending).
    main = TMainForm_Get();
    if (main) TMainForm_LeaveDialog(main);
    int result = dialog->FResult;
    if (result == 0 && resultColour) *resultColour = dialog->FResultColour;
    PaletteSetup_Destroy(dialog);
    return result;
}
