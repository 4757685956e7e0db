// The shell's stored settings: the start options (canvas-size preset, grid, palette folder and
// default palette) and the main form's status bar, each read with its default when missing or
// unusable. The key paths and value names are the stored format and never change.
#include "shell/settings.h"

#include <memory>

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "platform/qt/settings.h"

static const char KStartOptionKey[] = "Software\\Velmar\\Mosaiko\\StartOption";
static const char KMainFormKey[] = "Software\\Velmar\\Mosaiko\\MainForm";
// The palette folder is a path and the palette's name one the program writes itself: neither
// is ever cut short or refused for its length.

namespace {
struct KeyCloser {
    void operator()(TSettingsKey* key) const { RegCloseSettingsKey(key); }
};
using TKey = std::unique_ptr<TSettingsKey, KeyCloser>;
} // namespace

static TKey OpenKey(const char* path) {
    return TKey(RegOpenSettingsKey(path));
}

int32_t ReadCanvasPresetIndex() {
    int32_t index = RegReadInt(OpenKey(KStartOptionKey).get(), "CanvasSize", KDefaultSizePreset);
    // An index past the table would pick no preset at all.
    if (index < 0 || index >= KSizePresetCount) return KDefaultSizePreset;
    return index;
}

const TSizePreset& ReadCanvasPreset() {
    return KSizePresets[ReadCanvasPresetIndex()];
}

std::string ReadPaletteFolder() {
    std::string folder =
        RegReadString(OpenKey(KStartOptionKey).get(), "DefaultPaletteFolder", SIZE_MAX, "");
    if (!folder.empty()) return folder;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return documents.toStdString();
}

int FillPaletteList(QComboBox* list) {
    if (!list) return 0;
    std::string stored =
        RegReadString(OpenKey(KStartOptionKey).get(), "DefaultPalette", SIZE_MAX, "");
    QDir folder(QString::fromStdString(ReadPaletteFolder()));
    QStringList names =
        folder.entryList(QStringList{QStringLiteral("*.pal")}, QDir::Files, QDir::Name);
    list->clear();
    list->addItems(names);
    int selected = 0;
    if (!stored.empty())
        selected = list->findText(QString::fromStdString(stored),
                                  Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(names.isEmpty() ? -1 : selected);
    return list->count();
}

int ReadUseGrid() {
    return RegReadInt(OpenKey(KStartOptionKey).get(), "UseGrid", 0) != 0 ? 1 : 0;
}

int ReadStatusBarVisible() {
    return RegReadInt(OpenKey(KMainFormKey).get(), "StatusBarVisible", 0) != 0 ? 1 : 0;
}

void WriteStatusBarVisible(int visible) {
    RegWriteInt(OpenKey(KMainFormKey).get(), "StatusBarVisible", visible ? 1 : 0);
}
