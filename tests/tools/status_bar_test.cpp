// The status bar: its window (hidden, named, along the parent's bottom edge, as high as its
// 9-pixel font's text plus 5), the pane limits, the 255-character cut that never splits a
// character, and the painted panes: sunken frames at the given widths one pixel apart, text
// inside them, nothing outside.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include "core/error.h"
#include "tools/status_bar.h"

namespace {

class StatusBarTest : public testing::Test {
  protected:
    void SetUp() override {
        FParent = std::make_unique<QWidget>();
        FParent->resize(300, 200);
        FBar = TStatusBar_Create(FParent.get());
        ASSERT_NE(FBar, nullptr);
    }
    void TearDown() override { FBar = TStatusBar_Destroy(FBar); }

    QImage Grab() const {
        return FBar->FHandle->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRgb Background() const { return FBar->FHandle->palette().color(QPalette::Button).rgb(); }
    // Pixels of image inside [x0, x1) x [y0, y1) that are not the background.
    int CountInk(const QImage& image, int x0, int y0, int x1, int y1) const {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (image.pixel(x, y) != Background()) ++count;
        return count;
    }
    void SetPanes(std::vector<int32_t> widths) {
        TStatusBar_SetPanes(FBar, int32_t(widths.size()), widths.data());
    }

    std::unique_ptr<QWidget> FParent;
    TStatusBar* FBar = nullptr;
};

TEST_F(StatusBarTest, Create_HiddenChildAlongTheBottomAsHighAsItsText) {
    QWidget* window = FBar->FHandle;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), QStringLiteral("StatusBarForm"));
    EXPECT_EQ(window->parentWidget(), FParent.get());
    EXPECT_TRUE(window->isHidden());

    ASSERT_NE(FBar->FFont, nullptr);
    EXPECT_EQ(FBar->FFont->pixelSize(), 9);
    int height = QFontMetrics(*FBar->FFont).height() + 5;
    EXPECT_EQ(TStatusBar_GetHeight(FBar), height);
    EXPECT_EQ(window->geometry(), QRect(0, 200 - height, 300, height));

    EXPECT_EQ(FBar->FPaneGap, 1);
    EXPECT_EQ(FBar->FPaneCount, 0);
}

TEST_F(StatusBarTest, Create_RefusesAMissingParent) {
    EXPECT_EQ(TStatusBar_Create(nullptr), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TStatusBar_GetHeight(nullptr), 0);
}

TEST_F(StatusBarTest, Destroy_AfterTheParentWindowIsGone) {
    FParent.reset(); // takes the status bar window with it
    EXPECT_EQ(FBar->FHandle, nullptr);
    SetPanes({10});
    TStatusBar_SetText(FBar, 0, "still stored", 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, "still stored");
    EXPECT_EQ(TStatusBar_Destroy(FBar), nullptr);
    FBar = nullptr;
}

TEST_F(StatusBarTest, SetPanes_KeepsAtMost32) {
    std::vector<int32_t> widths(40);
    for (size_t i = 0; i < widths.size(); ++i)
        widths[i] = int32_t(i) + 1;
    SetPanes(widths);
    EXPECT_EQ(FBar->FPaneCount, KStatusPaneMax);
    EXPECT_EQ(FBar->FPanes[0].FPaneWidth, 1);
    EXPECT_EQ(FBar->FPanes[31].FPaneWidth, 32);

    SetPanes({247, 50});
    EXPECT_EQ(FBar->FPaneCount, 2);
    EXPECT_EQ(FBar->FPanes[0].FPaneWidth, 247);
    EXPECT_EQ(FBar->FPanes[1].FPaneWidth, 50);

    TStatusBar_SetPanes(FBar, -3, widths.data());
    EXPECT_EQ(FBar->FPaneCount, 0);
}

TEST_F(StatusBarTest, SetText_OutsideThePanesDoesNothing) {
    TStatusBar_SetText(FBar, 0, "no panes yet", 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, "");

    SetPanes({100, 50});
    TStatusBar_SetText(FBar, 1, "128 x 96", 7);
    TStatusBar_SetText(FBar, -1, "before", 0);
    TStatusBar_SetText(FBar, 2, "past", 0);
    TStatusBar_SetText(FBar, KStatusPaneMax, "far past", 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, "");
    EXPECT_EQ(FBar->FPanes[1].FPaneText, "128 x 96");
    EXPECT_EQ(FBar->FPanes[1].FPaneStyle, 7);
    EXPECT_EQ(FBar->FPanes[2].FPaneText, "");

    TStatusBar_SetText(FBar, 1, nullptr, 0);
    EXPECT_EQ(FBar->FPanes[1].FPaneText, "");
    TStatusBar_SetText(nullptr, 0, "no bar", 0); // must not crash
}

