// HSVToRGB: the six sectors, grey at saturation 0, hue 360, truncation, and safety on input
// far out of range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/error.h"
#include "core/hsv.h"

struct THsvCase {
    double hue, saturation, value;
    int red, green, blue;
};

static void ExpectHsv(const THsvCase& c) {
    TPaletteEntry e = {1, 2, 3, 0xA5};
    ASSERT_EQ(HSVToRGB(c.hue, c.saturation, c.value, &e), 0);
    EXPECT_EQ(e.FRed, c.red) << "hsv " << c.hue << " " << c.saturation << " " << c.value;
    EXPECT_EQ(e.FGreen, c.green) << "hsv " << c.hue << " " << c.saturation << " " << c.value;
    EXPECT_EQ(e.FBlue, c.blue) << "hsv " << c.hue << " " << c.saturation << " " << c.value;
    EXPECT_EQ(e.FReserved, 0xA5) << "the fourth byte is never written";
}

TEST(HSVToRGB, SectorsGiveTheirPrimariesAndSecondaries) {
    const THsvCase cases[] = {
        {0, 1, 1, 255, 0, 0},       {60, 1, 1, 255, 255, 0}, {120, 1, 1, 0, 255, 0},
        {180, 1, 1, 0, 255, 255},   {240, 1, 1, 0, 0, 255},  {300, 1, 1, 255, 0, 255},
        {30, 1, 1, 255, 127, 0}, // t = 0.5, truncated
        {90, 1, 1, 127, 255, 0}, // q = 0.5
        {0, 0.2, 1, 255, 204, 204}, {0, 1, 0.5, 127, 0, 0},
    };
    for (const THsvCase& c : cases)
        ExpectHsv(c);
}

TEST(HSVToRGB, SaturationZeroIsGreyOfTheValue) {
    ExpectHsv({0, 0, 0.5, 127, 127, 127});
    ExpectHsv({200, 0, 1, 255, 255, 255});
    ExpectHsv({200, 0, 0, 0, 0, 0});
}

TEST(HSVToRGB, Hue360CountsAsZero) {
    TPaletteEntry a = {}, b = {};
    for (double s : {0.3, 1.0}) {
        HSVToRGB(360.0, s, 0.8, &a);
        HSVToRGB(0.0, s, 0.8, &b);
        EXPECT_EQ(PaletteEntryToColor(a), PaletteEntryToColor(b)) << "saturation " << s;
    }
}

TEST(HSVToRGB, SectorOutsideZeroToFiveGivesFractionInAllChannels) {
    ExpectHsv({420, 1, 1, 0, 0, 0});       // h = 7, f = 0
    ExpectHsv({390, 1, 1, 127, 127, 127}); // h = 6.5
    ExpectHsv({-30, 1, 1, 127, 127, 127}); // h = -0.5, sector -1, f = 0.5
}

TEST(HSVToRGB, AnyInputGivesBytesWithoutUndefinedConversions) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double odd[] = {1e300, -1e300, inf, -inf, nan, 2.0, -2.0, 1e10};
    for (double hue : odd)
        for (double s : odd)
            for (double v : odd) {
                TPaletteEntry e = {};
                EXPECT_EQ(HSVToRGB(hue, s, v, &e), 0); // UBSan reports any bad conversion
            }
    ExpectHsv({0, 0, 2.0, 255, 255, 255}); // clamped above
    ExpectHsv({0, 0, -1.0, 0, 0, 0});      // clamped below
    ExpectHsv({1e300, 1, 1, 0, 0, 0});     // huge hue: other sector, f = 0
}

TEST(HSVToRGB, NullOutIsReported) {
    ClearLastErrorCode();
    EXPECT_EQ(HSVToRGB(0, 1, 1, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
