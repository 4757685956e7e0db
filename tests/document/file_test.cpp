// The work form's file operations: New's transparent background, Open against the plain reader
// over the corpus (and the icon-entry choice), Save As by type with reopening, the failures
// that must keep the name and the modified state, icons written as the user sees them, and
// Save's name question.
#include "support/work_form_fixture.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/ico.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "platform/msgbox.h"
#include "support/corpus.h"
#include "support/test_support.h"

namespace {

// The icon-entry question: what it was asked and what it answers.
std::vector<std::string> GIconQuestions;
int GIconAnswer = 0;

int AnswerIconQuestion(const char* path) {
    GIconQuestions.push_back(path);
    return GIconAnswer;
}

// The save-name question: how often it was asked and the name it gives (empty: cancelled).
int GNameQuestions = 0;
std::string GNameAnswer;

bool AnswerNameQuestion(TWorkForm*, std::string* name) {
    ++GNameQuestions;
    if (GNameAnswer.empty()) return false;
    *name = GNameAnswer;
    return true;
}

// A picture of few colours (an icon takes at most 256): colour index from the seed, every
// fourth pixel transparent.
void PaintFewColours(TWorkForm* form, uint32_t seed) {
    static const uint32_t KColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080,
                                        0x123456, 0xFFFFFF, 0x00FFFF, 0x400040};
    TLayer* background = TWorkForm_GetBackground(form);
    for (int32_t y = 0; y < background->FHeight; ++y)
        for (int32_t x = 0; x < background->FWidth; ++x) {
            uint32_t colour = KColours[(x * 3 + y * 5 + seed) % 8];
            bool visible = (x + y * 7 + seed) % 4 != 0;
            TImage_SetPixelMasked(background->FImage, x, y, visible ? colour : 0,
                                  visible ? 0xFFFFFF : 0);
        }
    TWorkForm_Repaint(form);
}

// Makes the document modified through a recorded step.
void Modify(TWorkForm* form) {
    TRectXYWH r = {1, 1, 3, 3};
    TWorkForm_Select(form, &r, TWS_AREA);
    TWorkForm_CommitSelection(form);
    ASSERT_TRUE(TWorkForm_IsModified(form));
}

ImagePtr LoadImage(const std::string& path, int32_t iconIndex = 0) {
    ImagePtr image(static_cast<TImage*>(std::calloc(1, sizeof(TImage))));
    image->FIconIndex = iconIndex;
    EXPECT_EQ(TImage_LoadFile(image.get(), path.c_str()), 0) << path;
    return image;
}

std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const TMessageBoxRecord& r : MessageBoxRecords())
        texts.push_back(r.FText);
    return texts;
}

class FileTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        GIconQuestions.clear();
        GIconAnswer = 0;
        GNameQuestions = 0;
        GNameAnswer.clear();
        FDir = TestTempDir();
    }
    void TearDown() override {
        SelectIconImage_SetHandler(nullptr);
        TWorkForm_SetSaveNameProvider(nullptr);
        WorkFormTest::TearDown();
    }
    std::string FDir;
};

TEST_F(FileTest, New_GivesTransparentBlackBackgroundOfTheSize) {
    FForm->FColourStrip[0] = {1, 2, 3, 0};
    FForm->FColourStrip[1] = {4, 5, 6, 0};
    ASSERT_EQ(TWorkForm_New(FForm, 20, 10), 0);
    TLayer* background = TWorkForm_GetBackground(FForm);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(FForm->FLayerCount, 2);
    EXPECT_EQ(background->FVisible, 1);
    EXPECT_EQ(background->FLeft, 0);
    EXPECT_EQ(background->FTop, 0);
    EXPECT_EQ(background->FWidth, 20);
    EXPECT_EQ(background->FHeight, 10);
    ASSERT_NE(background->FImage->FMask, nullptr);
    EXPECT_EQ(PixelDump(background->FImage), std::vector<uint8_t>(20 * 10 * 4, 0));
    EXPECT_EQ(PaletteEntryToColor(FForm->FColourStrip[0]), 0x000000u);
    EXPECT_EQ(PaletteEntryToColor(FForm->FColourStrip[1]), 0xFFFFFFu);
    ASSERT_NE(FForm->FComposite, nullptr);
    EXPECT_EQ(FForm->FComposite->FWidth, 20);
    EXPECT_EQ(FForm->FComposite->FHeight, 10);
    EXPECT_TRUE(FForm->FFileName.empty());
}