TEST_F(StatusBarTest, SetText_CutsTo255CharactersNeverInsideOne) {
    SetPanes({100});
    TStatusBar_SetText(FBar, 0, std::string(300, 'x').c_str(), 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, std::string(255, 'x'));

    TStatusBar_SetText(FBar, 0, std::string(255, 'y').c_str(), 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, std::string(255, 'y'));

    // Two, three and four bytes a character: the cut counts characters and keeps each whole.
    struct TCase {
        std::string FCharacter;
    } cases[] = {{"\xC3\xA9"}, {"\xE2\x82\xAC"}, {"\xF0\x9F\x8E\xA8"}};
    for (const TCase& c : cases) {
        std::string text;
        for (int i = 0; i < 300; ++i)
            text += c.FCharacter;
        TStatusBar_SetText(FBar, 0, text.c_str(), 0);
        EXPECT_EQ(FBar->FPanes[0].FPaneText, text.substr(0, 255 * c.FCharacter.size()));
    }

    // A wide character straddling the 255th place is kept whole, the rest dropped.
    std::string mixed = std::string(254, 'a') + "\xE2\x82\xAC" + "bcd";
    TStatusBar_SetText(FBar, 0, mixed.c_str(), 0);
    EXPECT_EQ(FBar->FPanes[0].FPaneText, std::string(254, 'a') + "\xE2\x82\xAC");
}

TEST_F(StatusBarTest, Paint_PanesAtTheirWidthsOnePixelApart) {
    SetPanes({100, 50});
    QImage image = Grab();
    int height = TStatusBar_GetHeight(FBar);
    ASSERT_EQ(image.size(), QSize(300, height));

    // The top row, the gap after pane 0 and everything right of pane 1 are background.
    EXPECT_EQ(CountInk(image, 0, 0, 300, 1), 0);
    EXPECT_EQ(CountInk(image, 100, 0, 101, height), 0);
    EXPECT_EQ(CountInk(image, 151, 0, 300, height), 0);
    // Each pane has its sunken frame on all four sides.
    for (int x : {0, 99, 101, 150})
        EXPECT_EQ(CountInk(image, x, 1, x + 1, height), height - 1);
    EXPECT_EQ(CountInk(image, 0, 1, 100, 2), 100);
    EXPECT_EQ(CountInk(image, 101, height - 1, 151, height), 50);
    // Without text the insides are empty.
    EXPECT_EQ(CountInk(image, 1, 2, 99, height - 1), 0);
    EXPECT_EQ(CountInk(image, 102, 2, 150, height - 1), 0);
}

TEST_F(StatusBarTest, Paint_TextInsideItsPaneOnly) {
    SetPanes({100, 50});
    TStatusBar_SetText(FBar, 0, "Mosaiko", 0);
    QImage image = Grab();
    int height = TStatusBar_GetHeight(FBar);
    EXPECT_GT(CountInk(image, 1, 2, 99, height - 1), 0);
    EXPECT_EQ(CountInk(image, 102, 2, 150, height - 1), 0);

    // A text far too long for pane 1 is shortened inside it: nothing spills past its edge.
    TStatusBar_SetText(FBar, 1, std::string(200, 'W').c_str(), 0);
    image = Grab();
    EXPECT_GT(CountInk(image, 102, 2, 150, height - 1), 0);
    EXPECT_EQ(CountInk(image, 151, 0, 300, height), 0);
}

TEST_F(StatusBarTest, Paint_StyleWithoutBordersDropsTheFrame) {
    SetPanes({100});
    TStatusBar_SetText(FBar, 0, "", 0x0100); // the no-borders pane style
    QImage image = Grab();
    EXPECT_EQ(CountInk(image, 0, 0, 300, TStatusBar_GetHeight(FBar)), 0);
}

} // namespace
