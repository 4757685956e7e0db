// Window drawing contexts: what gdi draws into the context is what the widget shows, pixel for
// pixel, and each logical pixel becomes a sharp block at a device pixel ratio of 2; the backing
// image keeps its capacity (no new pixels when the window shrinks or stays) and failed resizes
// leave the context as it was.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>

#include "platform/qt/window_dc.h"

namespace {
// gdi colours are 0x00BBGGRR; the widget's pixels are QRgb 0xAARRGGBB.
QRgb ToQRgb(TGdiColor c) {
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

void Fill(TGdiDC* dc, int32_t l, int32_t t, int32_t r, int32_t b, TGdiColor color) {
    TGdiObject* brush = Gdi_CreateSolidBrush(color);
    TGdiRect rect = {l, t, r, b};
    ASSERT_EQ(Gdi_FillRect(dc, &rect, brush), 1);
    Gdi_DeleteObject(brush);
}

// The picture as rows of characters: '#' for colour, '.' for black, '?' for anything else.
std::string Picture(const QImage& image, QRgb colour) {
    std::string s;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, y) | 0xFF000000u;
            s += p == colour ? '#' : p == qRgb(0, 0, 0) ? '.' : '?';
        }
        s += '\n';
    }
    return s;
}
} // namespace

TEST(WindowDC, GdiDrawingIsWhatTheWidgetShows) {
    TBackedWidget widget;
    widget.resize(6, 4);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    ASSERT_NE(widget.WindowDC(), nullptr);
    EXPECT_EQ(widget.WindowDC()->FWidth, 6);
    EXPECT_EQ(widget.WindowDC()->FHeight, 4);
    TGdiDC* dc = TWindowDC_GetDC(widget.WindowDC());
    const TGdiColor orange = 0x0080FF; // red 0xFF, green 0x80
    Fill(dc, 1, 1, 4, 3, orange);
    EXPECT_EQ(Gdi_SetPixel(dc, 5, 0, orange), orange);

    QImage shown = widget.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(6, 4));
    EXPECT_EQ(Picture(shown, ToQRgb(orange)), ".....#\n"
                                              ".###..\n"
                                              ".###..\n"
                                              "......\n");
}

TEST(WindowDC, PixelsStaySharpBlocksAtDevicePixelRatioTwo) {
    TBackedWidget widget;
    widget.resize(5, 3);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    TGdiDC* dc = TWindowDC_GetDC(widget.WindowDC());
    const TGdiColor white = 0xFFFFFF;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            if ((x + y) % 2 == 0) Gdi_SetPixel(dc, x, y, white);

    QImage device(10, 6, QImage::Format_RGB32);
    device.setDevicePixelRatio(2.0);
    device.fill(Qt::red);
    widget.render(&device);
    // A checkerboard of single pixels must come out as 2 x 2 blocks, no grey in between.
    EXPECT_EQ(Picture(device, ToQRgb(white)), "##..##..##\n"
                                              "##..##..##\n"
                                              "..##..##..\n"
                                              "..##..##..\n"
                                              "##..##..##\n"
                                              "##..##..##\n");
}

