// HSVToRGB: the six hue sectors, each channel truncated to a byte.
#include "core/hsv.h"

#include <cmath>

#include "core/error.h"

// truncate(channel x 255) clamped to 0..255; the clamp comes first so that no out-of-range
// double is ever converted to an integer.
static uint8_t ChannelByte(double channel) {
    double scaled = channel * 255.0;
    if (!(scaled > 0.0)) return 0; // also not-a-number
    if (scaled >= 255.0) return 255;
    return uint8_t(scaled);
}

int HSVToRGB(double hue, double saturation, double value, TPaletteEntry* out) {
    if (!out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    double red, green, blue;
    if (saturation == 0.0) {
        red = green = blue = value;
    } else {
        if (hue == 360.0) hue = 0.0;
        double h = hue * (1.0 / 60.0);
        // The sector number stays a double until it is known to be 0..5, so a hue far out of
        // range falls into the "other sector" case instead of an overflowing conversion.
        double sector = std::floor(h);
        int i = (sector >= 0.0 && sector < 6.0) ? int(sector) : -1;
        double f = h - sector;
        double p = value * (1.0 - saturation);
        double q = value * (1.0 - saturation * f);
        double t = value * (1.0 - saturation * (1.0 - f));
        switch (i) {
        case 0:
            red = value, green = t, blue = p;
            break;
        case 1:
            red = q, green = value, blue = p;
            break;
        case 2:
            red = p, green = value, blue = t;
            break;
        case 3:
            red = p, green = q, blue = value;
            break;
        case 4:
            red = t, green = p, blue = value;
            break;
        case 5:
            red = value, green = p, blue = q;
            break;
        default:
            red = green = blue = f;
            break;
        }
    }
    out->FRed = ChannelByte(red);
    out->FGreen = ChannelByte(green);
    out->FBlue = ChannelByte(blue);
    return 0;
}
