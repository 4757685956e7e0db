// What the gdi tests share: a context with its own bitmap, released at the end of the test,
// and whole-bitmap reads for pixel-by-pixel comparison.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/gdi.h"

struct TestPlane {
    TGdiDC* FDC = nullptr;
    TGdiObject* FBitmap = nullptr;
    TGdiObject* FOld = nullptr;
    int32_t FWidth = 0, FHeight = 0;

    TestPlane(int32_t width, int32_t height, int bits, int bottomUp = 1) {
        FWidth = width;
        FHeight = height;
        FDC = Gdi_CreateCompatibleDC(nullptr);
        FBitmap = Gdi_CreateDIBSection(width, height, bits, bottomUp, nullptr);
        FOld = Gdi_SelectObject(FDC, FBitmap);
    }
    TestPlane(const TestPlane&) = delete;
    TestPlane& operator=(const TestPlane&) = delete;
    ~TestPlane() {
        Gdi_SelectObject(FDC, FOld);
        Gdi_DeleteDC(FDC);
        Gdi_DeleteObject(FBitmap);
    }
    TGdiBitmapInfo Info() const {
        TGdiBitmapInfo info = {};
        Gdi_GetBitmapInfo(FBitmap, &info);
        return info;
    }
    // Every pixel's colour, rows top to bottom.
    std::vector<TGdiColor> Pixels() const {
        std::vector<TGdiColor> out;
        for (int32_t y = 0; y < FHeight; ++y)
            for (int32_t x = 0; x < FWidth; ++x)
                out.push_back(Gdi_GetPixel(FDC, x, y));
        return out;
    }
    void Fill(TGdiColor color) {
        TGdiObject* brush = Gdi_CreateSolidBrush(color);
        TGdiRect all = {0, 0, FWidth, FHeight};
        Gdi_FillRect(FDC, &all, brush);
        Gdi_DeleteObject(brush);
    }
    void Randomise(std::mt19937& random) {
        TGdiBitmapInfo info = Info();
        for (int32_t i = 0; i < info.FSizeImage; ++i)
            info.FBits[i] = uint8_t(random());
        if (info.FBitsPerPixel == 32) // as the program keeps them: opaque
            for (int32_t i = 3; i < info.FSizeImage; i += 4)
                info.FBits[i] = 0xFF;
    }
};

// Selects a new pen and brush into a context for one figure and deletes them afterwards.
struct TestTools {
    TGdiDC* FDC;
    TGdiObject *FPen, *FBrush, *FOldPen, *FOldBrush;
    TestTools(TGdiDC* dc, TGdiObject* pen, TGdiObject* brush) : FDC(dc), FPen(pen), FBrush(brush) {
        FOldPen = Gdi_SelectObject(dc, pen);
        FOldBrush = Gdi_SelectObject(dc, brush);
    }
    TestTools(const TestTools&) = delete;
    TestTools& operator=(const TestTools&) = delete;
    ~TestTools() {
        Gdi_SelectObject(FDC, FOldPen);
        Gdi_SelectObject(FDC, FOldBrush);
        Gdi_DeleteObject(FPen);
        Gdi_DeleteObject(FBrush);
    }
};

// A grid as strings, '#' for pixels equal to on, '.' otherwise.
inline std::vector<std::string> Picture(const TestPlane& plane, TGdiColor on) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < plane.FHeight; ++y) {
        std::string row;
        for (int32_t x = 0; x < plane.FWidth; ++x)
            row += Gdi_GetPixel(plane.FDC, x, y) == on ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}
