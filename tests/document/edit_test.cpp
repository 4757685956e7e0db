// The editing commands: Clear in each selection mode, the clipboard (our block, PNG and BMP from
// other programs), Crop, the transforms and adjustments, Change Color, and that each change
// undoes and redoes bit for bit.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "core/clipboard_block.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "platform/qt/clipboard.h"
#include "support/clip_block_guard.h"
#include "support/test_support.h"
#include "support/work_form_fixture.h"

namespace {

// Colour and visibility of each pixel of a rectangle, rows top to bottom: visible pixels carry
// 0x01000000 besides their colour.
std::vector<uint32_t> AreaPixels(const TImage* image, int32_t x, int32_t y, int32_t w, int32_t h) {
    std::vector<uint32_t> out;
    for (int32_t j = y; j < y + h; ++j)
        for (int32_t i = x; i < x + w; ++i) {
            uint32_t colour = 0;
            uint32_t mask = TImage_GetPixelMasked(image, i, j, &colour);
            out.push_back(colour | (mask ? 0x01000000u : 0));
        }
    return out;
}

std::vector<uint8_t> Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

const std::vector<uint8_t> KSentinel = {'k', 'e', 'e', 'p'};

void PutSentinel() {
    Clipboard_SetItems({{"text/plain", KSentinel}});
}

bool SentinelKept() {
    std::vector<uint8_t> bytes;
    return Clipboard_GetItem("text/plain", &bytes) == 0 && bytes == KSentinel &&
           !Clipboard_HasFormat(KClipboardMimeType);
}

// What the host saw: the tool Paste selects, the sizes shown.
int GCurrentTool = 0, GSelectedTool = 0;
int32_t GShownWidth = 0, GShownHeight = 0;

int CurrentTool() {
    return GCurrentTool;
}
void SelectTool(int id) {
    GSelectedTool = id;
}
void ShowImageSize(int32_t w, int32_t h) {
    GShownWidth = w, GShownHeight = h;
}
void RedPen(TDrawAttr* attr) {
    *attr = TDrawAttr{0, 0x0000FF, 0, 0xFFFFFF, 3};
}

class EditTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        GCurrentTool = GSelectedTool = 0;
        GShownWidth = GShownHeight = 0;
        TDocumentHost host = {};
        host.FGetCurrentTool = CurrentTool;
        host.FSelectTool = SelectTool;
        host.FShowImageSize = ShowImageSize;
        host.FGetDrawAttr = RedPen;
        DocumentHost_Install(&host);
        FillPattern(7);
    }
    TLayer* Background() { return TWorkForm_GetBackground(FForm); }
    int32_t Steps() { return TUndoHistory_GetCount(FForm->FHistory); }
    void Select(int32_t x, int32_t y, int32_t w, int32_t h, int op) {
        TRectXYWH r = {x, y, w, h};
        ASSERT_EQ(TWorkForm_Select(FForm, &r, op), 0);
    }
    // The render-window point inside image pixel (x, y).
    TPoint ClientOf(int32_t x, int32_t y) {
        TPoint p = TWorkForm_ImageToClient(FForm, TPoint{x, y});
        return {p.x + 1, p.y + 1};
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const TMessageBoxRecord& record : MessageBoxRecords())
            texts.push_back(record.FText);
        return texts;
    }
};

// ---- Clear ----

TEST_F(EditTest, Clear_AreaClearsOnlyTheSelectedArea) {
    Select(4, 3, 6, 5, TWS_AREA);
    std::vector<uint32_t> before = AreaPixels(Background()->FImage, 0, 0, 32, 24);
    TWorkForm_Clear(FForm);
    std::vector<uint32_t> after = AreaPixels(Background()->FImage, 0, 0, 32, 24);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            bool inside = x >= 4 && x < 10 && y >= 3 && y < 8;
            uint32_t expected = inside ? 0 : before[size_t(y * 32 + x)];
            EXPECT_EQ(after[size_t(y * 32 + x)], expected) << x << "," << y;
        }
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA);
}