TEST_F(FileTest, New_ReplacesDocumentSelectionHistoryAndName) {
    PaintFewColours(FForm, 1);
    TRectXYWH r = {2, 2, 5, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_CUT_FLOAT), 0);
    FForm->FFileName = FDir + "/old.bmp";
    FForm->FFormModified = 1;
    ASSERT_EQ(TWorkForm_New(FForm, 8, 6), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(FForm->FFloat->FImage, nullptr);
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 0);
    EXPECT_FALSE(TWorkForm_IsModified(FForm));
    EXPECT_TRUE(FForm->FFileName.empty());
    // The old steps are gone with the old layers: undo has nothing to act on.
    TDocSnapshot before = Snapshot(FForm);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), before);
}

// Every corpus file opens to exactly what the reader makes of it, or fails as the reader does,
// leaving the document it had.
TEST_F(FileTest, Open_MatchesTheReaderOverTheCorpus) {
    for (const char* format : {"bmp", "jpeg", "ico"})
        for (const TCorpusCase& c : CorpusCases(format)) {
            SCOPED_TRACE(c.FId);
            ImagePtr reference(static_cast<TImage*>(std::calloc(1, sizeof(TImage))));
            int loaded = TImage_LoadFile(reference.get(), c.FPath.c_str());
            int code = GetLastErrorCode();
            TDocSnapshot before = Snapshot(FForm);
            std::string oldName = FForm->FFileName;
            int result = TWorkForm_Open(FForm, c.FPath.c_str());
            if (loaded != 0) {
                EXPECT_EQ(result, -1);
                EXPECT_EQ(GetLastErrorCode(), code);
                EXPECT_EQ(Snapshot(FForm), before);
                EXPECT_EQ(FForm->FFileName, oldName);
                continue;
            }
            ASSERT_EQ(result, 1);
            TLayer* background = TWorkForm_GetBackground(FForm);
            EXPECT_EQ(background->FWidth, reference->FWidth);
            EXPECT_EQ(background->FHeight, reference->FHeight);
            EXPECT_EQ(background->FVisible, 1);
            EXPECT_TRUE(PixelDump(background->FImage) == PixelDump(reference.get()));
            EXPECT_EQ(FForm->FLayerCount, 2);
            // Several icon entries: the default answer is the first, and no name is kept.
            bool several = c.FFormat == "ico" && ICO_GetImageCount(c.FPath.c_str()) > 1;
            EXPECT_EQ(FForm->FFileName, several ? std::string() : c.FPath);
        }
    EXPECT_TRUE(MessageBoxRecords().empty()) << "Open shows nothing itself";
}

TEST_F(FileTest, Open_IconWithSeveralEntriesAsksAndStaysUntitled) {
    std::string path = SharedDir() + "/corpus/ico/ico-bmp-hand-multi-4-8-32bit.ico";
    SelectIconImage_SetHandler(AnswerIconQuestion);
    GIconAnswer = 2;
    FForm->FFileName = FDir + "/before.bmp";
    ASSERT_EQ(TWorkForm_Open(FForm, path.c_str()), 1);
    ASSERT_EQ(GIconQuestions, std::vector<std::string>{path});
    TLayer* background = TWorkForm_GetBackground(FForm);
    EXPECT_EQ(background->FImage->FIconIndex, 2);
    ImagePtr reference = LoadImage(path, 2);
    EXPECT_TRUE(PixelDump(background->FImage) == PixelDump(reference.get()));
    EXPECT_TRUE(FForm->FFileName.empty());

    // A single-entry icon is opened without asking and keeps its name.
    std::string single = SharedDir() + "/corpus/ico/ico-bmp-hand-8bit-32.ico";
    ASSERT_EQ(TWorkForm_Open(FForm, single.c_str()), 1);
    EXPECT_EQ(GIconQuestions.size(), 1u);
    EXPECT_EQ(FForm->FFileName, single);
}

