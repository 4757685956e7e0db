// About and Help: their titles and lines, the program icon and the logo, the e-mail address
// drawn in blue into its placeholder, Help's one-pixel rule at y = 24, and OK ending each.
#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include "shell/about_dialog.h"

#include "shell/dialog_test_support.h"

namespace {

QStringList LabelTexts(QWidget* dialog) {
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}

QImage Grab(QWidget* dialog) {
    dialog->show();
    QApplication::processEvents();
    return dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(AboutDialog, ShowsNameVersionIconLogoAndAddresses) {
    std::unique_ptr<QDialog> dialog(About_CreateDialog(nullptr));
    EXPECT_EQ(dialog->windowTitle(), "About..");
    QLabel* version = LabelWithText(dialog.get(), "Mosaiko Version 1.0");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->font().bold());
    QStringList texts = LabelTexts(dialog.get());
    EXPECT_TRUE(texts.contains("Email: "));
    EXPECT_TRUE(texts.contains("Web: "));
    EXPECT_TRUE(texts.contains("https://mosaiko.example.org"));
    // The address itself is no control: the dialog draws it.
    EXPECT_FALSE(texts.contains("mosaiko@example.org"));
    for (const char* name : {"icon", "logo"}) {
        QLabel* picture = dialog->findChild<QLabel*>(name);
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_FALSE(picture->pixmap().isNull()) << name;
    }
    EXPECT_NE(Button(dialog.get(), "OK"), nullptr);
}

TEST(AboutDialog, DrawsTheEmailInBlueIntoItsPlaceholder) {
    std::unique_ptr<QDialog> dialog(About_CreateDialog(nullptr));
    QImage shown = Grab(dialog.get());
    QWidget* place = dialog->findChild<QWidget*>("email");
    ASSERT_NE(place, nullptr);
    QRect rect(place->mapTo(dialog.get(), QPoint(0, 0)), place->size());
    ASSERT_TRUE(shown.rect().contains(rect));
    QRgb background = shown.pixel(rect.right(), rect.bottom());
    int blue = 0, other = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            QRgb p = shown.pixel(x, y);
            if (p == background) continue;
            // Text pixels are blue blended with the background: never more red or green than it.
            bool bluish = qBlue(p) >= qRed(p) && qBlue(p) >= qGreen(p) &&
                          qRed(p) <= qRed(background) && qGreen(p) <= qGreen(background);
            ++(bluish ? blue : other);
        }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(other, 0);
    // Some strokes are drawn at full strength: pure blue.
    bool pure = false;
    for (int y = rect.top(); y <= rect.bottom() && !pure; ++y)
        for (int x = rect.left(); x <= rect.right() && !pure; ++x)
            pure = (shown.pixel(x, y) & 0xFFFFFFu) == 0x0000FFu;
    EXPECT_TRUE(pure);
}

TEST(HelpDialog, ShowsItsLinesUnderARuleAtY24) {
    std::unique_ptr<QDialog> dialog(Help_CreateDialog(nullptr));
    EXPECT_EQ(dialog->windowTitle(), "Help");
    QLabel* heading = LabelWithText(dialog.get(), "Help");
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->font().bold());
    QStringList lines;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label != heading) lines << label->text();
    EXPECT_EQ(lines,
              QStringList({"Full documentation and tutorials", "are all available on the Mosaiko",
                           "website, located at", "https://mosaiko.example.org"}));

    QImage shown = Grab(dialog.get());
    // The heading lies wholly above the rule, the lines below it.
    EXPECT_LT(heading->geometry().bottom(), 24);
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label == heading) continue;
        EXPECT_GT(label->geometry().top(), 24);
    }
    QRgb rule = shown.pixel(0, 24);
    for (int x = 0; x < shown.width(); ++x)
        ASSERT_EQ(shown.pixel(x, 24), rule) << x;
    EXPECT_NE(shown.pixel(shown.width() / 2, 23), rule);
    EXPECT_NE(shown.pixel(0, 25), rule);
    EXPECT_NE(Button(dialog.get(), "OK"), nullptr);
}

TEST(AboutDialog, OkEndsBothDialogs) {
    for (void (*run)(QWidget*) : {About_Run, Help_Run}) {
        bool pressed = false;
        QTimer::singleShot(10, [&pressed] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            Button(modal, "OK")->click();
            pressed = true;
        });
        run(nullptr);
        EXPECT_TRUE(pressed);
    }
}

} // namespace
