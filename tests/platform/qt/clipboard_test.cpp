// Byte blocks on the in-process clipboard: every item set at once, read back byte for byte,
// and only our own data emptied at the end.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/clipboard.h"

TEST(Clipboard, ItemsSetTogetherAreReadBackByteForByte) {
    std::vector<uint8_t> ours = {0, 1, 2, 255, 0, 7}, png = {0x89, 'P', 'N', 'G'};
    ASSERT_EQ(Clipboard_SetItems({{"application/x-test-block", ours}, {"image/png", png}}), 0);
    EXPECT_EQ(Clipboard_HasFormat("application/x-test-block"), 1);
    EXPECT_EQ(Clipboard_HasFormat("image/png"), 1);
    EXPECT_EQ(Clipboard_HasFormat("image/bmp"), 0);
    EXPECT_EQ(Clipboard_HasFormat(nullptr), 0);
    std::vector<uint8_t> got = {9};
    ASSERT_EQ(Clipboard_GetItem("application/x-test-block", &got), 0);
    EXPECT_EQ(got, ours);
    EXPECT_EQ(Clipboard_GetItem("image/bmp", &got), -1);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(Clipboard_GetItem("image/png", nullptr), -1);
}

TEST(Clipboard, ClearOwnEmptiesOnlyOurData) {
    QGuiApplication::clipboard()->setText("someone else's");
    Clipboard_ClearOwn("application/x-test-block");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "someone else's");
    Clipboard_SetItems({{"application/x-test-block", {1}}});
    Clipboard_ClearOwn("application/x-test-block");
    EXPECT_EQ(Clipboard_HasFormat("application/x-test-block"), 0);
}
