// The document's host record: defaults until installed, installed operations reached, partial
// records falling back per operation.
#include <gtest/gtest.h>

#include <string>

#include "document/host.h"

TEST(DocumentHost, DefaultsKeepTheSecondaryColourAndGiveABlackPen) {
    DocumentHost_Install(nullptr);
    EXPECT_EQ(DocumentHost_GetSecondaryColor(), 0xFFFFFFu);
    DocumentHost_SetSecondaryColor(0x123456);
    EXPECT_EQ(DocumentHost_GetSecondaryColor(), 0x123456u);
    TDrawAttr attr = {7, 7, 7, 7, 7};
    DocumentHost_GetDrawAttr(&attr);
    EXPECT_EQ(attr.FColor, 0u);
    EXPECT_EQ(attr.FMaskValue, 0xFFFFFFu);
    EXPECT_EQ(attr.FPenWidth, 1);
    EXPECT_EQ(DocumentHost_ReadUseGrid(), 0);
    EXPECT_EQ(DocumentHost_GetCurrentTool(), 0);
    DocumentHost_Stylus(nullptr, 0, 1, 2); // goes nowhere
    DocumentHost_SelectTool(3);            // the rest do nothing, and nothing breaks
    DocumentHost_ShowImageSize(1, 2);
    DocumentHost_SetStatusText(nullptr);
    DocumentHost_BeginWait();
    DocumentHost_EndWait();
    DocumentHost_Install(nullptr);
    EXPECT_EQ(DocumentHost_GetSecondaryColor(), 0xFFFFFFu); // restoring resets the colour
}

namespace {
std::string GText;
int GWaits = 0;
int GStylusEvents = 0;
} // namespace

TEST(DocumentHost, InstalledOperationsAnswerAndMissingOnesFallBack) {
    TDocumentHost host = {};
    host.FSetStatusText = [](const char* text) { GText = text; };
    host.FBeginWait = [] { ++GWaits; };
    host.FEndWait = [] { --GWaits; };
    host.FReadUseGrid = [] { return 1; };
    host.FGetCurrentTool = [] { return 10; };
    host.FStylus = [](TWorkForm*, int event, int32_t x, int32_t y) {
        GStylusEvents += event + x + y;
    };
    DocumentHost_Install(&host);
    EXPECT_EQ(DocumentHost_GetCurrentTool(), 10);
    DocumentHost_Stylus(nullptr, 2, 3, 4);
    EXPECT_EQ(GStylusEvents, 9);
    DocumentHost_SetStatusText("FreePen: (1, 2)");
    EXPECT_EQ(GText, "FreePen: (1, 2)");
    DocumentHost_BeginWait();
    EXPECT_EQ(GWaits, 1);
    DocumentHost_EndWait();
    EXPECT_EQ(GWaits, 0);
    EXPECT_EQ(DocumentHost_ReadUseGrid(), 1);
    DocumentHost_SetSecondaryColor(0xABCDEF); // not installed: the default keeps it
    EXPECT_EQ(DocumentHost_GetSecondaryColor(), 0xABCDEFu);
    DocumentHost_Install(nullptr);
    EXPECT_EQ(DocumentHost_ReadUseGrid(), 0);
}
