// The program's images: every button id gives its 16 x 16 picture, an unknown id nothing, the
// program icon comes at 16, 32 and 48 pixels, and every picture has both a transparent
// background and something drawn on it. Every strip id gives four such images side by side, the
// disabled one greyed, and the palette button's picture fits its narrow button; the shift pad's
// nine arrows come as strips of four 12 x 12 images that leave a pressed button's frame clear.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "resources/resources.h"

namespace {

// Counts transparent and opaque pixels; the art uses no partial alpha. A strip image needs only
// some of each: a line takes up little of its square.
void ExpectDrawnOnTransparency(const QImage& source, const char* what, int minOpaque) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    int transparent = 0;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            int alpha = qAlpha(image.pixel(x, y));
            if (alpha == 0) {
                ++transparent;
            } else if (alpha == 255) {
                ++opaque;
            } else {
                ADD_FAILURE() << what << ": partial alpha at " << x << "," << y;
            }
        }
    EXPECT_GT(transparent, 0) << what;
    EXPECT_GT(opaque, minOpaque) << what;
}

void ExpectDrawnOnTransparency(const QImage& source, const char* what) {
    ExpectDrawnOnTransparency(source, what, source.width() * source.height() / 4);
}

const int KIds[] = {KResGridButton,    KResActualSizeButton, KResZoomInButton,
                    KResZoomOutButton, KResShowInfoButton,   KResProgramIcon};

TEST(Resources, EveryIdGivesA16x16Picture) {
    for (int id : KIds) {
        QPixmap pixmap = Resource_Pixmap(id);
        ASSERT_FALSE(pixmap.isNull()) << id;
        EXPECT_EQ(pixmap.size(), QSize(16, 16)) << id;
        ExpectDrawnOnTransparency(pixmap.toImage(), std::to_string(id).c_str());
    }
}

TEST(Resources, PicturesDifferFromEachOther) {
    for (int a : KIds) {
        for (int b : KIds) {
            if (a >= b) continue;
            EXPECT_NE(Resource_Pixmap(a).toImage(), Resource_Pixmap(b).toImage()) << a << " " << b;
        }
    }
}

TEST(Resources, UnknownIdGivesNothing) {
    for (int id : {0, -1, 40083, 40153, 261, 263})
        EXPECT_TRUE(Resource_Pixmap(id).isNull()) << id;
}

TEST(Resources, ProgramIconHasEverySize) {
    QIcon icon = Resource_ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
        QPixmap pixmap = icon.pixmap(QSize(side, side));
        EXPECT_EQ(pixmap.size(), QSize(side, side));
        ExpectDrawnOnTransparency(pixmap.toImage(), std::to_string(side).c_str());
    }
    EXPECT_EQ(icon.pixmap(QSize(16, 16)).toImage(), Resource_Pixmap(KResProgramIcon).toImage());
}

const int KStripIds[] = {KResToolPen,           KResToolEraser,        KResToolFill,
                         KResToolSolidLine,     KResToolSelection,     KResToolShift,
                         KResToolSpoid,         KResToolText,          KResToolHand,
                         KResToolDashLine,      KResToolRectangle,     KResToolFilledRectangle,
                         KResToolEllipse,       KResToolFilledEllipse, KResToolCutSelection,
                         KResToolCopySelection, KResPaletteButton};

enum { KNormal, KHighlighted, KPressed, KDisabled };

QImage StripImage(int id, int index) {
    QImage strip = Resource_Strip(id).toImage().convertToFormat(QImage::Format_ARGB32);
    return strip.copy(index * KResStripImageSide, 0, KResStripImageSide, KResStripImageSide);
}

TEST(ResourceStrips, EveryIdGivesFourDrawnImages) {
    for (int id : KStripIds) {
        QPixmap strip = Resource_Strip(id);
        ASSERT_FALSE(strip.isNull()) << id;
        EXPECT_EQ(strip.size(), QSize(64, 16)) << id;
        for (int index = 0; index < KResStripImageCount; ++index) {
            std::string what = std::to_string(id) + " image " + std::to_string(index);
            ExpectDrawnOnTransparency(StripImage(id, index), what.c_str(), 0);
        }
    }
}

TEST(ResourceStrips, DisabledImageIsGreyedNormal) {
    for (int id : KStripIds) {
        QImage normal = StripImage(id, KNormal);
        QImage disabled = StripImage(id, KDisabled);
        EXPECT_NE(normal, disabled) << id;
        for (int y = 0; y < disabled.height(); ++y)
            for (int x = 0; x < disabled.width(); ++x) {
                QRgb pixel = disabled.pixel(x, y);
                if (qAlpha(pixel) == 0) continue;
                int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
                int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
                EXPECT_LE(high - low, 8) << id << " at " << x << "," << y;
            }
    }
}

// A mix-up in the id table would show one tool's picture on two buttons.
TEST(ResourceStrips, StripsDifferFromEachOther) {
    for (int a : KStripIds)
        for (int b : KStripIds)
            if (a < b) {
                EXPECT_NE(StripImage(a, KNormal), StripImage(b, KNormal)) << a << " " << b;
            }
}

// The palette button is 12 pixels wide and shows its 16-pixel images centred, so two columns on
// each side are cut off and must stay empty.
TEST(ResourceStrips, PaletteButtonFitsTwelvePixels) {
    for (int index = 0; index < KResStripImageCount; ++index) {
        QImage image = StripImage(KResPaletteButton, index);
        for (int y = 0; y < image.height(); ++y)
            for (int x : {0, 1, 14, 15})
                EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << index << " at " << x << "," << y;
    }
}

const int KShiftIds[] = {KResShiftDownLeft, KResShiftDown, KResShiftDownRight,
                         KResShiftCentre,   KResShiftLeft, KResShiftRight,
                         KResShiftUpLeft,   KResShiftUp,   KResShiftUpRight};

TEST(ResourceStrips, ShiftArrowsAreNineDistinctTwelvePixelStrips) {
    const int side = KResShiftImageSide;
    for (int id : KShiftIds) {
        QImage strip = Resource_Strip(id).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(strip.size(), QSize(4 * side, side)) << id;
        for (int index = 0; index < KResStripImageCount; ++index) {
            QImage image = strip.copy(index * side, 0, side, side);
            std::string what = std::to_string(id) + " image " + std::to_string(index);
            ExpectDrawnOnTransparency(image, what.c_str(), side);
            // The outer ring is where a pressed button draws its frame.
            for (int i = 0; i < side; ++i)
                for (QPoint p :
                     {QPoint(i, 0), QPoint(i, side - 1), QPoint(0, i), QPoint(side - 1, i)})
                    EXPECT_EQ(qAlpha(image.pixel(p)), 0) << what << " at " << p.x() << "," << p.y();
        }
        for (int other : KShiftIds)
            if (id < other) {
                EXPECT_NE(Resource_Strip(id).toImage(), Resource_Strip(other).toImage())
                    << id << " " << other;
            }
    }
}

TEST(ResourceStrips, UnknownIdGivesNothing) {
    for (int id : {0, -1, 126, 128, 210, 212, 263, 267, int(KResProgramIcon), int(KResGridButton)})
        EXPECT_TRUE(Resource_Strip(id).isNull()) << id;
}

} // namespace
