// Finding, offering and putting aside the recovery copy at start. The question and the report
// go through the message-box hook with the program's name as caption (no file name, which the
// copy may not even have). Reading uses the checked reader of core/recovery_copy.
#include "shell/recovery.h"

#include <unistd.h>

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "core/error.h"
#include "core/recovery_copy.h"
#include "platform/msgbox.h"
#include "platform/qt/single_instance.h"
#include "shell/strings.h"

const char* const KRecoveryDamagedSuffix = ".damaged";

static const char KQuestion[] = "Mosaiko was not closed properly. Recover the unsaved picture?";
static const char KDamaged[] = "The recovery file is damaged and was not opened.";

std::string Recovery_Folder() {
    QString folder =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/recovery";
    // The copies hold the user's pictures: nobody else may read them.
    if (!QDir(folder).exists() && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFile::encodeName(folder).toStdString();
}

std::string Recovery_CopyPath() {
    std::string name = SingleInstance_Key();
    if (!SingleInstance_IsListening()) name += "-" + std::to_string(long(getpid()));
    return Recovery_Folder() + "/" + name + ".rcv";
}

TRecoveryCopy* Recovery_Offer() {
    if (!SingleInstance_IsListening()) return nullptr; // its editor may still run
    const std::string path = Recovery_CopyPath();
    if (!QFile::exists(QFile::decodeName(path.c_str()))) return nullptr;
    const char* caption = String_Load(KStrProgramName);
    TRecoveryCopy* copy = RecoveryCopy_Load(path.c_str());
    if (!copy) {
        // Kept for whoever wants to look at it, out of the way of this editor's own copy.
        const int code = GetLastErrorCode();
        std::rename(path.c_str(), (path + KRecoveryDamagedSuffix).c_str());
        if (code == EC_NO_MEMORY)
            ShowLastError();
        else
            MessageBoxShow(nullptr, KDamaged, caption, MB_OK | MB_ICONWARNING);
        ClearLastErrorCode();
        return nullptr;
    }
    if (MessageBoxShow(nullptr, KQuestion, caption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        return copy;
    TRecoveryCopy_Destroy(copy);
    std::remove(path.c_str());
    ClearLastErrorCode();
    return nullptr;
}
