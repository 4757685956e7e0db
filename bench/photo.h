// The pictures the file benchmarks read and write, made once per program: a 4000 x 3000
// photo-like picture and one of pixel art.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "bench/bench_path.h"
#include "core/image.h"

const int KPhotoWidth = 4000, KPhotoHeight = 3000;

// Colour ramps and soft shapes, fine texture of a few pixels' period, and per-pixel grain
// mostly in brightness: compresses like a photo (1.1 bits a pixel at JPEG quality 70), where
// pure noise would measure the entropy coder alone and pure ramps the codecs' fast paths.
inline TImage* MakePhoto() {
    TImage* image = TImage_Create(KPhotoWidth, KPhotoHeight, 24, TIF_BOTTOMUP | TIF_HASMASK);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> grain(-12, 12), tint(-4, 4);
    for (int32_t y = 0; y < KPhotoHeight; ++y) {
        uint8_t* p = TImage_GetRow(image, y);
        for (int32_t x = 0; x < KPhotoWidth; ++x, p += 3) {
            double u = double(x) / KPhotoWidth, v = double(y) / KPhotoHeight;
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

inline const TImage* Photo() {
    static TImage* image = MakePhoto();
    return image;
}

// Pixel art: sixteen colours in flat tiles of 4 to 64 pixels with outlined discs on them, as
// sprites and icons drawn large look.
inline TImage* MakePixelArt() {
    static const uint32_t KColours[16] = {
        0x000000, 0x1D2B53, 0x7E2553, 0x008751, 0xAB5236, 0x5F574F, 0xC2C3C7, 0xFFF1E8,
        0xFF004D, 0xFFA300, 0xFFEC27, 0x00E436, 0x29ADFF, 0x83769C, 0xFF77A8, 0xFFCCAA};
    TImage* image = TImage_Create(KPhotoWidth, KPhotoHeight, 24, TIF_BOTTOMUP | TIF_HASMASK);
    for (int32_t y = 0; y < KPhotoHeight; ++y) {
        uint8_t* p = TImage_GetRow(image, y);
        for (int32_t x = 0; x < KPhotoWidth; ++x, p += 3) {
            const int tile = 4 << ((x / 256 + y / 192) % 5);
            const int tx = x / tile, ty = y / tile;
            const int cx = x % tile - tile / 2, cy = y % tile - tile / 2;
            const int r2 = cx * cx + cy * cy, radius = tile / 3;
            uint32_t c = KColours[(tx * 7 + ty * 3) % 16];
            if (r2 < radius * radius) c = KColours[(tx + ty * 5 + 9) % 16];
            if (std::abs(r2 - radius * radius) < radius) c = 0;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
    }
    TImage_FillMask(image, 1);
    return image;
}

inline const TImage* PixelArt() {
    static TImage* image = MakePixelArt();
    return image;
}
