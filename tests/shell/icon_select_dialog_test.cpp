// The icon selection dialog: its rows for BMP-style and PNG entries, its title, list and preview
// placement, the preview that pans only over a picture larger than itself, the answers of Open
// and Cancel, and a file whose entry cannot be read.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "platform/msgbox.h"
#include "shell/icon_select_dialog.h"
#include "shell/preview_control.h"
#include "support/test_support.h"

#include "shell/dialog_test_support.h"

namespace {

std::string Corpus(const char* name) {
    return SharedDir() + "/corpus/ico/" + name;
}

struct DialogDeleter {
    void operator()(TIconSelectDialog* dialog) const { IconSelectDialog_Destroy(dialog); }
};
using DialogPtr = std::unique_ptr<TIconSelectDialog, DialogDeleter>;

QStringList Rows(TIconSelectDialog* dialog) {
    QStringList rows;
    for (int i = 0; i < dialog->FList->topLevelItemCount(); ++i)
        rows << dialog->FList->topLevelItem(i)->text(0);
    return rows;
}

TEST(IconSelectDialog, ThreeBmpEntries_ListThreeRowsWithTheirColours) {
    DialogPtr dialog(
        IconSelectDialog_Create(nullptr, Corpus("ico-bmp-hand-multi-4-8-32bit.ico").c_str()));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Rows(dialog.get()), QStringList({"16 x 16, 16 colors", "32 x 32, 256 colors",
                                               "48 x 48, True Color(32 bits)"}));
    ASSERT_EQ(dialog->FSurfaces.size(), 3u);
    EXPECT_EQ(dialog->FSurfaces[2]->FWidth, 48);
    EXPECT_EQ(dialog->FSelected, 0);
    EXPECT_EQ(dialog->FItem, 0);

    // Title, list and preview as the dialog has always had them.
    QDialog* window = dialog->FHandle;
    EXPECT_EQ(window->windowTitle(), "Icon Selection");
    QLabel* title = window->findChild<QLabel*>("title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Icon Selection");
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(dialog->FList->headerItem()->text(0), "Icon");
    EXPECT_EQ(dialog->FList->columnCount(), 1);
    EXPECT_EQ(dialog->FList->columnWidth(0), 200);
    EXPECT_EQ(dialog->FPreview->FHandle->geometry(), QRect(12, 132, 130, 130));
    EXPECT_NE(Button(window, "Open"), nullptr);
    EXPECT_NE(Button(window, "Cancel"), nullptr);
}

// PNG entries are described from their own header; the icon reader already gives the picture's
// height, so a 256 x 256 entry reads as such.
TEST(IconSelectDialog, PngEntries_ListTheirOwnSizeAndDepth) {
    DialogPtr dialog(
        IconSelectDialog_Create(nullptr, Corpus("ico-png-hand-mixed-16-256-32.ico").c_str()));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Rows(dialog.get()),
              QStringList({"16 x 16, True Color(32 bits)", "256 x 256, True Color(24 bits)",
                           "32 x 32, True Color(32 bits)"}));
    DialogPtr other(IconSelectDialog_Create(nullptr, Corpus("ico-im-256png-and-16.ico").c_str()));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Rows(other.get()),
              QStringList({"256 x 256, True Color(32 bits)", "16 x 16, True Color(32 bits)"}));
    DialogPtr high(
        IconSelectDialog_Create(nullptr, Corpus("ico-bmp-hand-16bit-555-16.ico").c_str()));
    ASSERT_NE(high, nullptr);
    EXPECT_EQ(Rows(high.get()), QStringList({"16 x 16, High Color(16 bits)"}));
}

// The preview's pixel (x, y) against the chosen image at the view offset.
void ExpectPreviewShowsOffset(TIconSelectDialog* dialog) {
    TLayer* buffer = PreviewControl_GetBuffer(dialog->FPreview);
    ASSERT_NE(buffer, nullptr);
    TLayer* surface = dialog->FSurfaces[size_t(dialog->FItem)];
    for (int32_t y : {0, buffer->FHeight - 1})
        for (int32_t x : {0, buffer->FWidth - 1})
            EXPECT_EQ(TImage_GetPixel(buffer->FImage, x, y),
                      TImage_GetPixel(surface->FImage, x + dialog->FOffsetX, y + dialog->FOffsetY))
                << x << "," << y;
}

