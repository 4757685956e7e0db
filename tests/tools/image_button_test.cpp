// The image button on real offscreen windows: QTest mouse presses and releases, the commands
// that reach the owner from the event loop, radio groups and the button table, and the painted
// states checked pixel by pixel from a grab.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "core/error.h"
#include "tools/image_button.h"

namespace {

// The four test images' colours, none of them black, the face or the light colour.
const QRgb KImageColours[4] = {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 220),
                               qRgb(180, 120, 0)};

// Four width x height images side by side, image k in KImageColours[k], each with a
// transparent top-left pixel.
QPixmap MakeStrip(int width, int height) {
    QImage strip(width * 4, height, QImage::Format_ARGB32);
    for (int k = 0; k < 4; ++k)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                strip.setPixel(k * width + x, y, x == 0 && y == 0 ? 0 : KImageColours[k]);
    return QPixmap::fromImage(strip);
}

class ImageButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        FParent = std::make_unique<QWidget>();
        FParent->resize(200, 100);
        FCountBefore = ImageButton_GetCount();
    }
    void TearDown() override {
        for (ImageButton*& button : FButtons)
            button = ImageButton_Destroy(button);
        EXPECT_EQ(ImageButton_GetCount(), FCountBefore);
    }

    // A button under FParent, destroyed by TearDown, recording its commands in FCommands.
    ImageButton* Make(uint32_t style, int32_t id, int32_t group = 0, int w = 22, int h = 22) {
        ImageButton* button = ImageButton_Create(FParent.get(), 0, 0, w, h, style, id, group);
        EXPECT_NE(button, nullptr);
        if (!button) return nullptr;
        button->FOnCommand = [this](int commandId) { FCommands.push_back(commandId); };
        FButtons.push_back(button);
        return button;
    }
    // Runs the queued commands.
    static void Flush() { QCoreApplication::processEvents(); }
    static void Press(ImageButton* button) { QTest::mousePress(button->FHandle, Qt::LeftButton); }
    static void Release(ImageButton* button) {
        QTest::mouseRelease(button->FHandle, Qt::LeftButton);
    }
    static void Click(ImageButton* button) { QTest::mouseClick(button->FHandle, Qt::LeftButton); }

    // The button's window as rows of letters: k black, f face, l light, 0-3 the test images'
    // colours, ? anything else.
    static std::vector<std::string> Picture(const ImageButton* button) {
        QImage image = button->FHandle->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPalette& palette = button->FHandle->palette();
        const std::pair<QRgb, char> keys[] = {{qRgb(0, 0, 0), 'k'},
                                              {palette.color(QPalette::Button).rgb(), 'f'},
                                              {palette.color(QPalette::Light).rgb(), 'l'},
                                              {KImageColours[0], '0'},
                                              {KImageColours[1], '1'},
                                              {KImageColours[2], '2'},
                                              {KImageColours[3], '3'}};
        std::vector<std::string> rows(size_t(image.height()), std::string(image.width(), '?'));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                for (const auto& key : keys)
                    if (image.pixel(x, y) == key.first) rows[y][x] = key.second;
        return rows;
    }

    std::unique_ptr<QWidget> FParent;
    std::vector<ImageButton*> FButtons;
    std::vector<int> FCommands;
    int32_t FCountBefore = 0;
};

