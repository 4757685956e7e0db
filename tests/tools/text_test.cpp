// The text tool with a stand-in for the Text dialog: the dialog asked for as soon as the tool is
// chosen and the text floated at the origin, one letter "i" wider than it measures; glyphs fully
// on or off in the primary colour whichever swatch is selected; the background showing between
// glyphs after the commit; the heights at the ends of the list; choosing the tool again; taps;
// and the answers that place nothing.
#include <gtest/gtest.h>

#include <string>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include "core/image.h"
#include "core/layer.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "tools/selection.h"
#include "tools/text.h"
#include "tools/text_hooks.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_form_test.h"

namespace {

// What the stand-in dialog answers, and how often it was asked.
struct TFakeDialog {
    int FAnswer = 0;
    std::string FText = "Text";
    TLogFont FFont = {-16, 400, 0, 0, 0, ""};
    int FCalls = 0;
};
TFakeDialog GDialog;

int FakeRunTextDialog(TTextForm* form) {
    ++GDialog.FCalls;
    if (GDialog.FAnswer == 0) {
        form->FText = GDialog.FText;
        form->FFont = GDialog.FFont;
    }
    return GDialog.FAnswer;
}

// The size the rule gives: the text's advance and one "i" more, the font's height.
QSize Expected(const std::string& text, const TLogFont& font) {
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    QFontMetrics metrics(TText_MakeFont(font), &probe);
    return QSize(metrics.horizontalAdvance(QString::fromStdString(text)) +
                     metrics.horizontalAdvance(QLatin1Char('i')),
                 metrics.height());
}

// Visible pixels of surface; every pixel must be colour and visible, or black and transparent.
int GlyphPixels(const TLayer* surface, uint32_t colour) {
    int visible = 0;
    for (int32_t y = 0; y < surface->FHeight; ++y)
        for (int32_t x = 0; x < surface->FWidth; ++x) {
            uint32_t c = 0;
            bool on = TImage_GetPixelMasked(surface->FImage, x, y, &c) != 0;
            EXPECT_EQ(c & 0xFFFFFF, on ? colour : 0u) << x << "," << y;
            visible += on;
        }
    return visible;
}

class TextToolTest : public ToolBarFormTest {
  protected:
    void SetUp() override {
        ToolBarFormTest::SetUp();
        MakeForm(160, 60);
        TUndoHistory_Clear(FForm->FHistory);
        GDialog = TFakeDialog();
        TTextHooks hooks = {FakeRunTextDialog, nullptr};
        TextHooks_Install(&hooks);
        FTool = TText_Create();
        ASSERT_NE(FTool, nullptr);
    }
    void TearDown() override {
        FTool = TTool_Destroy(FTool);
        TextHooks_Install(nullptr);
        ToolBarFormTest::TearDown();
    }
    void Tap(int32_t x, int32_t y) {
        TPoint p = TWorkForm_ImageToClient(FForm, {x, y});
        FForm->FStylus = p;
        TTool_Stylus(FTool, FForm, TWE_DOWN, p.x, p.y);
        TTool_Stylus(FTool, FForm, TWE_UP, p.x, p.y);
    }
    TLayer* Float() { return FForm->FSelectMode == TSM_COPY ? FForm->FFloat : nullptr; }
    int Steps() { return TUndoHistory_GetCount(FForm->FHistory); }

    TTool* FTool = nullptr;
};

TEST_F(TextToolTest, ChoosingTheToolAsksAtOnceAndFloatsTheTextAtTheOriginInOneStep) {
    EXPECT_EQ(FTool->FId, TTI_TEXT);
    auto* text = reinterpret_cast<TText*>(FTool);
    EXPECT_EQ(reinterpret_cast<TSelectionTool*>(text->FMover)->FRecordMoves, 0);
    TTool_Activate(FTool);
    EXPECT_EQ(GDialog.FCalls, 1);
    TLayer* floating = Float();
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->FLeft, 0);
    EXPECT_EQ(floating->FTop, 0);
    EXPECT_EQ(QSize(floating->FWidth, floating->FHeight), Expected("Text", GDialog.FFont));
    EXPECT_EQ(Steps(), 1);
}

// One "i" wider than measured, as high as the font, glyphs fully on or off in both planes.
TEST_F(TextToolTest, RenderIsOneIWiderAndHeightsEndsOfTheListGiveTheirPixelSize) {
    struct Case {
        int32_t FHeight;
        int FPixels;
    } cases[] = {{-8, 8}, {-100, 100}};
    for (const Case& c : cases) {
        TLogFont font = {c.FHeight, 700, 1, 1, 1, ""};
        EXPECT_EQ(QFontInfo(TText_MakeFont(font)).pixelSize(), c.FPixels);
        TLayer* surface = nullptr;
        ASSERT_EQ(TText_Render("Wide", font, 0x123456, &surface), 0);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(QSize(surface->FWidth, surface->FHeight), Expected("Wide", font)) << c.FHeight;
        EXPECT_GT(GlyphPixels(surface, 0x123456), 0);
        TLayer_Destroy(surface);
    }
}

