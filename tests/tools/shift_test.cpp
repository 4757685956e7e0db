// The shift tool and its pad on a real work form: presses of the pad's buttons and the centre's
// way back, the wrap of the whole surface, of an area selection only and of a floating selection
// against a per-pixel rule, undo and redo bit for bit, a step that undoes what it shifted
// whatever the selection became, a step that cannot be made, and the pad itself: its buttons,
// client area, visibility and stored position.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "platform/msgbox.h"
#include "resources/resources.h"
#include "support/test_support.h"
#include "tools/image_button.h"
#include "tools/shift.h"
#include "tools/shift_form.h"
#include "tools/tool_test_hooks.h"

namespace {

QSettings StoredSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
}

void ClearStoredPosition() {
    QSettings settings = StoredSettings();
    settings.remove("ShiftForm");
    settings.sync();
}

QPoint DefaultPosition() {
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    return QPoint(screen.width() / 2, screen.height() / 2);
}

// The buttons as the pad must have them: id, place, picture and the shift of a press from the
// start ((0, 0) for the centre).
const struct {
    int id, x, y, resource, dx, dy;
} KButtons[] = {
    {100, 1, 1, KResShiftUpLeft, -1, -1},    {101, 14, 1, KResShiftUp, 0, -1},
    {102, 27, 1, KResShiftUpRight, 1, -1},   {103, 1, 14, KResShiftLeft, -1, 0},
    {104, 14, 14, KResShiftCentre, 0, 0},    {105, 27, 14, KResShiftRight, 1, 0},
    {106, 1, 27, KResShiftDownLeft, -1, 1},  {107, 14, 27, KResShiftDown, 0, 1},
    {108, 27, 27, KResShiftDownRight, 1, 1},
};

class ShiftTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        ClearStoredPosition();
        GStatus.clear();
        TDocumentHost host = {};
        host.FSetStatusText = RecordStatus;
        DocumentHost_Install(&host);
        MakeTool();
        FillPattern(7);
        TUndoHistory_Clear(FForm->FHistory);
    }
    void TearDown() override {
        FTool = TTool_Destroy(FTool);
        TShift_SetStepMaker(nullptr);
        WorkFormTest::TearDown();
    }

    void MakeTool() {
        FTool = TTool_Destroy(FTool);
        FTool = TShift_Create(FMain.get());
        ASSERT_NE(FTool, nullptr);
        ASSERT_EQ(TShift_Get(), reinterpret_cast<TShiftTool*>(FTool));
        TTool_Activate(FTool);
    }
    TShiftForm* Pad() { return reinterpret_cast<TShiftTool*>(FTool)->FShiftForm; }

    // A click on the pad's button of id, with the command it queues handled.
    void Press(int id) {
        ImageButton* button = Pad()->FButtons[id - KShiftButtonFirstId];
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button->FHandle, Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        QApplication::processEvents();
    }

    TLayer* Background() { return TWorkForm_GetBackground(FForm); }
    // The background, or the floating selection while one floats.
    TLayer* Surface() { return TWorkForm_GetActiveLayer(FForm); }

    TTool* FTool = nullptr;
};

// Pixel dumps of the background and of the floating surface (empty without one).
std::vector<uint8_t> Pixels(TWorkForm* form) {
    std::vector<uint8_t> pixels = PixelDump(TWorkForm_GetBackground(form)->FImage);
    if (form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) {
        std::vector<uint8_t> floating = PixelDump(form->FFloat->FImage);
        pixels.insert(pixels.end(), floating.begin(), floating.end());
    }
    return pixels;
}

int32_t Wrap(int32_t v, int32_t n) {
    return ((v % n) + n) % n;
}

// after is before with r shifted cyclically by (dx, dy): the pixel at (x, y) of r came from
// (x - dx, y - dy) wrapped into r; every pixel outside r is as it was. Colour and mask.
void ExpectShifted(TImage* before, TImage* after, TRectXYWH r, int32_t dx, int32_t dy,
                   const char* what) {
    int wrong = 0;
    for (int32_t y = 0; y < before->FHeight; ++y)
        for (int32_t x = 0; x < before->FWidth; ++x) {
            int32_t sx = x, sy = y;
            if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
                sx = r.x + Wrap(x - r.x - dx, r.width);
                sy = r.y + Wrap(y - r.y - dy, r.height);
            }
            uint32_t want = 0, got = 0;
            uint32_t wantMask = TImage_GetPixelMasked(before, sx, sy, &want);
            uint32_t gotMask = TImage_GetPixelMasked(after, x, y, &got);
            if ((want != got || (wantMask != 0) != (gotMask != 0)) && wrong++ < 3)
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " should come from " << sx
                              << "," << sy;
        }
}

