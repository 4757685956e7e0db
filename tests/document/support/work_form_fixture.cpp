// The document tests' shared fixture and snapshots.
#include "work_form_fixture.h"

#include <QApplication>
#include <QScrollBar>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "platform/msgbox.h"
#include "support/test_support.h"

bool TDocSnapshot::operator==(const TDocSnapshot& o) const {
    return FSelectMode == o.FSelectMode && FSelectArea.x == o.FSelectArea.x &&
           FSelectArea.y == o.FSelectArea.y && FSelectArea.width == o.FSelectArea.width &&
           FSelectArea.height == o.FSelectArea.height && FBackgroundWidth == o.FBackgroundWidth &&
           FBackgroundHeight == o.FBackgroundHeight && FBackground == o.FBackground &&
           FFloatRect.x == o.FFloatRect.x && FFloatRect.y == o.FFloatRect.y &&
           FFloatRect.width == o.FFloatRect.width && FFloatRect.height == o.FFloatRect.height &&
           FFloat == o.FFloat && FSecondaryColour == o.FSecondaryColour;
}

std::ostream& operator<<(std::ostream& os, const TDocSnapshot& s) {
    return os << "{mode " << s.FSelectMode << " area " << s.FSelectArea.x << "," << s.FSelectArea.y
              << " " << s.FSelectArea.width << "x" << s.FSelectArea.height << " background "
              << s.FBackgroundWidth << "x" << s.FBackgroundHeight << " (" << s.FBackground.size()
              << " bytes) float " << s.FFloatRect.x << "," << s.FFloatRect.y << " "
              << s.FFloatRect.width << "x" << s.FFloatRect.height << " (" << s.FFloat.size()
              << " bytes) secondary " << std::hex << s.FSecondaryColour << std::dec << "}";
}

TDocSnapshot Snapshot(TWorkForm* form) {
    TDocSnapshot s;
    s.FSelectMode = form->FSelectMode;
    if (form->FSelectMode == TSM_AREA) s.FSelectArea = form->FSelectArea;
    TLayer* background = TWorkForm_GetBackground(form);
    if (background && background->FImage) {
        s.FBackgroundWidth = background->FWidth;
        s.FBackgroundHeight = background->FHeight;
        s.FBackground = PixelDump(background->FImage);
    }
    TLayer* floating = form->FFloat;
    if ((form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) && floating &&
        floating->FImage) {
        s.FFloatRect = {floating->FLeft, floating->FTop, floating->FWidth, floating->FHeight};
        s.FFloat = PixelDump(floating->FImage);
    }
    s.FSecondaryColour = DocumentHost_GetSecondaryColor();
    return s;
}

void WorkFormTest::SetUp() {
    DocumentHost_Install(nullptr);
    MessageBoxSetHandler(nullptr);
    MessageBoxClearRecords();
    MakeForm(32, 24);
}

void WorkFormTest::TearDown() {
    FForm = TWorkForm_Destroy(FForm);
    FMain.reset();
    DocumentHost_Install(nullptr);
}

void WorkFormTest::MakeForm(int32_t width, int32_t height, int32_t viewWidth, int32_t viewHeight) {
    FForm = TWorkForm_Destroy(FForm);
    if (!FMain) {
        FMain = std::make_unique<QWidget>();
        FMain->setObjectName("MainWindow");
    }
    FMain->resize(viewWidth, viewHeight);
    FMain->show();
    FForm = TWorkForm_Create(FMain.get());
    ASSERT_NE(FForm, nullptr);
    TWorkForm_SetActive(FForm);
    ASSERT_EQ(TWorkForm_New(FForm, width, height), 0);
    TRectXYWH bounds = {0, 0, viewWidth, viewHeight};
    TWorkForm_Relayout(FForm, &bounds);
    QApplication::processEvents();
}

void WorkFormTest::FillPattern(uint32_t seed) {
    TLayer* background = TWorkForm_GetBackground(FForm);
    ASSERT_NE(background, nullptr);
    uint32_t state = seed * 2654435761u + 1;
    for (int32_t y = 0; y < background->FHeight; ++y)
        for (int32_t x = 0; x < background->FWidth; ++x) {
            state = state * 1103515245u + 12345u;
            uint32_t colour = (state >> 8) & 0xFFFFFF;
            bool visible = (x + y * background->FWidth) % 3 != 0;
            TImage_SetPixelMasked(background->FImage, x, y, colour, visible ? 0xFFFFFF : 0);
        }
    TWorkForm_Repaint(FForm);
}

QImage WorkFormTest::GrabView() {
    QApplication::processEvents();
    return FForm->FScrollArea->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void WorkFormTest::ExpectUndoRedo(const std::function<void()>& change) {
    TDocSnapshot before = Snapshot(FForm);
    change();
    TDocSnapshot after = Snapshot(FForm);
    EXPECT_FALSE(before == after) << "the change changed nothing";
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), before) << "undo";
    TWorkForm_Redo(FForm);
    EXPECT_EQ(Snapshot(FForm), after) << "redo";
}

void WorkFormTest::PaintBackground(uint32_t colour) {
    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            TImage_SetPixelMasked(image, x, y, colour, 0xFFFFFF);
    TWorkForm_Repaint(FForm);
}

TPoint WorkFormTest::PixelCentre(int32_t x, int32_t y) {
    TPoint p = TWorkForm_ImageToClient(FForm, {x, y});
    int32_t half = int32_t(TWorkForm_GetZoomFactor(FForm) / 2);
    return {p.x + half, p.y + half};
}

uint32_t BackgroundPixel(TWorkForm* form, int32_t x, int32_t y, uint32_t* visible) {
    TLayer* background = TWorkForm_GetBackground(form);
    uint32_t colour = 0;
    uint32_t mask = TImage_GetPixelMasked(background->FImage, x, y, &colour);
    if (visible) *visible = mask;
    return colour;
}