TEST(IconSelectDialog, Preview_PansOnlyOverALargerPicture) {
    DialogPtr dialog(
        IconSelectDialog_Create(nullptr, Corpus("ico-png-hand-mixed-16-256-32.ico").c_str()));
    ASSERT_NE(dialog, nullptr);
    dialog->FHandle->show();
    PreviewControl* preview = dialog->FPreview;

    // 16 x 16 fits: shown whole, a drag moves nothing.
    TLayer* buffer = PreviewControl_GetBuffer(preview);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->FWidth, 16);
    PreviewControl_StylusDown(preview, 60, 60);
    PreviewControl_StylusMove(preview, 40, 30);
    PreviewControl_StylusUp(preview, 40, 30);
    EXPECT_EQ(dialog->FOffsetX, 0);
    EXPECT_EQ(dialog->FOffsetY, 0);
    ExpectPreviewShowsOffset(dialog.get());
    // Around the small picture the preview is white.
    QImage shot = preview->FHandle->grab().toImage();
    EXPECT_EQ(shot.pixel(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(shot.width() - 3, shot.height() - 3), 0xFFFFFFFFu);

    // 256 x 256 fills the client (128 x 128); dragging left and up moves the view right and down.
    dialog->FList->setCurrentItem(dialog->FList->topLevelItem(1));
    EXPECT_EQ(dialog->FSelected, 1);
    buffer = PreviewControl_GetBuffer(preview);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->FWidth, 128);
    EXPECT_EQ(buffer->FHeight, 128);
    EXPECT_EQ(dialog->FOffsetX, 0);
    PreviewControl_StylusDown(preview, 100, 100);
    PreviewControl_StylusMove(preview, 70, 90);
    EXPECT_EQ(dialog->FOffsetX, 30);
    EXPECT_EQ(dialog->FOffsetY, 10);
    ExpectPreviewShowsOffset(dialog.get());
    // ... never past the picture's edges.
    PreviewControl_StylusMove(preview, -500, 95);
    PreviewControl_StylusUp(preview, -500, 200);
    EXPECT_EQ(dialog->FOffsetX, 128);
    EXPECT_EQ(dialog->FOffsetY, 0);
    ExpectPreviewShowsOffset(dialog.get());

    // Choosing a row starts again at the top-left.
    dialog->FList->setCurrentItem(dialog->FList->topLevelItem(0));
    dialog->FList->setCurrentItem(dialog->FList->topLevelItem(1));
    EXPECT_EQ(dialog->FOffsetX, 0);
    EXPECT_EQ(dialog->FOffsetY, 0);
}

// Answers the modal dialog once it runs (for a second at most): chooses row (when 0 or more)
// and presses button.
void AnswerWhenShown(int row, const QString& button, int tries = 100) {
    QTimer::singleShot(10, [row, button, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (tries > 0) AnswerWhenShown(row, button, tries - 1);
            return;
        }
        if (QTreeWidget* list = modal->findChild<QTreeWidget*>("icons"); list && row >= 0)
            list->setCurrentItem(list->topLevelItem(row));
        if (QPushButton* pressed = Button(modal, button)) pressed->click();
    });
}

TEST(IconSelectDialog, Run_AnswersTheChosenIndexOrMinusOne) {
    std::string path = Corpus("ico-bmp-hand-multi-4-8-32bit.ico");
    AnswerWhenShown(2, "Open");
    EXPECT_EQ(IconSelectDialog_Run(path.c_str()), 2);
    AnswerWhenShown(-1, "Open");
    EXPECT_EQ(IconSelectDialog_Run(path.c_str()), 0);
    AnswerWhenShown(1, "Cancel");
    EXPECT_EQ(IconSelectDialog_Run(path.c_str()), -1);
}

// An entry that cannot be read ends the dialog before it shows, with the error shown.
TEST(IconSelectDialog, UnreadableEntry_ShowsTheErrorAndAnswersMinusOne) {
    std::vector<uint8_t> bytes = ReadWholeFile(Corpus("ico-bmp-hand-multi-4-8-32bit.ico"));
    // The third directory entry's offset points past the end of the file.
    const size_t offsetField = 6 + 2 * 16 + 12;
    bytes[offsetField] = bytes[offsetField + 1] = bytes[offsetField + 2] = 0xFF;
    std::string path = TestTempDir() + "/far.ico";
    WriteWholeFile(path, bytes);
    ClearLastErrorCode();
    ASSERT_EQ(DialogPtr(IconSelectDialog_Create(nullptr, path.c_str())), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);

    MessageBoxSetHandler(nullptr);
    MessageBoxClearRecords();
    EXPECT_EQ(IconSelectDialog_Run(path.c_str()), -1);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    MessageBoxClearRecords();
}

// A file whose images cannot be counted lists nothing, and only Cancel can be pressed.
TEST(IconSelectDialog, NoImages_EmptyListAndNothingToOpen) {
    std::string path = TestTempDir() + "/junk.ico";
    WriteWholeFile(path, {0, 0, 1});
    DialogPtr dialog(IconSelectDialog_Create(nullptr, path.c_str()));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->FList->topLevelItemCount(), 0);
    EXPECT_FALSE(Button(dialog->FHandle, "Open")->isEnabled());
    EXPECT_TRUE(Button(dialog->FHandle, "Cancel")->isEnabled());
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
}

} // namespace