TEST_F(ShiftTest, RightThreeTimesThenCentreRestoresTheLayerWithFourSteps) {
    std::vector<uint8_t> start = Pixels(FForm);
    Press(104); // nothing to go back to yet: nothing moves, nothing is recorded
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 0);
    for (int i = 0; i < 3; ++i)
        Press(105);
    EXPECT_NE(Pixels(FForm), start);
    EXPECT_EQ(GStatus.back(), "Shift: (3, 0)");
    Press(104);
    EXPECT_EQ(Pixels(FForm), start);
    EXPECT_EQ(GStatus.back(), "Shift: (0, 0)");
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 4);
    // Undoing the centre's step gives back the layer three to the right.
    TWorkForm_Undo(FForm);
    TLayer* copy = TLayer_CreateCopy(Background(), 0, 0, 32, 24);
    for (int i = 0; i < 3; ++i)
        TWorkForm_Undo(FForm);
    EXPECT_EQ(Pixels(FForm), start);
    ExpectShifted(Background()->FImage, copy->FImage, {0, 0, 32, 24}, 3, 0, "three right");
    TLayer_Destroy(copy);
}

const TRectXYWH KArea = {4, 3, 7, 5};

// What a shift acts on: the whole layer, an area selection (also one dragged partly off the
// picture: only its part on the picture wraps), or a floating selection. Each shift undoes and
// redoes bit for bit.
TEST_F(ShiftTest, ShiftWrapsTheSurfaceOrOnlyTheAreaAndUndoesBitForBit) {
    auto area = [](TWorkForm* form) { TWorkForm_Select(form, &KArea, TWS_AREA); };
    auto offEdge = [&](TWorkForm* form) {
        area(form);
        TWorkForm_MoveSelection(form, 28, 20, 1);
    };
    auto floating = [](TWorkForm* form) { TWorkForm_Select(form, &KArea, TWS_COPY_FLOAT); };
    auto none = [](TWorkForm*) {};
    const struct {
        const char* name;
        std::function<void(TWorkForm*)> setUp;
        int32_t dx, dy;
    } cases[] = {{"layer right", none, 1, 0},        {"layer up left", none, -1, -1},
                 {"area down right", area, 1, 1},    {"area left", area, -1, 0},
                 {"area partly off", offEdge, 1, 1}, {"floating up", floating, 0, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeForm(32, 24);
        FillPattern(3);
        c.setUp(FForm);
        TLayer* surface = Surface();
        TRectXYWH r = {0, 0, surface->FWidth, surface->FHeight};
        if (FForm->FSelectMode == TSM_AREA) {
            r = FForm->FSelectArea;
            r.width = std::min(r.width, surface->FWidth - r.x);
            r.height = std::min(r.height, surface->FHeight - r.y);
        }
        TLayer* before = TLayer_CreateCopy(surface, 0, 0, surface->FWidth, surface->FHeight);
        ExpectUndoRedo([&] { TShift_Shift(c.dx, c.dy); });
        ExpectShifted(before->FImage, surface->FImage, r, c.dx, c.dy, c.name);
        TLayer_Destroy(before);
    }
}

// The step undoes and redoes the rectangle it shifted on the surface it shifted, whatever the
// selection is by then: an area moved without a step (as the text tool's selection moves), a
// new area selected, a floating selection committed.
TEST_F(ShiftTest, StepShiftsWhatItShiftedWhateverTheSelectionBecame) {
    const TRectXYWH other = {15, 10, 9, 6};
    const struct {
        const char* name;
        std::function<void(TWorkForm*)> setUp, change;
    } cases[] = {
        {"area moved unrecorded", [](TWorkForm* f) { TWorkForm_Select(f, &KArea, TWS_AREA); },
         [](TWorkForm* f) { TWorkForm_MoveSelection(f, 12, 9, 0); }},
        {"another area selected", [](TWorkForm* f) { TWorkForm_Select(f, &KArea, TWS_AREA); },
         [&](TWorkForm* f) { TWorkForm_Select(f, &other, TWS_AREA); }},
        {"area to none", [](TWorkForm* f) { TWorkForm_Select(f, &KArea, TWS_AREA); },
         [](TWorkForm* f) { TWorkForm_CommitSelection(f); }},
        {"none to area", [](TWorkForm*) {},
         [&](TWorkForm* f) { TWorkForm_Select(f, &other, TWS_AREA); }},
        {"float committed", [](TWorkForm* f) { TWorkForm_Select(f, &KArea, TWS_CUT_FLOAT); },
         [](TWorkForm* f) { TWorkForm_CommitSelection(f); }},
    };
    for (const auto& c : cases) {
        MakeForm(32, 24);
        FillPattern(9);
        c.setUp(FForm);
        std::vector<uint8_t> before = Pixels(FForm);
        TShift_Shift(1, 1);
        int32_t steps = TUndoHistory_GetCount(FForm->FHistory);
        c.change(FForm);
        std::vector<uint8_t> changed = Pixels(FForm);
        int32_t undos = TUndoHistory_GetCount(FForm->FHistory) - steps + 1;
        for (int32_t i = 0; i < undos; ++i)
            TWorkForm_Undo(FForm);
        EXPECT_EQ(Pixels(FForm), before) << c.name;
        for (int32_t i = 0; i < undos; ++i)
            TWorkForm_Redo(FForm);
        EXPECT_EQ(Pixels(FForm), changed) << c.name;
    }
}

int GMakerFailures = 0;
TUndoStep* FailingMaker(int kind, int a, int b) {
    if (GMakerFailures > 0) return --GMakerFailures, nullptr;
    return TUndoStep_CreateToolStep(kind, a, b);
}

// A step that cannot be made: the error is shown and the history cleared to free memory for one
// more try; when that fails too the shift stands unrecorded and the document stays modified.
TEST_F(ShiftTest, StepThatCannotBeMadeClearsTheHistoryOnceThenStandsUnrecorded) {
    const struct { int failures, messages, steps; } cases[] = {{1, 1, 1}, {2, 2, 0}};
    for (const auto& c : cases) {
        MakeForm(32, 24);
        FillPattern(2);
        TShift_Shift(0, 1); // a step for the clearing to throw away
        TLayer* before = TLayer_CreateCopy(Background(), 0, 0, 32, 24);
        MessageBoxClearRecords();
        TShift_SetStepMaker(FailingMaker);
        GMakerFailures = c.failures;
        TShift_Shift(1, 0);
        TShift_SetStepMaker(nullptr);
        ASSERT_EQ(int(MessageBoxRecords().size()), c.messages) << c.failures;
        EXPECT_EQ(MessageBoxRecords()[0].FText, "Count not allocate memory for UNDO function");
        EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), c.steps);
        ExpectShifted(before->FImage, Background()->FImage, {0, 0, 32, 24}, 1, 0, "stands");
        TLayer_Destroy(before);
        for (int i = 0; i < 3; ++i)
            TWorkForm_Undo(FForm);
        EXPECT_EQ(TWorkForm_IsModified(FForm), 1) << c.failures;
    }
}