TEST_F(EditTest, Clear_FloatBecomesTransparentAndTheLayerUnderItStays) {
    Select(2, 2, 8, 6, TWS_COPY_FLOAT);
    std::vector<uint8_t> background = PixelDump(Background()->FImage);
    TWorkForm_Clear(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
    EXPECT_EQ(AreaPixels(FForm->FFloat->FImage, 0, 0, 8, 6), std::vector<uint32_t>(48, 0));
    EXPECT_EQ(PixelDump(Background()->FImage), background);
    TWorkForm_CommitSelection(FForm);
    EXPECT_EQ(PixelDump(Background()->FImage), background) << "nothing visible to commit";
}

// ---- Copy, Cut, Paste ----

TEST_F(EditTest, CutAndCopy_DoNothingOutsideAnAreaSelection) {
    const int ops[] = {0, TWS_COPY_FLOAT, TWS_CUT_FLOAT};
    for (int op : ops) {
        SCOPED_TRACE(op);
        if (op) Select(3, 3, 5, 5, op);
        PutSentinel();
        TDocSnapshot before = Snapshot(FForm);
        int32_t steps = Steps();
        EXPECT_EQ(TWorkForm_Copy(FForm), 0);
        EXPECT_EQ(TWorkForm_Cut(FForm), 0);
        EXPECT_TRUE(SentinelKept());
        EXPECT_EQ(Snapshot(FForm), before);
        EXPECT_EQ(Steps(), steps);
        TWorkForm_CommitSelection(FForm);
    }
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(EditTest, Copy_PutsThreeTypesAndPasteOfOurBlockRoundTrips) {
    std::vector<uint32_t> area = AreaPixels(Background()->FImage, 5, 4, 7, 6);
    PutSentinel();
    EXPECT_EQ(TWorkForm_CanPaste(), 0);
    EXPECT_EQ(TWorkForm_Paste(FForm), 0) << "nothing to paste";
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    Select(5, 4, 7, 6, TWS_AREA);
    ASSERT_EQ(TWorkForm_Copy(FForm), 0);
    EXPECT_EQ(Clipboard_HasFormat(KClipboardMimeType), 1);
    std::vector<uint8_t> png, bmp;
    ASSERT_EQ(Clipboard_GetItem("image/png", &png), 0);
    ASSERT_EQ(Clipboard_GetItem("image/bmp", &bmp), 0);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
    EXPECT_EQ(TWorkForm_CanPaste(), 1);
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA) << "Copy changes nothing";

    GCurrentTool = 15; // the text tool keeps its place
    ASSERT_EQ(TWorkForm_Paste(FForm), 0);
    EXPECT_EQ(GSelectedTool, 0);
    ASSERT_EQ(FForm->FSelectMode, TSM_COPY);
    TLayer* floating = FForm->FFloat;
    EXPECT_EQ(floating->FWidth, 7);
    EXPECT_EQ(floating->FHeight, 6);
    EXPECT_EQ(floating->FBaseLayer, Background());
    EXPECT_EQ(AreaPixels(floating->FImage, 0, 0, 7, 6), area) << "colour and mask";
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(EditTest, Paste_TakesPngFromAnotherProgramVisibleWhereAlphaIsAtLeast128) {
    QImage picture(4, 1, QImage::Format_ARGB32);
    const int alphas[] = {255, 128, 127, 0};
    for (int x = 0; x < 4; ++x)
        picture.setPixel(x, 0, qRgba(0x10 * (x + 1), 0x20, 0x30, alphas[x]));
    Clipboard_SetItems({{"image/png", Encoded(picture, "PNG")}});
    EXPECT_EQ(TWorkForm_CanPaste(), 1);
    GCurrentTool = 3;
    ASSERT_EQ(TWorkForm_Paste(FForm), 0);
    EXPECT_EQ(GSelectedTool, 10) << "another tool gives way to the Selection tool";
    ASSERT_EQ(FForm->FSelectMode, TSM_COPY);
    std::vector<uint32_t> got = AreaPixels(FForm->FFloat->FImage, 0, 0, 4, 1);
    EXPECT_EQ(got[0], 0x01302010u);
    EXPECT_EQ(got[1], 0x01302020u);
    EXPECT_EQ(got[2] & 0x01000000u, 0u);
    EXPECT_EQ(got[3] & 0x01000000u, 0u);
}

TEST_F(EditTest, Paste_TakesBmpFromAnotherProgramWhollyVisible) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(0xAA, 0xBB, 0xCC));
    picture.setPixel(2, 1, qRgb(1, 2, 3));
    Clipboard_SetItems({{"image/bmp", Encoded(picture, "BMP")}});
    ASSERT_EQ(TWorkForm_Paste(FForm), 0);
    ASSERT_EQ(FForm->FSelectMode, TSM_COPY);
    std::vector<uint32_t> expected(6, 0x01CCBBAAu);
    expected[5] = 0x01030201u;
    EXPECT_EQ(AreaPixels(FForm->FFloat->FImage, 0, 0, 3, 2), expected);
}

