// The Preference dialog: edits the start options (grid for new documents, the canvas-size preset
// and the default palette) and writes them on OK only. The dialog keeps its state in its
// controls; each control's id is its object name. New values take effect where they are next
// read (the next document, the next New image dialog, the next start).
#include "shell/preference_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/settings.h"
#include "shell/dialog_parts.h"
#include "shell/settings.h"
#include "shell/size_presets.h"

static const char KStartOptionKey[] = "Software\\Velmar\\Mosaiko\\StartOption";

namespace {
class TPreferenceDialog final : public QDialog {
  public:
    explicit TPreferenceDialog(QWidget* parent);
    void accept() override;

  private:
    QCheckBox* FUseGrid;      // 1078
    QComboBox* FCanvasSize;   // 1076, the size presets in table order
    QComboBox* FPaletteNames; // 1059, the palette files of the palette folder
};
} // namespace

TPreferenceDialog::TPreferenceDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Preference"));

    QFrame* separator = Dialog_CreateSeparator(this);

    QGroupBox* group = new QGroupBox(QStringLiteral("Start Option"), this);
    FUseGrid = new QCheckBox(QStringLiteral("Use Grid"), group);
    FUseGrid->setObjectName(QStringLiteral("1078"));
    FCanvasSize = new QComboBox(group);
    FCanvasSize->setObjectName(QStringLiteral("1076"));
    FPaletteNames = new QComboBox(group);
    FPaletteNames->setObjectName(QStringLiteral("1059"));

    QGridLayout* options = new QGridLayout(group);
    options->addWidget(FUseGrid, 0, 0, 1, 2);
    options->addWidget(new QLabel(QStringLiteral("Canvas Size:"), group), 1, 0);
    options->addWidget(FCanvasSize, 1, 1);
    options->addWidget(new QLabel(QStringLiteral("Default Palette:"), group), 2, 0);
    options->addWidget(FPaletteNames, 2, 1);
    options->setColumnStretch(1, 1);

    QDialogButtonBox* buttons = Dialog_CreateOkCancel(this);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->addWidget(Dialog_CreateHeading(QStringLiteral("Preference"), this));
    layout->addWidget(separator);
    layout->addWidget(group);
    layout->addStretch(1);
    layout->addWidget(buttons);

    for (int i = 0; i < KSizePresetCount; ++i)
        FCanvasSize->addItem(QString::fromUtf8(KSizePresets[i].FLabel));
    TSettingsKey* key = RegOpenSettingsKey(KStartOptionKey);
    // Unlike a new document, the box offers the grid unless it was turned off.
    FUseGrid->setChecked(RegReadInt(key, "UseGrid", 1) != 0);
    RegCloseSettingsKey(key);
    FCanvasSize->setCurrentIndex(ReadCanvasPresetIndex());
    FillPaletteList(FPaletteNames);
}

void TPreferenceDialog::accept() {
    int size = FCanvasSize->currentIndex();
    QString palette = FPaletteNames->currentIndex() >= 0 ? FPaletteNames->currentText() : QString();
    TSettingsKey* key = RegOpenSettingsKey(KStartOptionKey);
    RegWriteInt(key, "UseGrid", FUseGrid->isChecked() ? 1 : 0);
    RegWriteInt(key, "CanvasSize", size >= 0 ? size : KDefaultSizePreset);
    RegWriteString(key, "DefaultPalette", palette.toStdString());
    RegCloseSettingsKey(key);
    QDialog::accept();
}

QDialog* Preference_CreateDialog(QWidget* parent) {
    return new TPreferenceDialog(parent);
}

int Preference_Run(QWidget* parent) {
    // The dialog may go with its parent while it runs.
    QPointer<QDialog> dialog = Preference_CreateDialog(parent);
    int result = dialog->exec();
    delete dialog.data();
    return result == QDialog::Accepted ? 1 : 0;
}
