// Stored settings over QSettings: one INI file per user (organisation Velmar, application
// Mosaiko), each key path a group of it. Values come back as text from the file, so numbers are
// parsed here and anything that is not a plain 32-bit decimal number reads as missing. Knows
// nothing of which values the program keeps; shell/settings.cpp does.
#include "platform/qt/settings.h"

#include <limits>
#include <new>

#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

struct TSettingsKey {
    QSettings FSettings{QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko"};
    QString FGroup; // "StartOption" for "Software\Velmar\Mosaiko\StartOption"; empty for the root
};

static const char KRootPath[] = "Software\\Velmar\\Mosaiko";

// The group of a key path: what follows the program's root key, with '\' as the separator of
// nested groups. A path outside the root keeps its last component only.
static QString GroupOfPath(const char* path) {
    QString text = QString::fromUtf8(path ? path : "");
    QString root = QString::fromLatin1(KRootPath);
    if (text.compare(root, Qt::CaseInsensitive) == 0) return QString();
    if (text.startsWith(root + '\\', Qt::CaseInsensitive))
        text = text.mid(root.size() + 1);
    else
        text = text.section('\\', -1);
    QStringList parts = text.split('\\', Qt::SkipEmptyParts);
    return parts.join('/');
}

static QString FullName(const TSettingsKey* key, const char* name) {
    QString value = QString::fromUtf8(name ? name : "");
    return key->FGroup.isEmpty() ? value : key->FGroup + '/' + value;
}

// The stored value as text; an unquoted INI value with commas reads as a list, joined back here.
static bool ReadText(TSettingsKey* key, const char* name, QString* text) {
    if (!key || !name) return false;
    QVariant value = key->FSettings.value(FullName(key, name));
    if (!value.isValid()) return false;
    if (value.typeId() == QMetaType::QStringList)
        *text = value.toStringList().join(", ");
    else if (value.canConvert<QString>())
        *text = value.toString();
    else
        return false;
    return true;
}

TSettingsKey* RegOpenSettingsKey(const char* path) {
    TSettingsKey* key = new (std::nothrow) TSettingsKey;
    if (!key) return nullptr;
    key->FGroup = GroupOfPath(path);
    return key;
}

void RegCloseSettingsKey(TSettingsKey* key) {
    if (!key) return;
    key->FSettings.sync();
    delete key;
}

int32_t RegReadInt(TSettingsKey* key, const char* name, int32_t def) {
    QString text;
    if (!ReadText(key, name, &text)) return def;
    bool ok = false;
    qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max())
        return def;
    return static_cast<int32_t>(value);
}

void RegWriteInt(TSettingsKey* key, const char* name, int32_t value) {
    if (!key || !name) return;
    key->FSettings.setValue(FullName(key, name), static_cast<int>(value));
}

std::string RegReadString(TSettingsKey* key, const char* name, size_t maxChars, const char* def) {
    std::string fallback = def ? def : "";
    QString text;
    if (!ReadText(key, name, &text)) return fallback;
    // Characters, not UTF-16 units: a character beyond the first plane is one of them.
    if (maxChars != SIZE_MAX && static_cast<size_t>(text.toUcs4().size()) > maxChars)
        return fallback;
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void RegWriteString(TSettingsKey* key, const char* name, const std::string& text) {
    if (!key || !name) return;
    key->FSettings.setValue(FullName(key, name),
                            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string Settings_Folder() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    return QFileInfo(settings.fileName()).absolutePath().toStdString();
}
