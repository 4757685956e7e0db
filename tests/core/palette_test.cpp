// The default palette, the hue gradient, and .pal reading and atomic writing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/hsv.h"
#include "core/palette.h"
#include "platform/save_file.h"
#include "tests/support/test_support.h"

static std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

static std::string Rgb(const TPaletteEntry& e) {
    return std::to_string(e.FRed) + "," + std::to_string(e.FGreen) + "," + std::to_string(e.FBlue);
}

// Entries with a recognisable pattern, so a reader that writes past what it read shows.
static void FillSentinel(TPaletteEntry* entries, int count = 256) {
    for (int i = 0; i < count; ++i)
        entries[i] = TPaletteEntry{0x11, 0x22, 0x33, uint8_t(i)};
}

// Writes text to a fresh file and reads it; returns the result, the entries in out.
static int ReadText(const std::string& text, TPaletteEntry* out) {
    std::string path = TestTempDir() + "/p.pal";
    WriteWholeFile(path, Bytes(text));
    FillSentinel(out);
    return ReadPaletteFile(out, path.c_str());
}

TEST(DefaultPalette, NamedEntries) {
    TPaletteEntry e[256];
    FillSentinel(e);
    ASSERT_EQ(MakeDefaultPalette(e), 0);
    EXPECT_EQ(Rgb(e[0]), "255,204,204");  // red at saturation 0.2
    EXPECT_EQ(Rgb(e[1]), "255,223,204");  // hue 22.5
    EXPECT_EQ(Rgb(e[16]), "255,153,153"); // saturation 0.4
    // The third saturation is 0.2 + 0.2 + 0.2, a little above 0.6: 101.99.. truncates to 101.
    EXPECT_EQ(Rgb(e[32]), "255,101,101");
    EXPECT_EQ(Rgb(e[48]), "255,50,50");
    EXPECT_EQ(Rgb(e[64]), "255,0,0"); // pure red
    EXPECT_EQ(Rgb(e[80]), "233,0,0"); // value 11/12
    EXPECT_EQ(Rgb(e[224]), "42,0,0"); // the eleventh ring, value 2/12
    EXPECT_EQ(Rgb(e[240]), "0,0,0");
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(Rgb(e[240 + i]), std::to_string(17 * i) + "," + std::to_string(17 * i) + "," +
                                       std::to_string(17 * i));
    EXPECT_EQ(Rgb(e[255]), "255,255,255");
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(e[i].FReserved, 0) << "entry " << i;
}

TEST(DefaultPalette, RingsRunThroughSixteenHues) {
    TPaletteEntry e[256], h;
    MakeDefaultPalette(e);
    // Hue 120 is the ninth of each ring of full saturation: green at the ring's value.
    for (int ring = 0; ring < 11; ++ring) {
        EXPECT_EQ(e[64 + 16 * ring + 0].FGreen, 0) << "ring " << ring;
        EXPECT_EQ(e[64 + 16 * ring + 0].FRed, e[64 + 16 * ring + 10].FBlue) << "ring " << ring;
    }
    HSVToRGB(337.5, 1.0, 1.0, &h);
    EXPECT_EQ(Rgb(e[64 + 15]), Rgb(h));
}

TEST(HueGradient, EvenStepsRoundTheCircle) {
    TPaletteEntry e[8];
    FillSentinel(e, 8);
    ASSERT_EQ(MakeHueGradient(e, 6), 0);
    const char* expected[] = {"255,0,0",   "255,255,0", "0,255,0",
                              "0,255,255", "0,0,255",   "255,0,255"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Rgb(e[i]), expected[i]) << "entry " << i;
        EXPECT_EQ(e[i].FReserved, 0);
    }
    EXPECT_EQ(Rgb(e[6]), "51,34,17") << "only count entries are filled";
}