TEST_F(EditTest, Paste_PrefersOurBlockOverAnotherProgramsPicture) {
    ImagePtr ours(TImage_Create(2, 3, 24, TIF_HASMASK | TIF_BOTTOMUP));
    ASSERT_TRUE(ours);
    TImage_FillMask(ours.get(), 1);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(ours.get(), &block.FBlock), 0);
    QImage other(5, 5, QImage::Format_RGB32);
    other.fill(qRgb(9, 9, 9));
    Clipboard_SetItems({{"image/png", Encoded(other, "PNG")},
                        {KClipboardMimeType, block.Bytes()},
                        {"image/bmp", Encoded(other, "BMP")}});
    ASSERT_EQ(TWorkForm_Paste(FForm), 0);
    EXPECT_EQ(FForm->FFloat->FWidth, 2);
    EXPECT_EQ(FForm->FFloat->FHeight, 3);
}

TEST_F(EditTest, Paste_OfABrokenPrivateBlockPastesNothingAndShowsWhy) {
    QImage other(5, 5, QImage::Format_RGB32);
    other.fill(qRgb(9, 9, 9));
    Clipboard_SetItems(
        {{KClipboardMimeType, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, {"image/png", Encoded(other, "PNG")}});
    Select(1, 1, 3, 3, TWS_AREA);
    std::vector<uint8_t> background = PixelDump(Background()->FImage);
    EXPECT_EQ(TWorkForm_Paste(FForm), -1);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE) << "the selection was dropped first";
    EXPECT_EQ(PixelDump(Background()->FImage), background);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Unknown format error"});
}

TEST_F(EditTest, Paste_LandsAtTheViewOriginNotAtZero) {
    MakeForm(200, 150); // zoom 8: far larger than the view
    TWorkForm_ScrollBy(FForm, 160, 96);
    TWorkForm_Repaint(FForm);
    TPoint origin = {FForm->FVisibleRect.x, FForm->FVisibleRect.y};
    ASSERT_GT(origin.x, 0);
    ASSERT_GT(origin.y, 0);
    Select(0, 0, 4, 4, TWS_AREA);
    ASSERT_EQ(TWorkForm_Copy(FForm), 0);
    ASSERT_EQ(TWorkForm_Paste(FForm), 0);
    EXPECT_EQ(FForm->FFloat->FLeft, origin.x);
    EXPECT_EQ(FForm->FFloat->FTop, origin.y);
}

TEST_F(EditTest, Cut_UndoRestoresAndRedoClearsAgainLeavingTheClipboardAlone) {
    Select(6, 2, 9, 7, TWS_AREA);
    std::vector<uint32_t> area = AreaPixels(Background()->FImage, 6, 2, 9, 7);
    TDocSnapshot before = Snapshot(FForm);
    ASSERT_EQ(TWorkForm_Cut(FForm), 0);
    EXPECT_EQ(AreaPixels(Background()->FImage, 6, 2, 9, 7), std::vector<uint32_t>(63, 0));
    TDocSnapshot after = Snapshot(FForm);
    ASSERT_EQ(Clipboard_HasFormat(KClipboardMimeType), 1);
    PutSentinel();
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(AreaPixels(Background()->FImage, 6, 2, 9, 7), area);
    TWorkForm_Redo(FForm);
    EXPECT_EQ(Snapshot(FForm), after);
    EXPECT_TRUE(SentinelKept());
}

// ---- Adjustments on floating selections ----

TEST_F(EditTest, Invert_InCutModeInvertsOnlyTheFloat) {
    Select(3, 3, 6, 4, TWS_CUT_FLOAT);
    std::vector<uint8_t> background = PixelDump(Background()->FImage);
    std::vector<uint32_t> floating = AreaPixels(FForm->FFloat->FImage, 0, 0, 6, 4);
    ASSERT_EQ(TWorkForm_Invert(FForm), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_CUT);
    EXPECT_EQ(PixelDump(Background()->FImage), background);
    for (uint32_t& pixel : floating)
        pixel ^= 0xFFFFFF; // colour inverted, visibility kept
    EXPECT_EQ(AreaPixels(FForm->FFloat->FImage, 0, 0, 6, 4), floating);
}

