// The palette grid: the tool bar's strip and popup geometry, the painted cells, separators and
// frames, taps and drags picking the target cell, the command reaching the owner only after the
// release, cells off the grid or past the 256 colours, range mode, the colour setters and the
// null answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/qt/colour.h"
#include "tools/palette_form.h"

namespace {

// Distinct from black, white, grey and each other: red i, green 255 - i, blue 100.
uint32_t EntryColour(int i) {
    return uint32_t(i) | (uint32_t(255 - i) << 8) | (100u << 16);
}

void RecordCommand(PaletteForm* form, int32_t id, void* userData) {
    EXPECT_EQ(form->FId, id);
    static_cast<std::vector<int32_t>*>(userData)->push_back(id);
}

class PaletteFormTest : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 256; ++i) {
            PaletteEntrySetColor(&FEntries[i], EntryColour(i));
            FEntries[i].FReserved = uint8_t(i);
        }
        FParent = std::make_unique<QWidget>();
        FParent->resize(400, 400);
        FForm = PaletteForm_Create(FParent.get(), 1008);
        ASSERT_NE(FForm, nullptr);
        PaletteForm_SetCommandProc(FForm, RecordCommand, &FCommands);
        FParent->show();
    }
    void TearDown() override {
        FForm = PaletteForm_Destroy(FForm);
        FParent.reset();
    }
    // A grid bound to FEntries in a window `extra` pixels larger than the grid each way.
    void MakeGrid(int32_t columns, int32_t rows, int32_t cw, int32_t ch, int32_t extra = 0) {
        ASSERT_EQ(PaletteForm_SetGrid(FForm, columns, rows, cw, ch), 0);
        ASSERT_EQ(PaletteForm_SetEntries(FForm, FEntries), 0);
        FForm->FHandle->setGeometry(0, 0, columns * cw + extra, rows * ch + extra);
    }
    QImage Grab() const {
        return FForm->FHandle->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QPoint Centre(int32_t index) const {
        return QPoint(index % FForm->FColumns * FForm->FCellWidth + FForm->FCellWidth / 2,
                      index / FForm->FColumns * FForm->FCellHeight + FForm->FCellHeight / 2);
    }
    void Tap(QPoint p) { QTest::mouseClick(FForm->FHandle, Qt::LeftButton, {}, p); }
    void Press(QPoint p) { QTest::mousePress(FForm->FHandle, Qt::LeftButton, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(FForm->FHandle, p); }
    void Release(QPoint p) { QTest::mouseRelease(FForm->FHandle, Qt::LeftButton, {}, p); }
    size_t Deliver() { // runs posted commands; how many have arrived
        QApplication::processEvents();
        return FCommands.size();
    }

    TPaletteEntry FEntries[256] = {};
    std::vector<int32_t> FCommands;
    std::unique_ptr<QWidget> FParent;
    PaletteForm* FForm = nullptr;
};

uint32_t At(const QImage& image, QPoint p) {
    return Colour_FromQRgb(image.pixel(p));
}

// The image as rows of letters: K black, W white, g grey, R red, G green, B blue, ? other.
std::string Picture(const QImage& image) {
    const std::vector<std::pair<uint32_t, char>> letters = {{0x000000, 'K'}, {0xFFFFFF, 'W'},
                                                            {0x808080, 'g'}, {0x0000FF, 'R'},
                                                            {0x00FF00, 'G'}, {0xFF0000, 'B'}};
    std::string out;
    for (int y = 0; y < image.height(); ++y, out += '\n')
        for (int x = 0; x < image.width(); ++x) {
            char letter = '?';
            for (const auto& [colour, c] : letters)
                if (At(image, QPoint(x, y)) == colour) letter = c;
            out += letter;
        }
    return out;
}

TEST_F(PaletteFormTest, Geometry_StripAndPopupOfTheToolBar) {
    EXPECT_EQ(FForm->FHandle->objectName(), QStringLiteral("1008"));
    MakeGrid(17, 1, 12, 18); // the strip
    EXPECT_EQ(FForm->FBuffer->size(), QSize(204, 18));
    PaletteForm_SelectPrimary(FForm, 100); // both frames off the strip
    PaletteForm_SelectSecondary(FForm, 100);
    QImage strip = Grab();
    for (int x = 0; x < 204; ++x) {
        bool line = x % 12 == 0 || x == 203; // separators, and the closing one inside
        EXPECT_EQ(At(strip, QPoint(x, 1)), line ? 0u : EntryColour(x / 12)) << x;
        EXPECT_EQ(At(strip, QPoint(x, 0)) | At(strip, QPoint(x, 17)), 0u) << x;
    }

    MakeGrid(16, 16, 12, 12); // the popup: a cell's left and top pixels belong to it
    EXPECT_EQ(FForm->FBuffer->size(), QSize(192, 192));
    Tap(QPoint(5 * 12, 3 * 12));
    EXPECT_EQ(PaletteForm_GetPrimary(FForm), 3 * 16 + 5);
    Tap(QPoint(5 * 12 - 1, 3 * 12 - 1));
    EXPECT_EQ(PaletteForm_GetPrimary(FForm), 2 * 16 + 4);
    Tap(QPoint(191, 191));
    EXPECT_EQ(PaletteForm_GetPrimary(FForm), 255);
}

TEST_F(PaletteFormTest, Paint_FramesSecondaryThenPrimaryWithAnInnerBlackOutline) {
    FEntries[0] = {0, 0, 255, 0}; // red
    FEntries[1] = {0, 255, 0, 0}; // green
    FEntries[2] = {255, 0, 0, 0}; // blue
    MakeGrid(3, 1, 6, 5);
    PaletteForm_SelectSecondary(FForm, 2);
    EXPECT_EQ(Picture(Grab()), "WWWWWWKKKKKKgggggg\n"
                               "WKKKKWKGGGGGgKKKKg\n"
                               "WKRRKWKGGGGGgKBBKg\n"
                               "WKKKKWKGGGGGgKKKKg\n"
                               "WWWWWWKKKKKKgggggg\n");
    PaletteForm_SelectSecondary(FForm, 0); // on the primary's cell the primary's frame wins
    EXPECT_EQ(At(Grab(), QPoint(0, 0)), 0xFFFFFFu);
}

TEST_F(PaletteFormTest, CellsPast256_AreBlackAndPickNothing) {
    MakeGrid(17, 16, 8, 8); // 272 cells
    PaletteForm_SetPickTarget(FForm, 1);
    QImage image = Grab();
    EXPECT_EQ(At(image, Centre(255)), EntryColour(255));
    EXPECT_EQ(At(image, Centre(256)) | At(image, Centre(271)), 0u);
    Tap(Centre(255));
    Tap(Centre(260));
    EXPECT_EQ(FForm->FSecondary, 255);
    EXPECT_EQ(Deliver(), 2u); // every release still tells the owner
}

TEST_F(PaletteFormTest, Tap_PicksForTheTargetAndTheOwnerHearsAfterTheRelease) {
    MakeGrid(16, 16, 12, 12);
    Press(Centre(35));
    EXPECT_EQ(PaletteForm_GetPrimary(FForm), 35); // picked on the press already
    Release(Centre(35));
    EXPECT_TRUE(FCommands.empty()); // posted, not called from inside the release
    EXPECT_EQ(Deliver(), 1u);
    EXPECT_EQ(FCommands[0], 1008);
    EXPECT_EQ(PaletteForm_GetPrimaryColour(FForm), EntryColour(35));
    EXPECT_EQ(At(Grab(), Centre(35) - QPoint(6, 0)), 0xFFFFFFu); // its frame

    PaletteForm_SetPickTarget(FForm, 1);
    Tap(Centre(200));
    EXPECT_EQ(PaletteForm_GetSecondaryColour(FForm), EntryColour(200));
    PaletteForm_SetPickTarget(FForm, 2); // picks nothing
    Tap(Centre(7));
    EXPECT_EQ(PaletteForm_GetPrimary(FForm), 35);
    EXPECT_EQ(PaletteForm_GetSecondary(FForm), 200);
    EXPECT_EQ(Deliver(), 3u);
}

TEST_F(PaletteFormTest, Drag_FollowsTheStylusAndNothingOffTheGridIsPicked) {
    MakeGrid(16, 16, 12, 12, 20); // the window reaches 20 pixels past the grid
    Press(Centre(1));
    Move(Centre(5));
    Move(QPoint(200, 200));
    Release(QPoint(200, 5));
    EXPECT_EQ(FForm->FPrimary, 5);
    Move(Centre(9)); // no press: nothing
    Tap(QPoint(195, 10));
    PaletteForm_StylusDown(FForm, -3, 5); // left of cell 0, not in it
    PaletteForm_StylusUp(FForm, -3, 5);
    EXPECT_EQ(FForm->FPrimary, 5);
    EXPECT_EQ(Deliver(), 3u);
}

TEST_F(PaletteFormTest, RangeMode_DragFramesTheRangeAndTheReleaseSetsThePrimary) {
    MakeGrid(16, 16, 12, 12);
    PaletteForm_SetRangeMode(FForm, 1);
    PaletteForm_SetPickTarget(FForm, 1); // the press still picks for the target
    Press(Centre(10));
    Move(Centre(14));
    EXPECT_EQ(FForm->FSecondary, 10); // moves only stretch the range
    Release(Centre(15));
    EXPECT_EQ(FForm->FRangeStart, 10);
    EXPECT_EQ(FForm->FRangeEnd, 15);
    EXPECT_EQ(FForm->FPrimary, 15);
    EXPECT_EQ(Deliver(), 1u);
    QImage image = Grab();
    for (int32_t index = 9; index <= 16; ++index) {
        bool framed = index >= 10 && index <= 15; // white over 10's secondary frame too
        EXPECT_EQ(At(image, Centre(index) - QPoint(6, 0)), framed ? 0xFFFFFFu : 0u) << index;
        EXPECT_EQ(At(image, Centre(index) - QPoint(5, 0)), framed ? 0u : EntryColour(index))
            << index;
    }

    // Off the grid the range keeps its last cell, so it never leaves the entries.
    Press(Centre(250));
    Move(Centre(252));
    Move(QPoint(191, 300));
    Release(QPoint(500, 500));
    EXPECT_EQ(FForm->FRangeStart, 250);
    EXPECT_EQ(FForm->FRangeEnd, 252);
    EXPECT_EQ(FForm->FPrimary, 15);
}

TEST_F(PaletteFormTest, SetColour_WritesBlueGreenRedIntoTheBoundEntry) {
    MakeGrid(16, 16, 12, 12);
    PaletteForm_SelectPrimary(FForm, 40);
    PaletteForm_SelectPrimary(FForm, 256); // ignored
    ASSERT_EQ(PaletteForm_SetPrimaryColour(FForm, 0xFF123456), 0);
    EXPECT_EQ(FEntries[40].FBlue, 0x12);
    EXPECT_EQ(FEntries[40].FGreen, 0x34);
    EXPECT_EQ(FEntries[40].FRed, 0x56);
    EXPECT_EQ(FEntries[40].FReserved, 40); // the fourth byte is no colour
    EXPECT_EQ(At(Grab(), Centre(40)), 0x123456u);
}

TEST_F(PaletteFormTest, NullFormOrNoEntries_AnswerWithEcNullObject) {
    ClearLastErrorCode();
    EXPECT_EQ(PaletteForm_GetPrimary(nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    ClearLastErrorCode();
    EXPECT_EQ(PaletteForm_GetSecondaryColour(nullptr), 0u);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    PaletteForm_StylusDown(nullptr, 1, 1);

    ASSERT_EQ(PaletteForm_SetGrid(FForm, 4, 4, 5, 5), 0); // no entries bound
    FForm->FHandle->setGeometry(0, 0, 20, 20);
    ClearLastErrorCode();
    EXPECT_EQ(PaletteForm_GetPrimaryColour(FForm), 0u);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(PaletteForm_SetPrimaryColour(FForm, 0xFFFFFF), -1);
    EXPECT_FALSE(Grab().isNull()); // paints black cells
}

TEST_F(PaletteFormTest, Command_DroppedWhenTheWindowGoesFirst) {
    MakeGrid(16, 16, 12, 12);
    Tap(Centre(3));
    FForm = PaletteForm_Destroy(FForm); // before the posted command runs
    EXPECT_EQ(Deliver(), 0u);

    FForm = PaletteForm_Create(FParent.get(), 7);
    PaletteForm_SetCommandProc(FForm, RecordCommand, &FCommands);
    MakeGrid(4, 4, 5, 5);
    FParent.reset(); // takes the grid window
    EXPECT_EQ(FForm->FHandle, nullptr);
    PaletteForm_StylusDown(FForm, 7, 7);
    PaletteForm_StylusUp(FForm, 7, 7);
    EXPECT_EQ(FForm->FPrimary, 5);
    EXPECT_EQ(Deliver(), 0u);
}

} // namespace