TEST(WindowDC, ResizeKeepsCapacityAndRegrowsOnlyPastIt) {
    TWindowDC* w = TWindowDC_Create(40, 30);
    ASSERT_NE(w, nullptr);
    TGdiDC* dc = TWindowDC_GetDC(w);
    const uchar* bits = w->FImage->constBits();
    Fill(dc, 0, 0, 40, 30, 0x00FF00);
    TGdiRect box;

    // Shrinking and growing back within the capacity: same pixels, same memory, smaller clip.
    ASSERT_EQ(TWindowDC_Resize(w, 25, 10), 0);
    EXPECT_EQ(w->FImage->constBits(), bits);
    EXPECT_EQ(w->FCapacityWidth, 40);
    EXPECT_EQ(w->FCapacityHeight, 30);
    EXPECT_EQ(TWindowDC_GetDC(w), dc);
    ASSERT_EQ(Gdi_GetClipBox(dc, &box), 1);
    EXPECT_EQ(box.right, 25);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(Gdi_GetPixel(dc, 24, 9), 0x00FF00u);
    EXPECT_EQ(Gdi_GetPixel(dc, 25, 9), GDI_CLR_INVALID);
    ASSERT_EQ(TWindowDC_Resize(w, 40, 30), 0);
    EXPECT_EQ(w->FImage->constBits(), bits);
    EXPECT_EQ(Gdi_GetPixel(dc, 39, 29), 0x00FF00u);

    // Drawing into the context writes the image's own rows (top-down, stride bytesPerLine).
    Gdi_SetPixel(dc, 7, 5, 0x123456);
    EXPECT_EQ(w->FImage->pixel(7, 5) | 0xFF000000u, ToQRgb(0x123456));

    // Past the capacity on one side: one new image of the larger of each side.
    ASSERT_EQ(TWindowDC_Resize(w, 50, 12), 0);
    EXPECT_EQ(w->FCapacityWidth, 50);
    EXPECT_EQ(w->FCapacityHeight, 30);
    EXPECT_EQ(w->FImage->size(), QSize(50, 30));
    ASSERT_EQ(Gdi_GetClipBox(dc, &box), 1);
    EXPECT_EQ(box.right, 50);
    EXPECT_EQ(box.bottom, 12);
    bits = w->FImage->constBits();
    ASSERT_EQ(TWindowDC_Resize(w, 10, 30), 0);
    EXPECT_EQ(w->FImage->constBits(), bits);

    // Nothing visible: the context stays usable.
    ASSERT_EQ(TWindowDC_Resize(w, 0, 0), 0);
    EXPECT_EQ(w->FWidth, 0);
    EXPECT_EQ(w->FImage->constBits(), bits);
    EXPECT_EQ(Gdi_SetPixel(dc, 0, 0, 0xFFFFFF), 0xFFFFFFu);
    w = TWindowDC_Destroy(w);
    EXPECT_EQ(w, nullptr);
}

TEST(WindowDC, RefusalsLeaveEverythingAsItWas) {
    EXPECT_EQ(TWindowDC_Create(-1, 5), nullptr);
    EXPECT_EQ(TWindowDC_Create(5, -1), nullptr);
    // 2^31 bytes of pixels: one past what a bitmap can hold.
    EXPECT_EQ(TWindowDC_Create(32768, 16384), nullptr);
    EXPECT_EQ(TWindowDC_Resize(nullptr, 1, 1), -1);
    EXPECT_EQ(TWindowDC_GetDC(nullptr), nullptr);
    EXPECT_EQ(TWindowDC_Destroy(nullptr), nullptr);

    TWindowDC* w = TWindowDC_Create(0, 7);
    ASSERT_NE(w, nullptr);
    const uchar* bits = w->FImage->constBits();
    for (auto size :
         {std::pair<int32_t, int32_t>{-1, 3}, {3, -1}, {32768, 16384}, {70000, 70000}}) {
        EXPECT_EQ(TWindowDC_Resize(w, size.first, size.second), -1);
        EXPECT_EQ(w->FWidth, 0);
        EXPECT_EQ(w->FHeight, 7);
        EXPECT_EQ(w->FImage->constBits(), bits);
    }
    TGdiRect box;
    ASSERT_EQ(Gdi_GetClipBox(TWindowDC_GetDC(w), &box), 1);
    EXPECT_EQ(box.bottom, 7);
    TWindowDC_Destroy(w);
}

TEST(WindowDC, WidgetFollowsItsSize) {
    TBackedWidget widget;
    widget.resize(8, 8);
    // Before the first show the context already has the widget's size, not a provisional one.
    ASSERT_NE(widget.WindowDC(), nullptr);
    EXPECT_EQ(widget.WindowDC()->FCapacityWidth, 8);
    EXPECT_EQ(widget.WindowDC()->FCapacityHeight, 8);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    Fill(TWindowDC_GetDC(widget.WindowDC()), 0, 0, 8, 8, 0xFFFFFF);
    widget.resize(3, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.WindowDC()->FWidth, 3);
    EXPECT_EQ(widget.WindowDC()->FHeight, 2);
    EXPECT_EQ(widget.WindowDC()->FCapacityWidth, 8);
    EXPECT_EQ(Picture(widget.grab().toImage(), qRgb(255, 255, 255)), "###\n###\n");
}