TEST_F(EditTest, Invert_InCopyModeCommitsFirstAndInvertsTheBackground) {
    std::vector<uint32_t> expected = AreaPixels(Background()->FImage, 0, 0, 32, 24);
    for (uint32_t& pixel : expected)
        pixel ^= 0xFFFFFF;
    Select(3, 3, 6, 4, TWS_COPY_FLOAT);
    ASSERT_EQ(TWorkForm_Invert(FForm), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(AreaPixels(Background()->FImage, 0, 0, 32, 24), expected);
}

// ---- Change Color ----

TEST_F(EditTest, ChangeColour_OnATransparentPixelChangesNothingAndDisarms) {
    uint32_t visible = 1;
    BackgroundPixel(FForm, 0, 0, &visible);
    ASSERT_EQ(visible, 0u);
    TWorkForm_ArmChangeColour(FForm);
    EXPECT_EQ(FForm->FTapMode, 1);
    TDocSnapshot before = Snapshot(FForm);
    TPoint p = ClientOf(0, 0);
    TWorkForm_ReplaceColourAt(FForm, p.x, p.y);
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(Steps(), 0);
    EXPECT_EQ(FForm->FTapMode, 0);
}

// ---- Crop ----

TEST_F(EditTest, Crop_MakesAModifiedDocumentOfTheAreaWithoutSteps) {
    Select(4, 5, 10, 8, TWS_AREA);
    std::vector<uint32_t> area = AreaPixels(Background()->FImage, 4, 5, 10, 8);
    TDocSnapshot before = Snapshot(FForm);
    FForm->FPalette[7] = TPaletteEntry{1, 2, 3, 0};
    TWorkForm* cropped = TWorkForm_Crop(FForm, FMain.get());
    ASSERT_NE(cropped, nullptr);
    TLayer* background = TWorkForm_GetBackground(cropped);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->FWidth, 10);
    EXPECT_EQ(background->FHeight, 8);
    EXPECT_EQ(AreaPixels(background->FImage, 0, 0, 10, 8), area);
    EXPECT_EQ(TWorkForm_IsModified(cropped), 1);
    EXPECT_EQ(TUndoHistory_GetCount(cropped->FHistory), 0);
    EXPECT_EQ(cropped->FPalette[7].FBlue, 1);
    TWorkForm_Destroy(cropped);
    TWorkForm_SetActive(FForm);
    EXPECT_EQ(Snapshot(FForm), before) << "the source is unchanged";
    TWorkForm_CommitSelection(FForm);
    EXPECT_EQ(TWorkForm_Crop(FForm, FMain.get()), nullptr) << "no area selection";
}

// ---- Transforms ----

TEST_F(EditTest, Rotate_RightSwapsTheSizeAndUndoRestoresIt) {
    ExpectUndoRedo([&] { ASSERT_EQ(TWorkForm_Rotate(FForm, -90), 0); });
    EXPECT_EQ(Background()->FWidth, 24);
    EXPECT_EQ(Background()->FHeight, 32);
    EXPECT_EQ(Steps(), 1);
}

TEST_F(EditTest, ImageSize_UndoShowsTheOldSizeAndRedoTheNew) {
    EXPECT_EQ(TWorkForm_ResizeImage(FForm, 32, 24, 1), 0);
    EXPECT_EQ(Steps(), 0) << "the same size is no change";
    ASSERT_EQ(TWorkForm_ResizeImage(FForm, 50, 10, 0), 0);
    EXPECT_EQ(Background()->FWidth, 50);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(GShownWidth, 32);
    EXPECT_EQ(GShownHeight, 24);
    TWorkForm_Redo(FForm);
    EXPECT_EQ(GShownWidth, 50);
    EXPECT_EQ(GShownHeight, 10);
}