TEST(HueGradient, FullPaletteAndEmptyCount) {
    TPaletteEntry e[256];
    MakeHueGradient(e, 256);
    EXPECT_EQ(Rgb(e[0]), "255,0,0");
    EXPECT_EQ(Rgb(e[1]), "255,5,0");     // 1.40625 degrees
    EXPECT_EQ(Rgb(e[128]), "0,255,255"); // 180 degrees
    EXPECT_EQ(Rgb(e[255]), "255,0,5");
    FillSentinel(e);
    EXPECT_EQ(MakeHueGradient(e, 0), 0);
    EXPECT_EQ(Rgb(e[0]), "51,34,17");
    EXPECT_EQ(MakeHueGradient(nullptr, 4), -1);
    EXPECT_EQ(MakeDefaultPalette(nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(ReadPalette, CommentThenRedGreenBlue) {
    TPaletteEntry e[256];
    SetLastErrorCode(EC_UNKNOWN);
    ASSERT_EQ(ReadText("; my colours\n255\n65280\n16711680\n", e), 3);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_EQ(Rgb(e[0]), "255,0,0");
    EXPECT_EQ(Rgb(e[1]), "0,255,0");
    EXPECT_EQ(Rgb(e[2]), "0,0,255");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(e[i].FReserved, i) << "the fourth byte is kept";
    EXPECT_EQ(Rgb(e[3]), "51,34,17") << "entries past the count keep their values";
}

TEST(ReadPalette, LineEndsAndTheLastLineWithoutOne) {
    TPaletteEntry e[256];
    ASSERT_EQ(ReadText("255\r\n;x\r\n65280\r\n16711680", e), 3);
    EXPECT_EQ(Rgb(e[2]), "0,0,255");
    ASSERT_EQ(ReadText("\xEF\xBB\xBF"
                       "255\n1\n",
                       e),
              2)
        << "a byte order mark is skipped";
    EXPECT_EQ(Rgb(e[0]), "255,0,0");
}

TEST(ReadPalette, WhatALineHolds) {
    struct {
        const char* text;
        int count;
        uint32_t first; // colour value of entry 0
        const char* rule;
    } cases[] = {
        {"  \t42\n", 1, 42, "leading blanks are skipped"},
        {"42abc 17\n", 1, 42, "the number ends at the first non-digit"},
        {"42 17\n7\n", 2, 42, "one number per line"},
        {" \n\t\r\n\n7\n", 1, 7, "lines of blanks only are no colours"},
        {"-5\n+5\n7\n", 1, 7, "a sign is no digit: the line is skipped"},
        {"abc\n  ;x\n  x1\n7\n", 1, 7, "lines not starting with a digit are skipped"},
        {"16777216\n", 1, 0, "only the low 24 bits count"},
        {"16777471\n", 1, 255, "only the low 24 bits count"},
        {"2147483647\n", 1, 0xFFFFFF, "largest 32-bit number"},
        {"99999999999999999999999999999999\n7\n", 2, 0xFFFFFF, "long digit runs saturate"},
        {"0x10\n", 1, 0, "decimal only"},
    };
    for (const auto& c : cases) {
        TPaletteEntry e[256];
        EXPECT_EQ(ReadText(c.text, e), c.count) << c.rule;
        EXPECT_EQ(PaletteEntryToColor(e[0]), c.first) << c.rule;
    }
}

TEST(ReadPalette, LongLinesStayOneLine) {
    TPaletteEntry e[256];
    std::string text = std::string(5000, ' ') + "255\n";   // blanks before the number
    text += "65280" + std::string(5000, 'x') + "12345\n";  // junk after it
    text += std::string(300, '9') + "\n";                  // a 300-digit number
    text += ";" + std::string(5000, '7') + "\n16711680\n"; // a long comment
    ASSERT_EQ(ReadText(text, e), 4);
    EXPECT_EQ(PaletteEntryToColor(e[0]), 255u);
    EXPECT_EQ(PaletteEntryToColor(e[1]), 65280u);
    EXPECT_EQ(PaletteEntryToColor(e[2]), 0xFFFFFFu);
    EXPECT_EQ(PaletteEntryToColor(e[3]), 16711680u);
}

TEST(ReadPalette, StoresAtMost256) {
    TPaletteEntry e[257];
    e[256] = TPaletteEntry{9, 9, 9, 9}; // just past the palette: must stay
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i + 1) + "\n";
    std::string path = TestTempDir() + "/300.pal";
    WriteWholeFile(path, Bytes(text));
    ASSERT_EQ(ReadPaletteFile(e, path.c_str()), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(PaletteEntryToColor(e[i]), uint32_t(i + 1));
    EXPECT_EQ(Rgb(e[256]), "9,9,9");
}

TEST(ReadPalette, NoColoursIsUnknownFormat) {
    for (const char* text : {"; only\n;comments\n", "", "\n\n  \n", "-1\n"}) {
        TPaletteEntry e[256];
        EXPECT_EQ(ReadText(text, e), -1) << text;
        EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT) << text;
        EXPECT_EQ(Rgb(e[0]), "51,34,17");
    }
}

TEST(ReadPalette, OpenAndReadFailures) {
    TPaletteEntry e[256];
    std::string dir = TestTempDir();
    EXPECT_EQ(ReadPaletteFile(e, (dir + "/missing.pal").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    // A folder opens but does not read: a read error, not a file without colours.
    EXPECT_EQ(ReadPaletteFile(e, dir.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    EXPECT_EQ(ReadPaletteFile(nullptr, (dir + "/x").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(ReadPaletteFile(e, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(WritePalette, DefaultPaletteRoundTrips) {
    TPaletteEntry e[256], back[256];
    MakeDefaultPalette(e);
    std::string path = TestTempDir() + "/default.pal";
    SetLastErrorCode(EC_UNKNOWN);
    ASSERT_EQ(WritePaletteFile(e, 256, path.c_str()), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    std::string text;
    for (uint8_t b : ReadWholeFile(path))
        text += char(b);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 256);
    EXPECT_EQ(text.substr(0, 9), "13421823\n"); // 255 + 256 x 204 + 65536 x 204
    EXPECT_EQ(text.substr(text.size() - 9), "16777215\n");
    FillSentinel(back);
    ASSERT_EQ(ReadPaletteFile(back, path.c_str()), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(Rgb(back[i]), Rgb(e[i])) << "entry " << i;
}

TEST(WritePalette, WritesCountEntries) {
    TPaletteEntry e[3] = {{0, 0, 255, 7}, {0, 255, 0, 7}, {255, 0, 0, 7}};
    std::string dir = TestTempDir();
    ASSERT_EQ(WritePaletteFile(e, 3, (dir + "/three.pal").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(dir + "/three.pal"), Bytes("255\n65280\n16711680\n"));
    ASSERT_EQ(WritePaletteFile(e, 0, (dir + "/none.pal").c_str()), 0);
    EXPECT_TRUE(ReadWholeFile(dir + "/none.pal").empty());
    EXPECT_EQ(WritePaletteFile(e, -1, (dir + "/bad.pal").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);
    EXPECT_EQ(WritePaletteFile(nullptr, 3, (dir + "/bad.pal").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);
    EXPECT_EQ(WritePaletteFile(e, 3, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);
    EXPECT_FALSE(FileExists(dir + "/bad.pal"));
}

TEST(WritePalette, UnwritablePlaceFailsWithNothingLeft) {
    TPaletteEntry e[256];
    MakeDefaultPalette(e);
    std::string dir = TestTempDir();
    WriteWholeFile(dir + "/file.txt", Bytes("plain"));
    EXPECT_EQ(WritePaletteFile(e, 256, (dir + "/file.txt/x.pal").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);
    EXPECT_EQ(ReadWholeFile(dir + "/file.txt"), Bytes("plain"));
    EXPECT_EQ(ListFolder(dir), std::vector<std::string>{"file.txt"});
}

TEST(WritePalette, FailedCommitLeavesTheOldFileByteIdentical) {
    TPaletteEntry e[256];
    MakeDefaultPalette(e);
    std::string dir = TestTempDir(), path = dir + "/old.pal";
    const std::vector<uint8_t> old = Bytes("; kept\n255\n");
    for (int step : {TSF_FLUSH, TSF_SYNC, TSF_CLOSE, TSF_RENAME}) {
        WriteWholeFile(path, old);
        TSaveFile_InjectFault(step);
        EXPECT_EQ(WritePaletteFile(e, 256, path.c_str()), -1) << "step " << step;
        EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED) << "step " << step;
        EXPECT_EQ(Sha256Hex(ReadWholeFile(path)), Sha256Hex(old)) << "step " << step;
        EXPECT_EQ(ListFolder(dir), std::vector<std::string>{"old.pal"}) << "step " << step;
    }
    TSaveFile_InjectFault(TSF_NONE);
    ASSERT_EQ(WritePaletteFile(e, 256, path.c_str()), 0); // no fault left over: replaces it
    TPaletteEntry back[256];
    EXPECT_EQ(ReadPaletteFile(back, path.c_str()), 256);
    EXPECT_EQ(ListFolder(dir), std::vector<std::string>{"old.pal"});
}

// The stream form reads from the stream's position to its end as the named form reads a file.
TEST(ReadPalette, StreamReadsAsTheFileDoes) {
    const std::string text = "; head\n255\r\n65280\n  16711680 x\n-4\n7";
    TPaletteEntry fromFile[256], fromStream[256];
    ASSERT_EQ(ReadText(text, fromFile), 4);
    std::string padded = "99\n" + text;
    std::FILE* stream = fmemopen(&padded[0], padded.size(), "rb");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(std::fseek(stream, 3, SEEK_SET), 0);
    FillSentinel(fromStream);
    SetLastErrorCode(EC_UNKNOWN);
    EXPECT_EQ(ReadPaletteStream(fromStream, stream), 4);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    std::fclose(stream);
    EXPECT_EQ(std::memcmp(fromStream, fromFile, sizeof fromFile), 0);
    EXPECT_EQ(ReadPaletteStream(fromStream, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
