// A document from a real file through a real (offscreen) window: open, float, move, commit,
// rotate, flip, copy and paste, then every step undone and redone with the document matching
// each state it passed through, and the screen showing exactly the composed picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "support/test_support.h"
#include "support/work_form_fixture.h"

namespace {

class EndToEndTest : public WorkFormTest, public ::testing::WithParamInterface<const char*> {};

// What the screen must show for image pixel (x, y): its colour, or the secondary colour where
// it is transparent, as Qt's 0xAARRGGBB without alpha.
uint32_t ExpectedOnScreen(TWorkForm* form, int32_t x, int32_t y) {
    uint32_t colour = 0;
    uint32_t visible = TImage_GetPixelMasked(TWorkForm_GetBackground(form)->FImage, x, y, &colour);
    if (!visible) colour = DocumentHost_GetSecondaryColor();
    return SwapColorRB(colour) & 0xFFFFFF;
}

TEST_P(EndToEndTest, EveryStepUndoesAndRedoesAndTheScreenShowsThePicture) {
    std::string path = SharedDir() + "/corpus/" + GetParam();
    ImagePtr reference(TImage_Create(1, 1, 24, TIF_HASMASK));
    ASSERT_EQ(TImage_LoadFile(reference.get(), path.c_str()), 0);
    ASSERT_EQ(TWorkForm_Open(FForm, path.c_str()), 1);
    TLayer* background = TWorkForm_GetBackground(FForm);
    ASSERT_EQ(PixelDump(background->FImage), PixelDump(reference.get()));
    EXPECT_EQ(FForm->FFileName, path);

    const int32_t w = background->FWidth, h = background->FHeight;
    std::vector<TDocSnapshot> states = {Snapshot(FForm)};
    auto step = [&](auto change) {
        change();
        states.push_back(Snapshot(FForm));
    };
    TRectXYWH part = {1, 1, w / 2, h / 2};
    step([&] { TWorkForm_Select(FForm, &part, TWS_COPY_FLOAT); });
    step([&] { TWorkForm_MoveSelection(FForm, w / 3, h / 3, 1); });
    step([&] { TWorkForm_CommitSelection(FForm); });
    step([&] { TWorkForm_Rotate(FForm, -90); });
    step([&] { TWorkForm_Flip(FForm, 1); });
    step([&] { TWorkForm_SelectAll(FForm); });
    ASSERT_EQ(TWorkForm_Copy(FForm), 0);
    step([&] { TWorkForm_Paste(FForm); });
    ASSERT_EQ(TUndoHistory_GetPosition(FForm->FHistory), 8) << "paste drops the area first";
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);

    for (size_t i = states.size() - 1; i > 0; --i) {
        TWorkForm_Undo(FForm);
        // The paste is two steps (deselect, float): its undo passes through the area selection.
        if (i == states.size() - 1) TWorkForm_Undo(FForm);
        ASSERT_EQ(Snapshot(FForm), states[i - 1]) << "after undoing step " << i;
    }
    TWorkForm_Undo(FForm); // nothing left to undo: the document is as opened
    EXPECT_FALSE(TWorkForm_IsModified(FForm));
    for (size_t i = 1; i < states.size(); ++i) {
        TWorkForm_Redo(FForm);
        if (i == states.size() - 1) TWorkForm_Redo(FForm);
        ASSERT_EQ(Snapshot(FForm), states[i]) << "after redoing step " << i;
    }

    // The screen: commit, then at zoom 4 without the grid each image pixel is a 4 x 4 block.
    TWorkForm_CommitSelection(FForm);
    TWorkForm_HideGrid(FForm);
    TWorkForm_SetZoom(FForm, 4.0);
    QImage view = GrabView();
    background = TWorkForm_GetBackground(FForm);
    int32_t checked = 0;
    for (int32_t y = 0; y < background->FHeight; ++y)
        for (int32_t x = 0; x < background->FWidth; ++x) {
            int32_t sx = FForm->FScrollX + x * 4 + 2, sy = FForm->FScrollY + y * 4 + 2;
            if (sx < 0 || sy < 0 || sx >= view.width() || sy >= view.height()) continue;
            ASSERT_EQ(view.pixel(sx, sy) & 0xFFFFFF, ExpectedOnScreen(FForm, x, y))
                << "image pixel " << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, EndToEndTest,
                         ::testing::Values("bmp/bmp-24bit-im3-33x9.bmp",
                                           "jpeg/jpeg-colour-pil-422-33x17.jpg",
                                           "ico/ico-png-hand-alpha-edge-32.ico"));

} // namespace
