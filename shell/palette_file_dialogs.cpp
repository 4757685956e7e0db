// The Open Palette and palette Save As dialogs: the folder and type boxes they share, the list
// of the palette folder's .pal files, and the checks of a typed name. Messages go through the
// message-box hook. Reads the stored palette folder; never reads, writes or creates a file.
#include "shell/palette_file_dialogs.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/msgbox.h"
#include "shell/dialog_parts.h"
#include "shell/settings.h"

const char* const KPaletteFileType = "Palette Files(*.pal)";

static const char KBadNameText[] = "Enter a unique name that dose not contain \\/:*?\"<>|.";
static const char KReplaceText[] = "File exists - do you want to replace the existing file?";
static const char KForbidden[] = "\\/:*?\"<>|";

namespace {
class TPaletteFileWindow : public QDialog {
  public:
    TPaletteFileWindow(QWidget* owner, const char* title, const char* heading,
                       const char* typeText);

    int32_t FResult = -1; // 0 once a path was chosen
    std::string FPath;    // the answer

  protected:
    // The folder box and the type box, each with its one entry selected.
    QHBoxLayout* CreateBoxes(const char* typeText);
    std::string PathOf(const QString& name) const;

    std::string FFolder; // the palette folder, read when the dialog opened
    QVBoxLayout* FLayout;
};

class TOpenPaletteWindow final : public TPaletteFileWindow {
  public:
    TOpenPaletteWindow(QWidget* owner, const char* typeText);

  private:
    void FillList(QTreeWidget* list);
};

class TSavePaletteWindow final : public TPaletteFileWindow {
  public:
    TSavePaletteWindow(QWidget* owner, const char* typeText);
    void accept() override;

  private:
    QLineEdit* FName; // 1104
};
} // namespace

static QString Id(int id) {
    return QString::number(id);
}

// What a one-entry box shows of the folder: the text after its last separator, so a folder
// given with a trailing separator shows nothing.
static QString FolderCaption(const std::string& folder) {
    QString text = QString::fromStdString(folder);
    return text.mid(text.lastIndexOf(QLatin1Char('/')) + 1);
}

static QComboBox* CreateOneEntryBox(int id, const QString& entry, QWidget* parent) {
    QComboBox* box = new QComboBox(parent);
    box->setObjectName(Id(id));
    box->addItem(entry);
    box->setCurrentIndex(0);
    return box;
}

TPaletteFileWindow::TPaletteFileWindow(QWidget* owner, const char* title, const char* heading,
                                       const char* typeText)
    : QDialog(owner), FFolder(ReadPaletteFolder()) {
    setWindowTitle(QString::fromUtf8(title));
    FLayout = new QVBoxLayout(this);
    FLayout->addWidget(Dialog_CreateHeading(QString::fromUtf8(heading), this));
    FLayout->addWidget(Dialog_CreateSeparator(this));
    FLayout->addLayout(CreateBoxes(typeText));
}

QHBoxLayout* TPaletteFileWindow::CreateBoxes(const char* typeText) {
    QHBoxLayout* row = new QHBoxLayout;
    row->addWidget(CreateOneEntryBox(KPalFolderBox, FolderCaption(FFolder), this), 1);
    row->addWidget(
        CreateOneEntryBox(KPalTypeBox, QString::fromUtf8(typeText ? typeText : ""), this), 1);
    return row;
}

std::string TPaletteFileWindow::PathOf(const QString& name) const {
    std::filesystem::path path =
        std::filesystem::u8path(FFolder) / std::filesystem::u8path(name.toStdString());
    return path.u8string();
}

// ---- Open Palette ----