TEST_F(FileTest, Open_StartsAtTheTopLeft) {
    std::string path = SharedDir() + "/corpus/ico/ico-pil-png-256.ico";
    ASSERT_EQ(TWorkForm_Open(FForm, path.c_str()), 1);
    TWorkForm_ScrollBy(FForm, 500, 400);
    ASSERT_LT(FForm->FScrollX, 0);
    ASSERT_LT(FForm->FScrollY, 0);
    ASSERT_EQ(TWorkForm_Open(FForm, path.c_str()), 1);
    EXPECT_EQ(FForm->FScrollX, 0);
    EXPECT_EQ(FForm->FScrollY, 0);
}

TEST_F(FileTest, Open_CancelledIconChoiceKeepsTheDocument) {
    PaintFewColours(FForm, 3);
    TRectXYWH r = {4, 4, 6, 5};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_COPY_FLOAT), 0);
    FForm->FFileName = FDir + "/mine.bmp";
    TDocSnapshot before = Snapshot(FForm);
    SelectIconImage_SetHandler(AnswerIconQuestion);
    GIconAnswer = -1;
    std::string path = SharedDir() + "/corpus/ico/ico-png-hand-mixed-16-256-32.ico";
    EXPECT_EQ(TWorkForm_Open(FForm, path.c_str()), 0);
    EXPECT_EQ(GIconQuestions.size(), 1u);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(FForm->FFileName, FDir + "/mine.bmp");
}