TEST_F(ImageButtonTest, Create_VisibleNamedChildInTheNormalState) {
    SetLastErrorCode(EC_UNKNOWN);
    ImageButton* button = ImageButton_Create(FParent.get(), 5, 6, 22, 20, IBS_RADIO, 203, 1);
    ASSERT_NE(button, nullptr);
    FButtons.push_back(button);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    QWidget* window = button->FHandle;
    EXPECT_EQ(window->parentWidget(), FParent.get());
    EXPECT_EQ(window->objectName(), QStringLiteral("203"));
    EXPECT_EQ(window->geometry(), QRect(5, 6, 22, 20));
    EXPECT_TRUE(window->isVisibleTo(FParent.get()));
    EXPECT_EQ(button->FState, IBST_NORMAL);
    EXPECT_EQ(ImageButton_GetCount(), FCountBefore + 1);

    EXPECT_EQ(ImageButton_Create(nullptr, 0, 0, 10, 10, IBS_PUSH, 1, 0), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(ImageButton_SetCheck(nullptr, 1), -1);
    EXPECT_EQ(ImageButton_GetCheck(nullptr), 0);
}

TEST_F(ImageButtonTest, LoadImages_CutsTheStripAndKeepsTheOldImagesOnFailure) {
    ImageButton* button = Make(IBS_PUSH, 1);
    ASSERT_EQ(ImageButton_LoadImages(button, 4, MakeStrip(4, 3)), 0);
    ASSERT_EQ(button->FImages.size(), 4);
    QImage last = button->FImages[3].toImage();
    EXPECT_EQ(last.size(), QSize(4, 3));
    EXPECT_EQ(qAlpha(last.pixel(0, 0)), 0);
    EXPECT_EQ(last.pixel(3, 2), KImageColours[3]);

    EXPECT_EQ(ImageButton_LoadImages(button, 4, QPixmap()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_GDI_OBJECT);
    EXPECT_EQ(ImageButton_LoadImages(button, 0, MakeStrip(4, 3)), -1);
    EXPECT_EQ(ImageButton_LoadImages(button, 17, MakeStrip(4, 3)), -1);
    EXPECT_EQ(button->FImages.size(), 4);
}

TEST_F(ImageButtonTest, Push_ShowsPressedOnlyWhileDownAndSendsOnThePress) {
    ImageButton* button = Make(IBS_PUSH, 7);
    Press(button);
    EXPECT_EQ(button->FState, IBST_PRESSED);
    EXPECT_EQ(ImageButton_GetCheck(button), 1);
    EXPECT_EQ(Picture(button)[1][1], 'l');
    EXPECT_TRUE(FCommands.empty()) << "the command is queued, not called from the handler";
    Flush();
    EXPECT_EQ(FCommands, std::vector<int>{7});

    Release(button);
    EXPECT_EQ(button->FState, IBST_NORMAL);
    EXPECT_EQ(ImageButton_GetCheck(button), 0);
    EXPECT_EQ(Picture(button)[1][1], 'f');
    Flush();
    EXPECT_EQ(FCommands, std::vector<int>{7});
}

TEST_F(ImageButtonTest, Toggle_TwoPressesReturnToNormalWithACommandEach) {
    ImageButton* button = Make(IBS_TOGGLE, 8);
    Click(button);
    EXPECT_EQ(ImageButton_GetCheck(button), 1);
    EXPECT_EQ(button->FState, IBST_PRESSED);

    Press(button);
    EXPECT_EQ(ImageButton_GetCheck(button), 0);
    EXPECT_EQ(button->FState, IBST_PRESSED) << "down while the mouse is down";
    Release(button);
    EXPECT_EQ(button->FState, IBST_NORMAL);
    Flush();
    EXPECT_EQ(FCommands, (std::vector<int>{8, 8}));
}

TEST_F(ImageButtonTest, Radio_ReleasesOnlyTheCheckedButtonOfItsOwnGroup) {
    ImageButton* a = Make(IBS_RADIO, 201, 1);
    ImageButton* b = Make(IBS_RADIO, 202, 1);
    ImageButton* other = Make(IBS_RADIO, 301, 2);
    ImageButton_SetCheck(a, 1);
    ImageButton_SetCheck(other, 1);

    Click(b);
    EXPECT_EQ(ImageButton_GetCheck(b), 1);
    EXPECT_EQ(b->FState, IBST_PRESSED);
    EXPECT_EQ(ImageButton_GetCheck(a), 0);
    EXPECT_EQ(a->FState, IBST_NORMAL);
    EXPECT_EQ(ImageButton_GetCheck(other), 1);
    EXPECT_EQ(other->FState, IBST_PRESSED);

    // Pressing the checked button again keeps it down and still tells the owner.
    Click(b);
    EXPECT_EQ(ImageButton_GetCheck(b), 1);
    EXPECT_EQ(b->FState, IBST_PRESSED);
    Flush();
    EXPECT_EQ(FCommands, (std::vector<int>{202, 202}));
}

TEST_F(ImageButtonTest, Disabled_IgnoresPressesUntilEnabled) {
    ImageButton* button = Make(IBS_TOGGLE, 9);
    ImageButton_SetEnabled(button, false);
    EXPECT_EQ(button->FState, IBST_DISABLED);
    Click(button);
    Flush();
    EXPECT_TRUE(FCommands.empty());
    EXPECT_EQ(ImageButton_GetCheck(button), 0);
    EXPECT_EQ(button->FState, IBST_DISABLED);

    // A check while disabled keeps the disabled look; enabling shows the check.
    ImageButton_SetCheck(button, 1);
    EXPECT_EQ(button->FState, IBST_DISABLED);
    ImageButton_SetEnabled(button, true);
    EXPECT_EQ(button->FState, IBST_PRESSED);
    Click(button);
    Flush();
    EXPECT_EQ(FCommands, std::vector<int>{9});
    EXPECT_EQ(button->FState, IBST_NORMAL);
}

TEST_F(ImageButtonTest, SkipPress_SwallowsOnePress) {
    ImageButton* button = Make(IBS_TOGGLE, 10);
    button->FSkipPress = true;
    Click(button);
    Flush();
    EXPECT_FALSE(button->FSkipPress);
    EXPECT_TRUE(FCommands.empty());
    EXPECT_EQ(ImageButton_GetCheck(button), 0);
    EXPECT_EQ(button->FState, IBST_NORMAL);
    Click(button);
    Flush();
    EXPECT_EQ(FCommands, std::vector<int>{10});
    EXPECT_EQ(ImageButton_GetCheck(button), 1);
}

TEST_F(ImageButtonTest, SetCheck_SetsTheLookWithoutACommand) {
    ImageButton* toggle = Make(IBS_TOGGLE, 12);
    EXPECT_EQ(ImageButton_SetCheck(toggle, 1), 0);
    EXPECT_EQ(ImageButton_GetCheck(toggle), 1);
    EXPECT_EQ(toggle->FState, IBST_PRESSED);
    EXPECT_EQ(ImageButton_SetCheck(toggle, 0), 0);
    EXPECT_EQ(toggle->FState, IBST_NORMAL);

    ImageButton* a = Make(IBS_RADIO, 13, 4);
    ImageButton* b = Make(IBS_RADIO, 14, 4);
    ImageButton_SetCheck(a, 1);
    EXPECT_EQ(a->FState, IBST_PRESSED);
    ImageButton_SetCheck(b, 5); // any non-zero value checks
    EXPECT_EQ(ImageButton_GetCheck(b), 1);
    EXPECT_EQ(ImageButton_GetCheck(a), 0);
    EXPECT_EQ(a->FState, IBST_NORMAL);
    // A released radio button is drawn normal again.
    ImageButton_SetCheck(b, 0);
    EXPECT_EQ(ImageButton_GetCheck(b), 0);
    EXPECT_EQ(b->FState, IBST_NORMAL);
    Flush();
    EXPECT_TRUE(FCommands.empty());
}

TEST_F(ImageButtonTest, Table_DestroyedButtonsSlotIsTakenByTheNextOne) {
    ImageButton* a = Make(IBS_PUSH, 1);
    ImageButton* b = Make(IBS_PUSH, 2);
    ImageButton* c = Make(IBS_PUSH, 3);
    int32_t slot = ImageButton_GetSlot(b);
    ASSERT_GE(slot, 0);
    EXPECT_NE(ImageButton_GetSlot(a), slot);
    EXPECT_NE(ImageButton_GetSlot(c), slot);
    int32_t count = ImageButton_GetCount();

    FButtons[1] = ImageButton_Destroy(b);
    EXPECT_EQ(ImageButton_GetCount(), count - 1);
    ImageButton* d = Make(IBS_PUSH, 4);
    EXPECT_EQ(ImageButton_GetSlot(d), slot);
    EXPECT_EQ(ImageButton_GetCount(), count);
}

TEST_F(ImageButtonTest, Table_ABeyondAFullTableTakesNoPartInGrouping) {
    ImageButton* member = Make(IBS_RADIO, 1, 7);
    ImageButton_SetCheck(member, 1);
    while (ImageButton_GetCount() < KImageButtonSlots)
        Make(IBS_PUSH, 2);
    ImageButton* outsider = Make(IBS_RADIO, 3, 7);
    EXPECT_EQ(ImageButton_GetSlot(outsider), -1);
    EXPECT_EQ(ImageButton_GetCount(), KImageButtonSlots);

    Click(outsider);
    EXPECT_EQ(ImageButton_GetCheck(outsider), 1);
    EXPECT_EQ(ImageButton_GetCheck(member), 1) << "the outsider releases nobody";
    ImageButton_SetCheck(member, 0);
    ImageButton_SetCheck(member, 1);
    EXPECT_EQ(ImageButton_GetCheck(outsider), 1) << "and nobody releases the outsider";
    Flush();
    EXPECT_EQ(FCommands, std::vector<int>{3});
}

TEST_F(ImageButtonTest, ACommandMayDestroyItsButton) {
    ImageButton* button = Make(IBS_PUSH, 15);
    FButtons.clear();
    button->FOnCommand = [&button](int) { button = ImageButton_Destroy(button); };
    Click(button);
    Flush();
    EXPECT_EQ(button, nullptr);
}

TEST_F(ImageButtonTest, ParentGoneFirst_ButtonStillDestroysAndFreesItsSlot) {
    ImageButton* a = Make(IBS_RADIO, 16, 3);
    ImageButton* b = Make(IBS_RADIO, 17, 3);
    ImageButton_SetCheck(a, 1);
    Press(b); // its command is queued on the parent
    Release(b);
    FParent.reset();
    EXPECT_EQ(a->FHandle, nullptr);
    Flush();
    EXPECT_TRUE(FCommands.empty()) << "a command to a parent that is gone goes nowhere";
    EXPECT_EQ(ImageButton_SetCheck(a, 1), 0);
    EXPECT_EQ(ImageButton_GetCheck(b), 0);
}

TEST_F(ImageButtonTest, Release_ComesBackToTheButtonOutsideIt) {
    FParent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FParent.get()));
    ImageButton* button = ImageButton_Create(FParent.get(), 10, 10, 20, 20, IBS_PUSH, 18, 0);
    ASSERT_NE(button, nullptr);
    FButtons.push_back(button);
    QWindow* window = FParent->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(button->FState, IBST_PRESSED);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_EQ(button->FState, IBST_NORMAL);
    EXPECT_EQ(ImageButton_GetCheck(button), 0);
}