TEST_F(TextToolTest, TextIsInThePrimaryColourWithTheSecondarySwatchSelected) {
    TToolBar_SetPrimaryColor(0x0000FF);
    TToolBar_SetSecondaryColor(0x00FF00);
    TToolBar_SetSwatch(1);
    TTool_Activate(FTool);
    ASSERT_NE(Float(), nullptr);
    EXPECT_GT(GlyphPixels(Float(), 0x0000FF), 0);
}

TEST_F(TextToolTest, BackgroundShowsBetweenTheGlyphsAfterTheCommit) {
    FillPattern(7);
    TToolBar_SetPrimaryColor(0xFF0000);
    TDocSnapshot before = Snapshot(FForm);
    TTool_Activate(FTool);
    ASSERT_NE(Float(), nullptr);
    // Each pixel under the text as the commit must leave it: the glyph's, or the background's.
    struct Pixel {
        uint32_t FColour, FVisible;
    };
    std::vector<Pixel> expected;
    const int32_t w = Float()->FWidth, h = Float()->FHeight;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t colour = 0, visible = 0;
            if (TImage_GetPixelMasked(Float()->FImage, x, y, &colour))
                expected.push_back({0xFF0000, 1});
            else
                expected.push_back({BackgroundPixel(FForm, x, y, &visible), visible != 0});
        }
    EXPECT_EQ(Snapshot(FForm).FBackground, before.FBackground); // nothing merged while floating
    TTool_Deactivate(FTool);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    size_t i = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x, ++i) {
            uint32_t visible = 0;
            EXPECT_EQ(BackgroundPixel(FForm, x, y, &visible), expected[i].FColour) << x << "," << y;
            EXPECT_EQ(visible != 0, expected[i].FVisible != 0) << x << "," << y;
        }
}

// As the tool bar does when the current tool is chosen again: deactivate, then activate.
TEST_F(TextToolTest, ChoosingTheToolAgainCommitsTheFloatingTextAndAsksForANewOne) {
    TDocSnapshot empty = Snapshot(FForm);
    TTool_Activate(FTool);
    ASSERT_NE(Float(), nullptr);
    GDialog.FText = "Next";
    TTool_Deactivate(FTool);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_NE(Snapshot(FForm).FBackground, empty.FBackground); // the first text merged
    TTool_Activate(FTool);
    EXPECT_EQ(GDialog.FCalls, 2);
    ASSERT_NE(Float(), nullptr);
    EXPECT_EQ(Float()->FWidth, Expected("Next", GDialog.FFont).width());
}

TEST_F(TextToolTest, TapsDragTheTextWithoutAStepCommitOutsideAndPlaceAtTheTap) {
    TTool_Activate(FTool);
    ASSERT_NE(Float(), nullptr);
    TPoint from = TWorkForm_ImageToClient(FForm, {2, 2});
    TPoint to = TWorkForm_ImageToClient(FForm, {7, 5});
    FForm->FStylus = from;
    TTool_Stylus(FTool, FForm, TWE_DOWN, from.x, from.y);
    FForm->FStylus = to;
    TTool_Stylus(FTool, FForm, TWE_MOVE, to.x, to.y);
    TTool_Stylus(FTool, FForm, TWE_UP, to.x, to.y);
    ASSERT_NE(Float(), nullptr);
    EXPECT_EQ(Float()->FLeft, 5);
    EXPECT_EQ(Float()->FTop, 3);
    EXPECT_EQ(Steps(), 1);
    Tap(150, 55); // outside the text: committed, nothing asked
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(GDialog.FCalls, 1);
    Tap(30, 20);
    EXPECT_EQ(GDialog.FCalls, 2);
    ASSERT_NE(Float(), nullptr);
    EXPECT_EQ(Float()->FLeft, 30);
    EXPECT_EQ(Float()->FTop, 20);
}

TEST_F(TextToolTest, CancelEmptyTextOrNoDialogPlaceNothingAndKeepTheSelection) {
    struct Case {
        const char* FName;
        bool FHooks;
        int FAnswer;
        const char* FText;
    } cases[] = {
        {"cancel", true, -1, "Text"}, {"empty", true, 0, ""}, {"no dialog", false, 0, "Text"}};
    for (const Case& c : cases) {
        TTextHooks hooks = {c.FHooks ? FakeRunTextDialog : nullptr, nullptr};
        TextHooks_Install(&hooks);
        GDialog.FAnswer = c.FAnswer;
        GDialog.FText = c.FText;
        TRectXYWH area = {3, 3, 5, 4};
        ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
        TUndoHistory_Clear(FForm->FHistory);
        TDocSnapshot before = Snapshot(FForm);
        TTool_Activate(FTool);
        EXPECT_EQ(Snapshot(FForm), before) << c.FName;
        EXPECT_EQ(Steps(), 0) << c.FName;
        TWorkForm_CommitSelection(FForm);
    }
}

} // namespace
