// The open and save file dialogs: QFileDialog in its own (non-native) form with the filters the
// file commands offer, and the open dialog's thumbnail of the selected file, read by the image
// preview readers. The chosen name goes back exactly as the dialog gives it. Knows nothing of
// the main form: the owner is whatever window the caller names.
#include "shell/file_dialogs.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <QFileDialog>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include "core/error.h"
#include "core/image.h"
#include "document/work_form.h"
#include "platform/qt/colour.h"

// Qt reads a filter's patterns from its last parentheses, separated by blanks, so each label
// carries its patterns once more in that form; HideNameFilterDetails shows the label alone.
const char* const KOpenFilters[5] = {
    "All Formats(*.bmp,*.jpg,*.ico,*.png) (*.bmp *.jpg *.ico *.png)",
    "Bitmap(*.bmp) (*.bmp)",
    "JPEG(*.jpg,*jpeg) (*.jpg *.jpeg)",
    "Icon(*.ico) (*.ico)",
    "PNG(*.png) (*.png)",
};
const char* const KSaveFilters[4] = {
    "Bitmap(*.bmp) (*.bmp)",
    "JPEG(*.jpg) (*.jpg)",
    "Icon(*.ico) (*.ico)",
    "PNG(*.png) (*.png)",
};

enum { KThumbnailBox = 128 }; // the thumbnail's largest width and height, pixels

// ---- The thumbnail ----

// The picture of a preview; an icon's transparent pixels show the dialog behind.
static QImage PreviewToQImage(const TImage* image) {
    if (!image->FBits || image->FBitsPerPixel != 24) return QImage();
    QImage picture(image->FWidth, image->FHeight, QImage::Format_ARGB32);
    if (picture.isNull()) return picture;
    const TImage* mask = image->FMask && image->FMask->FBits ? image->FMask : nullptr;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int32_t x = 0; x < image->FWidth; ++x) {
            bool visible = !mask || TImage_GetPixelSafe(mask, x, y) != 0;
            row[x] = visible ? Colour_ToQRgb(TImage_GetPixel(image, x, y)) : 0;
        }
    }
    return picture;
}

// The thumbnail of the file at path fitted into the box; a null image when it does not load.
static QImage LoadThumbnail(const QString& path) {
    TImage* image = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!image) return QImage();
    const TRectXYWH box = {0, 0, KThumbnailBox, KThumbnailBox};
    QImage picture;
    int saved = GetLastErrorCode();
    if (TImage_LoadPreview(image, path.toUtf8().constData(), &box) == 0)
        picture = PreviewToQImage(image);
    TImage_Destroy(image);
    SetLastErrorCode(saved); // a file that does not preview is no error of a command
    if (picture.isNull()) return picture;
    if (picture.width() > KThumbnailBox || picture.height() > KThumbnailBox)
        return picture.scaled(KThumbnailBox, KThumbnailBox, Qt::KeepAspectRatio,
                              Qt::FastTransformation);
    // A small icon is enlarged by a whole factor, its pixels kept as sharp blocks.
    int factor = std::min(KThumbnailBox / picture.width(), KThumbnailBox / picture.height());
    if (factor > 1)
        picture = picture.scaled(picture.width() * factor, picture.height() * factor,
                                 Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return picture;
}

static void ShowThumbnail(QLabel* label, const QString& path) {
    QImage picture = path.isEmpty() ? QImage() : LoadThumbnail(path);
    if (picture.isNull())
        label->clear();
    else
        label->setPixmap(QPixmap::fromImage(picture));
}

// ---- The dialogs ----

static QStringList FilterList(const char* const* filters, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::fromUtf8(filters[i]);
    return list;
}

static QFileDialog* CreateFileDialog(QWidget* owner, QFileDialog::AcceptMode mode,
                                     const QStringList& filters) {
    QFileDialog* dialog = new QFileDialog(owner);
    // Qt's own dialog matches patterns in any case; the desktop's may not.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(QString());
    return dialog;
}

QFileDialog* FileDialogs_CreateOpenDialog(QWidget* owner) {
    QFileDialog* dialog =
        CreateFileDialog(owner, QFileDialog::AcceptOpen, FilterList(KOpenFilters, 5));
    dialog->setFileMode(QFileDialog::ExistingFile);
    QLabel* thumbnail = new QLabel(dialog);
    thumbnail->setObjectName(QStringLiteral("thumbnail"));
    thumbnail->setFixedSize(KThumbnailBox + 4, KThumbnailBox + 4);
    thumbnail->setAlignment(Qt::AlignCenter);
    // Qt's own dialog lays itself out on a grid whose second row holds the file list.
    if (QGridLayout* grid = qobject_cast<QGridLayout*>(dialog->layout()))
        grid->addWidget(thumbnail, 1, grid->columnCount(), Qt::AlignTop);
    QObject::connect(dialog, &QFileDialog::currentChanged, thumbnail,
                     [thumbnail](const QString& path) { ShowThumbnail(thumbnail, path); });
    return dialog;
}

QFileDialog* FileDialogs_CreateSaveDialog(QWidget* owner) {
    QFileDialog* dialog =
        CreateFileDialog(owner, QFileDialog::AcceptSave, FilterList(KSaveFilters, 4));
    dialog->setFileMode(QFileDialog::AnyFile);
    return dialog;
}

static bool AskWithDialog(QWidget* owner, int kind, std::string* path) {
    // The dialog may go with its owner while it runs.
    QPointer<QFileDialog> dialog = kind == TFD_OPEN ? FileDialogs_CreateOpenDialog(owner)
                                                    : FileDialogs_CreateSaveDialog(owner);
    bool chosen =
        dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty();
    if (chosen) *path = dialog->selectedFiles().first().toStdString();
    delete dialog.data();
    return chosen;
}

static TAskFileNameProc GAskFileName = AskWithDialog;

TAskFileNameProc FileDialogs_SetAskProc(TAskFileNameProc proc) {
    TAskFileNameProc previous = GAskFileName;
    GAskFileName = proc ? proc : AskWithDialog;
    return previous;
}

bool OpenFileDialog(QWidget* owner, std::string* path) {
    if (!path) return false;
    return GAskFileName(owner, TFD_OPEN, path);
}

bool SaveFileDialog(QWidget* owner, std::string* path) {
    if (!path) return false;
    return GAskFileName(owner, TFD_SAVE, path);
}

bool FileDialogs_AskSaveName(TWorkForm* form, std::string* name) {
    QWidget* owner = form && form->FWindow ? form->FWindow->window() : nullptr;
    return SaveFileDialog(owner, name);
}
