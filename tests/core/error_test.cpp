// The error table, the last error and the boxes it shows.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "platform/msgbox.h"

TEST(Error, TableHoldsTheExactTexts) {
    EXPECT_STREQ(GetErrorText(EC_NONE), "No Error");
    EXPECT_STREQ(GetErrorText(EC_NO_MEMORY), "Could not allocated memory");
    EXPECT_STREQ(GetErrorText(EC_WRITE_FAILED), "Could not written file");
    EXPECT_STREQ(GetErrorText(EC_BMP_COMPRESSION), "Not supported Bitmap compression format.");
    EXPECT_STREQ(GetErrorText(EC_UNDO_MEMORY), "Count not allocate memory for UNDO function");
    EXPECT_STREQ(GetErrorText(EC_ICON_TOO_LARGE),
                 "Icon image size is over the limit! Resize it within 255x255(width x height) "
                 "pixel. or Crop it!");
    EXPECT_STREQ(GetErrorText(EC_ICON_TOO_MANY_COLOURS),
                 "This icon has 257 colors! You have to reduce them to 256 color first");
    for (int code = 0; code < EC_COUNT; ++code) EXPECT_NE(GetErrorText(code), nullptr);
    EXPECT_STREQ(GetErrorText(EC_COUNT), "Unknown error");
}

TEST(Error, SetReturnsCodeAndSuccessClears) {
    EXPECT_EQ(SetLastErrorCode(EC_EMPTY_AREA), EC_EMPTY_AREA);
    EXPECT_EQ(GetLastErrorCode(), EC_EMPTY_AREA);
    EXPECT_STREQ(GetLastErrorText(), "Ineffective area error");
    TImage* image = TImage_Create(2, 2, 24, 0); // a successful operation after a failed one
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    TImage_Destroy(image);
}

TEST(Error, ShowLastErrorShowsStopBoxAndClears) {
    MessageBoxClearRecords();
    ClearLastErrorCode();
    ShowLastError();
    EXPECT_TRUE(MessageBoxRecords().empty());

    SetLastErrorCode(EC_EMPTY_AREA);
    ShowLastError();
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    const TMessageBoxRecord& box = MessageBoxRecords()[0];
    EXPECT_EQ(box.FCaption, "ERROR");
    EXPECT_EQ(box.FText, "Ineffective area error");
    EXPECT_EQ(box.FFlags, MB_ICONSTOP | MB_OK);
    EXPECT_EQ(box.FOwner, nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);

    ShowLastErrorIf(0);
    SetLastErrorCode(EC_NO_MEMORY);
    ShowLastErrorIf(0);
    EXPECT_EQ(MessageBoxRecords().size(), 1u);
    ShowLastErrorIf(-1);
    EXPECT_EQ(MessageBoxRecords().size(), 2u);
}

TEST(Error, ShowPlatformErrorNamesTheNumber) {
    MessageBoxClearRecords();
    errno = ENOENT;
    ShowPlatformError(nullptr);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "Error Code: " + std::to_string(ENOENT));
    EXPECT_EQ(MessageBoxRecords()[0].FText, std::strerror(ENOENT));
    EXPECT_EQ(MessageBoxRecords()[0].FFlags, MB_ICONINFORMATION | MB_OK);
}

TEST(MessageBox, RecorderAnswersFromQueueThenOk) {
    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDNO);
    EXPECT_EQ(MessageBoxShow(nullptr, "Save?", "Mosaiko", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(MessageBoxShow(nullptr, "Again", "Mosaiko", MB_OK), IDOK);
    static int calls = 0;
    TMessageBoxHandler previous =
        MessageBoxSetHandler([](void*, const char*, const char*, int) -> int { return ++calls, IDYES; });
    EXPECT_EQ(MessageBoxShow(nullptr, "x", "y", MB_YESNO), IDYES);
    MessageBoxSetHandler(previous);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(MessageBoxRecords().size(), 2u);
}
