// The Qt message box: each flag combination shows the icon, buttons, caption and text asked
// for, modal to its owner, and each button (and Escape) gives the platform's answer. The box is
// answered from a timer while exec() runs, as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "platform/qt/message_box.h"

namespace {
const int PRESS_ESCAPE = -1;

struct SeenBox {
    bool FFound = false;
    QString FCaption, FText;
    QMessageBox::Icon FIcon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons FButtons;
    QMessageBox::StandardButton FDefault = QMessageBox::NoButton;
    Qt::TextFormat FFormat = Qt::AutoText;
    QWidget* FParent = nullptr;
};

// Shows a box through the hook and answers it with press (a standard button or PRESS_ESCAPE)
// as soon as it is on the screen; what the box looked like goes to *seen.
int ShowAndAnswer(QWidget* owner, const char* text, const char* caption, int flags, int press,
                  SeenBox* seen) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QMessageBox* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        seen->FFound = true;
        seen->FCaption = box->windowTitle();
        seen->FText = box->text();
        seen->FIcon = box->icon();
        seen->FButtons = box->standardButtons();
        seen->FDefault = box->standardButton(box->defaultButton());
        seen->FFormat = box->textFormat();
        seen->FParent = box->parentWidget();
        if (press == PRESS_ESCAPE)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    poll.start();
    // A box nobody answers would hang the test: give up after a few seconds.
    QTimer::singleShot(5000, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    return MessageBoxShow(owner, text, caption, flags);
}

class QtMessageBox : public testing::Test {
  protected:
    void SetUp() override { FPrevious = MessageBoxInstallQt(); }
    void TearDown() override { MessageBoxSetHandler(FPrevious); }
    TMessageBoxHandler FPrevious = nullptr;
};
} // namespace

TEST_F(QtMessageBox, ButtonsIconsAndAnswersFollowTheFlags) {
    using B = QMessageBox;
    struct Case {
        int FFlags;
        QMessageBox::Icon FIcon;
        QMessageBox::StandardButtons FButtons;
        QMessageBox::StandardButton FDefault;
        int FPress;
        int FAnswer;
    } cases[] = {
        {MB_OK | MB_ICONSTOP, B::Critical, B::Ok, B::Ok, B::Ok, IDOK},
        {MB_OK | MB_ICONINFORMATION, B::Information, B::Ok, B::Ok, PRESS_ESCAPE, IDOK},
        {MB_OK, B::NoIcon, B::Ok, B::Ok, B::Ok, IDOK},
        {MB_OKCANCEL | MB_ICONWARNING, B::Warning, B::Ok | B::Cancel, B::Ok, B::Cancel, IDCANCEL},
        {MB_OKCANCEL | MB_ICONQUESTION, B::Question, B::Ok | B::Cancel, B::Ok, B::Ok, IDOK},
        {MB_OKCANCEL, B::NoIcon, B::Ok | B::Cancel, B::Ok, PRESS_ESCAPE, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, B::Question, B::Yes | B::No, B::Yes, B::Yes, IDYES},
        {MB_YESNO | MB_ICONWARNING, B::Warning, B::Yes | B::No, B::Yes, B::No, IDNO},
        {MB_YESNO, B::NoIcon, B::Yes | B::No, B::Yes, PRESS_ESCAPE, IDNO},
        {MB_YESNOCANCEL | MB_ICONQUESTION, B::Question, B::Yes | B::No | B::Cancel, B::Yes, B::No,
         IDNO},
        {MB_YESNOCANCEL, B::NoIcon, B::Yes | B::No | B::Cancel, B::Yes, B::Cancel, IDCANCEL},
        {MB_YESNOCANCEL, B::NoIcon, B::Yes | B::No | B::Cancel, B::Yes, PRESS_ESCAPE, IDCANCEL},
        // An unknown button set still gives a box that can be answered.
        {0x2 | MB_ICONSTOP, B::Critical, B::Ok, B::Ok, B::Ok, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "flags 0x" << std::hex << c.FFlags << " press " << std::dec << c.FPress);
        SeenBox seen;
        int answer = ShowAndAnswer(nullptr, "Save changes?", "Mosaiko", c.FFlags, c.FPress, &seen);
        ASSERT_TRUE(seen.FFound);
        EXPECT_EQ(answer, c.FAnswer);
        EXPECT_EQ(seen.FIcon, c.FIcon);
        EXPECT_EQ(seen.FButtons, c.FButtons);
        EXPECT_EQ(seen.FDefault, c.FDefault);
        EXPECT_EQ(seen.FCaption, QString("Mosaiko"));
        EXPECT_EQ(seen.FText, QString("Save changes?"));
    }
}

TEST_F(QtMessageBox, IsModalToItsOwnerAndShowsTextAsWritten) {
    QWidget owner;
    owner.show();
    SeenBox seen;
    // UTF-8 and markup characters: a file name is shown exactly, never as rich text.
    const char* text = "Could not open <b>caf\xC3\xA9 & co</b>.bmp";
    int answer =
        ShowAndAnswer(&owner, text, "Error Code: 2", MB_OK | MB_ICONSTOP, QMessageBox::Ok, &seen);
    ASSERT_TRUE(seen.FFound);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(seen.FParent, &owner);
    EXPECT_EQ(seen.FFormat, Qt::PlainText);
    EXPECT_EQ(seen.FText, QString::fromUtf8(text));
    EXPECT_EQ(seen.FCaption, QString("Error Code: 2"));
}

TEST_F(QtMessageBox, NullTextsShowEmpty) {
    SeenBox seen;
    EXPECT_EQ(ShowAndAnswer(nullptr, nullptr, nullptr, MB_OKCANCEL, QMessageBox::Ok, &seen), IDOK);
    ASSERT_TRUE(seen.FFound);
    EXPECT_TRUE(seen.FText.isEmpty());
    EXPECT_TRUE(seen.FCaption.isEmpty());
}