TEST_F(FileTest, Open_FailureReportsAndKeepsTheDocument) {
    PaintFewColours(FForm, 4);
    TDocSnapshot before = Snapshot(FForm);
    for (const std::string& name : {FDir + "/missing.bmp", FDir + "/missing.ico",
                                    FDir + "/picture.png", FDir + "/noextension"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(TWorkForm_Open(FForm, name.c_str()), -1);
        EXPECT_NE(GetLastErrorCode(), EC_NONE);
        EXPECT_EQ(Snapshot(FForm), before);
        EXPECT_TRUE(FForm->FFileName.empty());
    }
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(FileTest, SaveAs_BmpReopensAsTheComposite) {
    PaintFewColours(FForm, 5);
    DocumentHost_SetSecondaryColor(0x00A0B0C0);
    std::string path = FDir + "/picture.bmp";
    ASSERT_EQ(TWorkForm_SaveAs(FForm, path.c_str()), 0);
    EXPECT_TRUE(MessageBoxRecords().empty());
    ImagePtr saved = LoadImage(path);
    TLayer* background = TWorkForm_GetBackground(FForm);
    ASSERT_EQ(saved->FWidth, background->FWidth);
    ASSERT_EQ(saved->FHeight, background->FHeight);
    // Transparent pixels are written as the canvas shows them: the secondary colour.
    for (int32_t y = 0; y < saved->FHeight; ++y)
        for (int32_t x = 0; x < saved->FWidth; ++x) {
            uint32_t visible = 0;
            uint32_t colour = BackgroundPixel(FForm, x, y, &visible);
            ASSERT_EQ(TImage_GetPixel(saved.get(), x, y), visible ? colour : 0x00A0B0C0u)
                << x << "," << y;
        }
    // Reopened, the document shows the same picture.
    ASSERT_EQ(TWorkForm_Open(FForm, path.c_str()), 1);
    EXPECT_EQ(PixelDump(TWorkForm_GetBackground(FForm)->FImage), PixelDump(saved.get()));
    EXPECT_EQ(FForm->FFileName, path);
}

TEST_F(FileTest, SaveAs_JpegNameInAnyCaseWritesJpeg) {
    TLayer* background = TWorkForm_GetBackground(FForm);
    for (int32_t y = 0; y < background->FHeight; ++y)
        for (int32_t x = 0; x < background->FWidth; ++x)
            TImage_SetPixelMasked(background->FImage, x, y, 0x00306090, 0xFFFFFF);
    std::string path = FDir + "/photo.JPEG";
    ASSERT_EQ(TWorkForm_SaveAs(FForm, path.c_str()), 0);
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    ImagePtr saved = LoadImage(path);
    ASSERT_EQ(saved->FWidth, background->FWidth);
    uint32_t c = TImage_GetPixel(saved.get(), 5, 5);
    EXPECT_NEAR(int(c & 0xFF), 0x90, 4);
    EXPECT_NEAR(int((c >> 8) & 0xFF), 0x60, 4);
    EXPECT_NEAR(int((c >> 16) & 0xFF), 0x30, 4);
}

// A name without a known format must fail visibly, not pass for a save.
TEST_F(FileTest, SaveAs_UnknownTypeShowsCouldNotSaveAndKeepsState) {
    Modify(FForm);
    FForm->FFileName = FDir + "/kept.bmp";
    for (const std::string& name : {FDir + "/a.txt", FDir + "/a.b.bmp", FDir + "/plain"}) {
        SCOPED_TRACE(name);
        MessageBoxClearRecords();
        EXPECT_EQ(TWorkForm_SaveAs(FForm, name.c_str()), -1);
        ASSERT_EQ(MessageBoxRecords().size(), 1u);
        EXPECT_EQ(MessageBoxRecords()[0].FText, "Could not save file");
        EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
        EXPECT_TRUE(TWorkForm_IsModified(FForm));
        EXPECT_EQ(FForm->FFileName, FDir + "/kept.bmp");
    }
    EXPECT_TRUE(ListFolder(FDir).empty());
}

TEST_F(FileTest, SaveAs_WriterFailureShowsItsErrorAndKeepsState) {
    ASSERT_EQ(TWorkForm_New(FForm, 300, 8), 0);
    Modify(FForm);
    FForm->FFormModified = 1;
    FForm->FFileName = FDir + "/big.ico";
    EXPECT_EQ(TWorkForm_Save(FForm), -1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{GetErrorText(EC_ICON_TOO_LARGE)});
    EXPECT_TRUE(TWorkForm_IsModified(FForm));
    EXPECT_EQ(FForm->FFormModified, 1);
    EXPECT_EQ(FForm->FFileName, FDir + "/big.ico");
    EXPECT_FALSE(FileExists(FDir + "/big.ico"));

    // A folder that cannot exist (a path under a regular file).
    WriteWholeFile(FDir + "/file", {1});
    MessageBoxClearRecords();
    TWorkForm_SetSaveNameProvider(AnswerNameQuestion);
    GNameAnswer = FDir + "/file/under.bmp";
    EXPECT_EQ(TWorkForm_SaveDialog(FForm), -1);
    EXPECT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(FForm->FFileName, FDir + "/big.ico");
    EXPECT_TRUE(TWorkForm_IsModified(FForm));
}

// An icon or PNG file holds the picture with the floating selection merged where it floats;
// the background, the float and the selection stay as they were.
TEST_F(FileTest, SaveAs_IconAndPngMergeTheFloatIntoACopy) {
    for (const char* name : {"merged.ico", "merged.png"})
        for (int op : {TWS_COPY_FLOAT, TWS_CUT_FLOAT}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(op));
            MakeForm(16, 12);
            PaintFewColours(FForm, 6);
            TRectXYWH r = {1, 2, 5, 4};
            ASSERT_EQ(TWorkForm_Select(FForm, &r, op), 0);
            TWorkForm_MoveSelection(FForm, 9, 6, 1);
            TLayer* background = TWorkForm_GetBackground(FForm);
            TPaletteEntry backgroundPalette[256];
            std::memcpy(backgroundPalette, background->FImage->FPalette, sizeof backgroundPalette);
            TDocSnapshot before = Snapshot(FForm);
            int32_t steps = TUndoHistory_GetCount(FForm->FHistory);
            std::string path = FDir + "/" + name;
            ASSERT_EQ(TWorkForm_SaveAs(FForm, path.c_str()), 0);
            EXPECT_EQ(Snapshot(FForm), before);
            EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), steps);
            EXPECT_EQ(std::memcmp(backgroundPalette, background->FImage->FPalette,
                                  sizeof backgroundPalette),
                      0);

            ImagePtr saved = LoadImage(path);
            ASSERT_EQ(saved->FWidth, 16);
            ASSERT_EQ(saved->FHeight, 12);
            TLayer* floating = FForm->FFloat;
            for (int32_t y = 0; y < 12; ++y)
                for (int32_t x = 0; x < 16; ++x) {
                    uint32_t visible = 0;
                    uint32_t colour = BackgroundPixel(FForm, x, y, &visible);
                    int32_t fx = x - floating->FLeft, fy = y - floating->FTop;
                    if (fx >= 0 && fy >= 0 && fx < floating->FWidth && fy < floating->FHeight) {
                        uint32_t fc = 0;
                        if (TImage_GetPixelMasked(floating->FImage, fx, fy, &fc)) {
                            colour = fc;
                            visible = 0xFFFFFF;
                        }
                    }
                    uint32_t savedColour = 0;
                    uint32_t savedVisible = TImage_GetPixelMasked(saved.get(), x, y, &savedColour);
                    ASSERT_EQ(savedVisible, visible) << x << "," << y;
                    if (visible) {
                        ASSERT_EQ(savedColour, colour) << x << "," << y;
                    }
                }
        }
}