TEST_F(ImageButtonTest, Paint_EachStateWithFrameFillAndCentredImage) {
    // The image lands at ((9 - 2) / 2, (7 - 2) / 2) = (3, 2), rounded down.
    ImageButton* button = Make(IBS_TOGGLE | IBS_FRAME, 20, 0, 9, 7);
    ASSERT_EQ(ImageButton_LoadImages(button, 2, MakeStrip(2, 2)), 0);
    const QPalette& palette = button->FHandle->palette();
    ASSERT_NE(palette.color(QPalette::Button), palette.color(QPalette::Light));

    EXPECT_EQ(Picture(button), (std::vector<std::string>{"kkkkkkkkk", //
                                                         "kfffffffk", //
                                                         "kfff0fffk", //
                                                         "kff00fffk", //
                                                         "kfffffffk", //
                                                         "kfffffffk", //
                                                         "kkkkkkkkk"}));
    ImageButton_SetCheck(button, 1);
    EXPECT_EQ(Picture(button), (std::vector<std::string>{"kkkkkkkkk", //
                                                         "klllllllk", //
                                                         "klll2lllk", //
                                                         "kll22lllk", //
                                                         "klllllllk", //
                                                         "klllllllk", //
                                                         "kkkkkkkkk"}));
    button->FState = IBST_ALTERNATE;
    EXPECT_EQ(Picture(button), (std::vector<std::string>{"fffffffff", //
                                                         "fffffffff", //
                                                         "ffff1ffff", //
                                                         "fff11ffff", //
                                                         "fffffffff", //
                                                         "fffffffff", //
                                                         "fffffffff"}));
    ImageButton_SetEnabled(button, false);
    EXPECT_EQ(Picture(button)[3], "fff33ffff");
}

TEST_F(ImageButtonTest, Paint_DropDownMarkAtTheBottomRightOfTheFace) {
    ImageButton* button = Make(IBS_RADIO | IBS_DROPDOWN, 22, 9, 10, 8);
    EXPECT_EQ(Picture(button), (std::vector<std::string>{"ffffffffff", //
                                                         "ffffffffff", //
                                                         "ffffffffff", //
                                                         "ffffffffff", //
                                                         "ffffkkkkff", //
                                                         "fffffkkfff", //
                                                         "ffffffffff", //
                                                         "ffffffffff"}));
    // Inside the frame the face is one pixel smaller and the mark moves with its corner.
    ImageButton_SetCheck(button, 1);
    EXPECT_EQ(Picture(button), (std::vector<std::string>{"kkkkkkkkkk", //
                                                         "kllllllllk", //
                                                         "kllllllllk", //
                                                         "kllkkkkllk", //
                                                         "klllkklllk", //
                                                         "kllllllllk", //
                                                         "kllllllllk", //
                                                         "kkkkkkkkkk"}));
}

} // namespace