TEST_F(ShiftTest, PadHasItsNineButtonsOnAFortyPixelClientArea) {
    QWidget* pad = Pad()->FHandle;
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->size(), QSize(40, 40));
    EXPECT_EQ(pad->windowTitle(), "shift");
    EXPECT_TRUE(pad->isWindow());
    EXPECT_EQ(pad->parentWidget(), FMain.get());
    EXPECT_EQ(pad->windowType(), Qt::Tool);
    // The keyboard stays with the main window.
    EXPECT_TRUE(pad->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(pad->testAttribute(Qt::WA_ShowWithoutActivating));
    for (const auto& b : KButtons) {
        ImageButton* button = Pad()->FButtons[b.id - KShiftButtonFirstId];
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->FHandle, pad->findChild<QWidget*>(QString::number(b.id))) << b.id;
        EXPECT_EQ(button->FHandle->geometry(), QRect(b.x, b.y, 12, 12)) << b.id;
        EXPECT_EQ(button->FStyle & IBS_PUSH, uint32_t(IBS_PUSH)) << b.id;
        ASSERT_EQ(button->FImages.size(), 4) << b.id;
        QImage picture = Resource_Strip(b.resource).toImage().copy(0, 0, 12, 12);
        EXPECT_EQ(button->FImages[0].toImage(), picture) << b.id;
        // A press from the start moves by the button's amounts.
        TTool_Activate(FTool);
        Press(b.id);
        const TShiftTool* tool = TShift_Get();
        EXPECT_EQ(tool->FTotalX, b.dx) << b.id;
        EXPECT_EQ(tool->FTotalY, b.dy) << b.id;
    }
}