TOpenPaletteWindow::TOpenPaletteWindow(QWidget* owner, const char* typeText)
    : TPaletteFileWindow(owner, "Open Palette..", "Open", typeText) {
    QTreeWidget* list = new QTreeWidget(this);
    list->setObjectName(Id(KPalFileList));
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Type")});
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(0, KPalNameColumnWidth);
    list->setColumnWidth(1, KPalTypeColumnWidth);
    FillList(list);
    FLayout->addWidget(list, 1);

    QPushButton* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    FLayout->addLayout(buttons);

    // A tap chooses the row; Enter or a double click on the focused row does the same.
    auto choose = [this, list](QTreeWidgetItem* item) {
        if (!item) return;
        list->setCurrentItem(item);
        FPath = PathOf(item->text(0));
        FResult = 0;
        QDialog::accept();
    };
    connect(list, &QTreeWidget::itemClicked, this, choose);
    connect(list, &QTreeWidget::itemActivated, this, choose);
}

// The files as the New dialog lists them: names ending in ".pal" in any case, sorted by name.
// A folder that does not exist lists nothing.
void TOpenPaletteWindow::FillList(QTreeWidget* list) {
    QDir folder(QString::fromStdString(FFolder));
    const QStringList names =
        folder.entryList(QStringList{QStringLiteral("*.pal")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        list->addTopLevelItem(
            new QTreeWidgetItem(QStringList{name, QStringLiteral("Palette File")}));
}

// ---- Save As ----

TSavePaletteWindow::TSavePaletteWindow(QWidget* owner, const char* typeText)
    : TPaletteFileWindow(owner, "Save As", "Save As", typeText) {
    FName = new QLineEdit(this);
    FName->setObjectName(Id(KPalNameBox));
    // What is typed is what is saved: the box holds no more than the name the dialog reads.
    FName->setMaxLength(260);
    FLayout->insertWidget(2, FName);
    FLayout->addStretch(1);
    FLayout->addWidget(Dialog_CreateOkCancel(this));
    FName->setFocus();
}

static bool IsUsableName(const QString& name) {
    if (name.isEmpty()) return false;
    for (const char* c = KForbidden; *c; ++c)
        if (name.contains(QLatin1Char(*c))) return false;
    return true;
}

// Unless the name already ends in ".pal" (in any case) the extension is added.
static QString WithExtension(const QString& name) {
    int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && name.mid(dot).toLower() == QLatin1String(".pal")) return name;
    return name + QStringLiteral(".pal");
}

static bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

void TSavePaletteWindow::accept() {
    QString name = FName->text();
    if (!IsUsableName(name)) {
        MessageBoxShow(this, KBadNameText, "Error", MB_OK | MB_ICONSTOP);
        FName->setFocus();
        return;
    }
    std::string path = PathOf(WithExtension(name));
    if (FileExists(path) && MessageBoxShow(this, KReplaceText, "Save As", MB_YESNO) != IDYES) {
        FName->setFocus();
        return;
    }
    FPath = path;
    FResult = 0;
    QDialog::accept();
}

// ---- Running them ----

QDialog* OpenPaletteDialog_Create(QWidget* owner, const char* typeText) {
    return new TOpenPaletteWindow(owner, typeText);
}

QDialog* SavePaletteDialog_Create(QWidget* owner, const char* typeText) {
    return new TSavePaletteWindow(owner, typeText);
}

int PaletteFileDialog_GetResult(QDialog* dialog, std::string* path) {
    TPaletteFileWindow* self = dynamic_cast<TPaletteFileWindow*>(dialog);
    if (!self || self->FResult != 0) return -1;
    if (path) *path = self->FPath;
    return 0;
}

static int RunDialog(QDialog* made, std::string* path) {
    // The dialog may go with its owner while it runs.
    QPointer<QDialog> dialog = made;
    dialog->exec();
    int answer = dialog ? PaletteFileDialog_GetResult(dialog, path) : -1;
    delete dialog.data();
    return answer;
}

int OpenPaletteDialog_Run(QWidget* owner, const char* typeText, std::string* path) {
    return RunDialog(OpenPaletteDialog_Create(owner, typeText), path);
}

int SavePaletteDialog_Run(QWidget* owner, const char* typeText, std::string* path) {
    return RunDialog(SavePaletteDialog_Create(owner, typeText), path);
}
