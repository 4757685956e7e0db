// The photo-like picture the JPEG and command benchmarks share.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

#include "core/image.h"

// Colour ramps and soft shapes, fine texture of a few pixels' period, and per-pixel grain
// mostly in brightness: compresses like a photo (1.1 bits a pixel at quality 70), where
// pure noise would measure the entropy coder alone and pure ramps the codec's fast paths.
inline TImage* MakePhoto(int32_t width, int32_t height) {
    TImage* image = TImage_Create(width, height, 24, TIF_BOTTOMUP | TIF_HASMASK);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> grain(-12, 12), tint(-4, 4);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* p = TImage_GetRow(image, y);
        for (int32_t x = 0; x < width; ++x, p += 3) {
            double u = double(x) / width, v = double(y) / height;
            double shape = std::sin(u * 9.0 + std::cos(v * 5.0)) * std::cos(v * 7.0 - u * 3.0);
            double texture = std::sin(x * 0.9 + std::sin(y * 0.21) * 4.0) *
                             std::cos(y * 0.7 + std::sin(x * 0.13) * 3.0);
            int light = int(20 * texture * (0.5 + 0.5 * shape)) + grain(random);
            int c[3] = {int(60 + 120 * v + 50 * shape), int(90 + 80 * u * v + 40 * shape),
                        int(200 - 150 * u + 30 * shape)};
            for (int i = 0; i < 3; ++i) {
                int s = c[i] + light + tint(random);
                p[i] = uint8_t(s < 0 ? 0 : s > 255 ? 255 : s);
            }
        }
    }
    TImage_FillMask(image, 1);
    return image;
}

