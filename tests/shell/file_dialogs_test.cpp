// The open and save dialogs: their filters exactly as the user reads them, matching that ignores
// case, no suffix ever added to a typed name, the open dialog's thumbnail, and the replaceable
// asker the file commands go through.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include "core/error.h"
#include "shell/file_dialogs.h"
#include "support/test_support.h"

namespace {

QStringList Strings(const char* const* texts, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << texts[i];
    return list;
}

QStringList ComboTexts(QFileDialog* dialog) {
    QComboBox* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    QStringList texts;
    for (int i = 0; types && i < types->count(); ++i)
        texts << types->itemText(i);
    return texts;
}

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

// The names the dialog's list shows (sorted), waiting up to two seconds for them to become
// expected: the folder is read and filtered in the background.
QStringList ListedNames(QFileDialog* dialog, const QStringList& expected) {
    QListView* view = dialog->findChild<QListView*>("listView");
    if (!view) return {};
    QStringList names;
    for (int tries = 0; tries < 200; ++tries) {
        QApplication::processEvents();
        names.clear();
        QModelIndex root = view->rootIndex();
        for (int r = 0; r < view->model()->rowCount(root); ++r)
            names << view->model()->index(r, 0, root).data().toString();
        names.sort();
        if (names == expected) break;
        QTest::qWait(10);
    }
    return names;
}

TEST(FileDialogs, OpenDialog_ShowsItsFiveFiltersAsDefined) {
    std::unique_ptr<QFileDialog> dialog(FileDialogs_CreateOpenDialog(nullptr));
    EXPECT_EQ(dialog->nameFilters(),
              QStringList({"All Formats(*.bmp,*.jpg,*.ico,*.png) (*.bmp *.jpg *.ico *.png)",
                           "Bitmap(*.bmp) (*.bmp)", "JPEG(*.jpg,*jpeg) (*.jpg *.jpeg)",
                           "Icon(*.ico) (*.ico)", "PNG(*.png) (*.png)"}));
    EXPECT_EQ(dialog->nameFilters(), Strings(KOpenFilters, 5));
    // The user reads each label exactly as defined.
    EXPECT_EQ(ComboTexts(dialog.get()),
              QStringList({"All Formats(*.bmp,*.jpg,*.ico,*.png)", "Bitmap(*.bmp)",
                           "JPEG(*.jpg,*jpeg)", "Icon(*.ico)", "PNG(*.png)"}));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
    EXPECT_EQ(dialog->selectedNameFilter(), "All Formats(*.bmp,*.jpg,*.ico,*.png)"); // as shown
}

TEST(FileDialogs, SaveDialog_ShowsItsFourFiltersAsDefined) {
    std::unique_ptr<QFileDialog> dialog(FileDialogs_CreateSaveDialog(nullptr));
    EXPECT_EQ(dialog->nameFilters(), QStringList({"Bitmap(*.bmp) (*.bmp)", "JPEG(*.jpg) (*.jpg)",
                                                  "Icon(*.ico) (*.ico)", "PNG(*.png) (*.png)"}));
    EXPECT_EQ(dialog->nameFilters(), Strings(KSaveFilters, 4));
    EXPECT_EQ(ComboTexts(dialog.get()),
              QStringList({"Bitmap(*.bmp)", "JPEG(*.jpg)", "Icon(*.ico)", "PNG(*.png)"}));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
}

TEST(FileDialogs, OpenDialog_AllFormatsMatchesExtensionsInAnyCase) {
    QString folder = QString::fromStdString(TestTempDir());
    for (const char* name : {"x.JPG", "y.Ico", "v.jpeg", "w.Bmp", "z.png", "notes.txt"})
        Touch(folder + "/" + name);
    std::unique_ptr<QFileDialog> dialog(FileDialogs_CreateOpenDialog(nullptr));
    dialog->setDirectory(folder);
    dialog->show();
    const QStringList all = {"w.Bmp", "x.JPG", "y.Ico", "z.png"}, jpeg = {"v.jpeg", "x.JPG"},
                      icon = {"y.Ico"};
    EXPECT_EQ(ListedNames(dialog.get(), all), all);
    dialog->selectNameFilter(KOpenFilters[2]);
    EXPECT_EQ(ListedNames(dialog.get(), jpeg), jpeg);
    dialog->selectNameFilter(KOpenFilters[3]);
    EXPECT_EQ(ListedNames(dialog.get(), icon), icon);
}

// A typed name goes back as typed, whatever filter is shown.
TEST(FileDialogs, SaveDialog_NeverAddsASuffix) {
    QString folder = QString::fromStdString(TestTempDir());
    for (int filter = 0; filter < 4; ++filter) {
        std::unique_ptr<QFileDialog> dialog(FileDialogs_CreateSaveDialog(nullptr));
        dialog->setDirectory(folder);
        dialog->selectNameFilter(KSaveFilters[filter]);
        dialog->open();
        QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("picture");
        static_cast<QDialog*>(dialog.get())->accept(); // as the Save button does
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        ASSERT_EQ(dialog->selectedFiles().size(), 1);
        EXPECT_EQ(QFileInfo(dialog->selectedFiles().first()).fileName(), "picture") << filter;
    }
}

// ---- The thumbnail ----

QLabel* Thumbnail(QFileDialog* dialog) {
    return dialog->findChild<QLabel*>("thumbnail");
}

TEST(FileDialogs, OpenDialog_ShowsAThumbnailOfTheSelectedFile) {
    std::unique_ptr<QFileDialog> dialog(FileDialogs_CreateOpenDialog(nullptr));
    QLabel* thumbnail = Thumbnail(dialog.get());
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_TRUE(thumbnail->pixmap().isNull());

    // Small pictures show whole, the right way up, in their colours, enlarged by a whole
    // factor into the box.
    for (const char* name : {"bmp-24bit-im3-33x9.bmp", "bmp-32bit-pil-rgba-5x4.bmp",
                             "bmp-16bit-hand-565-bitfields-9x4.bmp"}) {
        std::string bmp = SharedDir() + "/corpus/bmp/" + name;
        ImagePtr original(TImage_Create(1, 1, 24, 0));
        ASSERT_EQ(TImage_LoadFile(original.get(), bmp.c_str()), 0) << name;
        emit dialog->currentChanged(QString::fromStdString(bmp));
        QImage shown = thumbnail->pixmap().toImage();
        int factor = std::min(128 / original->FWidth, 128 / original->FHeight);
        ASSERT_EQ(shown.size(), QSize(original->FWidth, original->FHeight) * factor) << name;
        for (int y : {0, original->FHeight - 1})
            for (int x : {0, original->FWidth - 1}) {
                uint32_t c = TImage_GetPixel(original.get(), x, y);
                for (int corner : {0, factor - 1})
                    EXPECT_EQ(shown.pixel(x * factor + corner, y * factor + corner) & 0xFFFFFFu,
                              ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF))
                        << name << " " << x << "," << y;
            }
    }

    // An icon's transparent pixels let the dialog show through.
    std::string ico = SharedDir() + "/corpus/ico/ico-bmp-hand-multi-4-8-32bit.ico";
    emit dialog->currentChanged(QString::fromStdString(ico));
    QImage shown = thumbnail->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(128, 128));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(shown.pixel(127, 127)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(119, 119)), 255); // pixel (14, 14)

    // A large picture is reduced into the box.
    std::string big = SharedDir() + "/corpus/ico/ico-im-256png-and-16.ico";
    emit dialog->currentChanged(QString::fromStdString(big));
    EXPECT_EQ(thumbnail->pixmap().size(), QSize(128, 128));

    // What does not load shows nothing, and is no error.
    QString junk = QString::fromStdString(TestTempDir()) + "/junk.bmp";
    Touch(junk);
    ClearLastErrorCode();
    emit dialog->currentChanged(junk);
    EXPECT_TRUE(thumbnail->pixmap().isNull());
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
}

} // namespace
