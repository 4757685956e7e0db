// The program's images: every button id gives its 16 x 16 picture, an unknown id nothing, the
// program icon comes at 16, 32 and 48 pixels, and every picture has both a transparent
// background and something drawn on it.
#include <gtest/gtest.h>

#include <string>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "resources/resources.h"

namespace {

// Counts transparent and opaque pixels; the art uses no partial alpha.
void ExpectDrawnOnTransparency(const QImage& source, const char* what) {
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
    EXPECT_GT(opaque, image.width() * image.height() / 4) << what;
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

} // namespace