// Entries the picture's colours do not take keep the document palette's values.
TEST_F(FileTest, SaveAs_IconWritesTheDocumentPalette) {
    PaintFewColours(FForm, 7);
    for (int i = 0; i < 256; ++i)
        FForm->FPalette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x5A), 0};
    std::string path = FDir + "/palette.ico";
    ASSERT_EQ(TWorkForm_SaveAs(FForm, path.c_str()), 0);
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    const size_t paletteAt = 6 + 16 + 40;
    ASSERT_GE(bytes.size(), paletteAt + 1024);
    for (int i = 8; i < 256; ++i) { // the picture has 8 colours, placed from entry 0 on
        const uint8_t* e = &bytes[paletteAt + size_t(i) * 4];
        ASSERT_EQ(e[0], FForm->FPalette[i].FBlue) << i;
        ASSERT_EQ(e[1], FForm->FPalette[i].FGreen) << i;
        ASSERT_EQ(e[2], FForm->FPalette[i].FRed) << i;
    }
}

TEST_F(FileTest, Save_UntitledAsksForAName) {
    Modify(FForm);
    FForm->FFormModified = 1;
    // No provider: the question is cancelled; nothing is written or shown.
    EXPECT_EQ(TWorkForm_Save(FForm), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_TRUE(ListFolder(FDir).empty());
    EXPECT_TRUE(MessageBoxRecords().empty());
    EXPECT_TRUE(TWorkForm_IsModified(FForm));

    TWorkForm_SetSaveNameProvider(AnswerNameQuestion);
    EXPECT_EQ(TWorkForm_Save(FForm), -1); // the provider cancels
    EXPECT_EQ(GNameQuestions, 1);
    EXPECT_TRUE(ListFolder(FDir).empty());
    EXPECT_TRUE(FForm->FFileName.empty());

    GNameAnswer = FDir + "/named.bmp";
    EXPECT_EQ(TWorkForm_Save(FForm), 0);
    EXPECT_EQ(GNameQuestions, 2);
    EXPECT_EQ(FForm->FFileName, GNameAnswer);
    EXPECT_TRUE(FileExists(GNameAnswer));
    EXPECT_FALSE(TWorkForm_IsModified(FForm));
    EXPECT_EQ(FForm->FFormModified, 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
}

TEST_F(FileTest, Save_AfterSaveAsWritesToTheNewName) {
    std::string first = FDir + "/first.bmp";
    ASSERT_EQ(TWorkForm_Open(FForm, (SharedDir() + "/corpus/bmp/bmp-24bit-im3-33x9.bmp").c_str()),
              1);
    TWorkForm_SetSaveNameProvider(AnswerNameQuestion);
    GNameAnswer = first;
    ASSERT_EQ(TWorkForm_SaveDialog(FForm), 0);
    EXPECT_EQ(FForm->FFileName, first);

    PaintFewColours(FForm, 8);
    Modify(FForm);
    ASSERT_EQ(TWorkForm_Save(FForm), 0);
    EXPECT_EQ(GNameQuestions, 1) << "Save with a name does not ask";
    EXPECT_FALSE(TWorkForm_IsModified(FForm));
    ImagePtr saved = LoadImage(first);
    TWorkForm_Compose(FForm, nullptr);
    EXPECT_EQ(Colours(saved.get()), Colours(FForm->FComposite->FImage));
}

} // namespace