TEST_F(EditTest, ImageSize_RefusesWhenItsStepCannotBeMade) {
    TDocSnapshot before = Snapshot(FForm);
    {
        LimitGuard guard;
        // The whole layer (96-byte rows) cannot be saved; the 8 x 8 result (24-byte rows) could
        // be made, so only the refusal keeps the picture.
        TImage_SetPixelLimit(1000);
        EXPECT_EQ(TWorkForm_ResizeImage(FForm, 8, 8, 0), -1);
    }
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(Steps(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not allocated memory"});
}

// A command whose step cannot be made still changes the picture: no undo makes the document
// unmodified again.
TEST_F(EditTest, CommandWithoutItsStepLeavesTheDocumentModified) {
    for (auto command : {TWorkForm_Invert, TWorkForm_Grayscale}) {
        MakeForm(32, 24);
        FillPattern(3);
        TWorkForm_Invert(FForm);
        {
            LimitGuard guard;
            TImage_SetPixelLimit(1000);
            command(FForm);
        }
        TWorkForm_Undo(FForm);
        TWorkForm_Undo(FForm);
        EXPECT_EQ(TWorkForm_IsModified(FForm), 1);
    }
}

// ---- Every change undoes and redoes bit for bit ----

struct TUndoCase {
    const char* FName;
    std::function<void(TWorkForm*)> FSetup;
    std::function<void(TWorkForm*)> FChange;
};

TEST_F(EditTest, EveryCommand_UndoesAndRedoesBitForBit) {
    auto none = [](TWorkForm*) {};
    auto area = [](TWorkForm* f) {
        TRectXYWH r = {3, 2, 11, 9};
        TWorkForm_Select(f, &r, TWS_AREA);
    };
    auto cutFloat = [](TWorkForm* f) {
        TRectXYWH r = {3, 2, 11, 9};
        TWorkForm_Select(f, &r, TWS_CUT_FLOAT);
    };
    const TUndoCase cases[] = {
        {"clear area", area, [](TWorkForm* f) { TWorkForm_Clear(f); }},
        {"clear float", cutFloat, [](TWorkForm* f) { TWorkForm_Clear(f); }},
        {"clear all", none, [](TWorkForm* f) { TWorkForm_Clear(f); }},
        {"cut", area, [](TWorkForm* f) { TWorkForm_Cut(f); }},
        {"invert", none, [](TWorkForm* f) { TWorkForm_Invert(f); }},
        {"invert float", cutFloat, [](TWorkForm* f) { TWorkForm_Invert(f); }},
        {"grayscale", none, [](TWorkForm* f) { TWorkForm_Grayscale(f); }},
        {"brightness/contrast", none,
         [](TWorkForm* f) { TWorkForm_AdjustBrightnessContrast(f, 40, -25); }},
        {"brightness only", none,
         [](TWorkForm* f) { TWorkForm_AdjustBrightnessContrast(f, 0, 30); }},
        {"image size nearest", none, [](TWorkForm* f) { TWorkForm_ResizeImage(f, 45, 13, 0); }},
        {"image size smooth", none, [](TWorkForm* f) { TWorkForm_ResizeImage(f, 45, 13, 1); }},
        {"image size of a float", cutFloat,
         [](TWorkForm* f) { TWorkForm_ResizeImage(f, 5, 20, 1); }},
        {"rotate left", none, [](TWorkForm* f) { TWorkForm_Rotate(f, 90); }},
        {"rotate 180", none, [](TWorkForm* f) { TWorkForm_Rotate(f, 180); }},
        {"flip horizontal", none, [](TWorkForm* f) { TWorkForm_Flip(f, 0); }},
        {"flip vertical", none, [](TWorkForm* f) { TWorkForm_Flip(f, 1); }},
        {"change colour", none,
         [this](TWorkForm* f) {
             TWorkForm_ArmChangeColour(f);
             TPoint p = ClientOf(1, 0);
             TWorkForm_ReplaceColourAt(f, p.x, p.y);
         }},
    };
    for (const TUndoCase& c : cases) {
        SCOPED_TRACE(c.FName);
        MakeForm(32, 24);
        FillPattern(11);
        c.FSetup(FForm);
        int32_t steps = TUndoHistory_GetCount(FForm->FHistory);
        ExpectUndoRedo([&] { c.FChange(FForm); });
        EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), steps + 1)
            << "one step, and neither undo nor redo records another";
        // A redo shows its change once, whether its procedure or the history repaints it.
        TWorkForm_Undo(FForm);
        TRenderCounts before, after;
        TWorkForm_GetRenderCounts(&before);
        TWorkForm_Redo(FForm);
        TWorkForm_GetRenderCounts(&after);
        EXPECT_EQ(after.FComposes - before.FComposes, 1);
    }
    EXPECT_TRUE(MessageBoxRecords().empty());
}

} // namespace