TEST_F(ShiftTest, PadIsShownExactlyWhileTheToolIsCurrent) {
    FTool = TTool_Destroy(FTool);
    FTool = TShift_Create(FMain.get()); // a new tool's pad waits for activation
    ASSERT_NE(FTool, nullptr);
    EXPECT_FALSE(Pad()->FHandle->isVisible());
    TTool_Activate(FTool);
    EXPECT_TRUE(Pad()->FHandle->isVisible());
    Press(105);
    TTool_Deactivate(FTool);
    EXPECT_FALSE(Pad()->FHandle->isVisible());
    // Activation starts the totals again.
    TTool_Activate(FTool);
    EXPECT_TRUE(Pad()->FHandle->isVisible());
    EXPECT_EQ(TShift_Get()->FTotalX, 0);
}

// The position is stored when the pad goes and read when the next one is made; a missing value
// or a point on no screen gives the default.
TEST_F(ShiftTest, PadPositionSurvivesRecreationAndAnOffScreenOneFallsBack) {
    EXPECT_EQ(Pad()->FHandle->pos(), DefaultPosition());
    Pad()->FHandle->move(37, 45);
    MakeTool();
    EXPECT_EQ(StoredSettings().value("ShiftForm/X").toInt(), 37);
    EXPECT_EQ(StoredSettings().value("ShiftForm/Y").toInt(), 45);
    EXPECT_EQ(Pad()->FHandle->pos(), QPoint(37, 45));
    // Each value falls back by itself; a point on no screen falls back as a whole.
    const QPoint fallback = DefaultPosition();
    const struct {
        const char *x, *y;
        QPoint want;
    } stored[] = {{"-5000", "-5000", fallback},
                  {"100000", "20", fallback},
                  {"twelve", "20", {fallback.x(), 20}}};
    for (const auto& f : stored) {
        FTool = TTool_Destroy(FTool);
        QSettings settings = StoredSettings();
        settings.setValue("ShiftForm/X", f.x);
        settings.setValue("ShiftForm/Y", f.y);
        settings.sync();
        MakeTool();
        EXPECT_EQ(Pad()->FHandle->pos(), f.want) << f.x << " " << f.y;
    }
}

// The main window may take the pad down before the tool bar destroys the tool: the position is
// stored then, and the tool carries on without its pad.
TEST_F(ShiftTest, PadGoingWithItsOwnerFirstStoresThePosition) {
    auto owner = std::make_unique<QWidget>();
    FTool = TTool_Destroy(FTool);
    FTool = TShift_Create(owner.get());
    ASSERT_NE(FTool, nullptr);
    Pad()->FHandle->move(60, 70);
    int32_t buttons = ImageButton_GetCount();
    owner.reset();
    EXPECT_EQ(Pad()->FHandle, nullptr);
    EXPECT_EQ(ImageButton_GetCount(), buttons - KShiftButtonCount);
    EXPECT_EQ(StoredSettings().value("ShiftForm/X").toInt(), 60);
    EXPECT_EQ(StoredSettings().value("ShiftForm/Y").toInt(), 70);
    TTool_Activate(FTool);
    TShift_Shift(1, 0);
    EXPECT_EQ(TShift_Get()->FTotalX, 1);
    FTool = TTool_Destroy(FTool);
    EXPECT_EQ(TShift_Get(), nullptr);
}

} // namespace
