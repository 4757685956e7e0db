// What the document tests share: a work form in a real (offscreen) top-level window, pictures
// to fill its background with, snapshots of the document (both planes of the background and of
// the floating surface, and the selection state) to compare before and after a change, and a
// check that a change undoes and redoes bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QWidget>

#include "core/rect.h"
#include "document/work_form.h"

struct TImage;
struct TLayer;

// Everything a change may touch, as plain values.
struct TDocSnapshot {
    int32_t FSelectMode = 0;
    TRectXYWH FSelectArea = {};
    int32_t FBackgroundWidth = 0, FBackgroundHeight = 0;
    std::vector<uint8_t> FBackground; // PixelDump of the background (colour and mask)
    TRectXYWH FFloatRect = {};        // position and size of the floating surface, if any
    std::vector<uint8_t> FFloat;      // PixelDump of the floating surface, empty without one
    uint32_t FSecondaryColour = 0;
    bool operator==(const TDocSnapshot& o) const;
};
std::ostream& operator<<(std::ostream& os, const TDocSnapshot& s);

TDocSnapshot Snapshot(TWorkForm* form);

// A work form of width x height (New) inside a shown top-level window whose client area is
// viewWidth x viewHeight, placed over all of it. The host defaults are installed, the message
// box recorder cleared, and the form made the active one.
class WorkFormTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // (Re)makes the form with a new document of the size; the old form is destroyed.
    void MakeForm(int32_t width, int32_t height, int32_t viewWidth = 400, int32_t viewHeight = 300);
    // Fills the background with a seeded pattern: colours from the seed, every third pixel
    // transparent. Composes and repaints.
    void FillPattern(uint32_t seed);
    // Paints every background pixel colour, visible; composes and repaints.
    void PaintBackground(uint32_t colour);
    // Grabs the scroll area as the user sees it, in RGB32 (0xAARRGGBB pixels).
    QImage GrabView();
    // Checks that change alters the document, that Undo brings back the snapshot taken before
    // it bit for bit, and that Redo brings back the snapshot taken after it.
    void ExpectUndoRedo(const std::function<void()>& change);
    // The render-window point in the middle of document pixel (x, y).
    TPoint PixelCentre(int32_t x, int32_t y);

    std::unique_ptr<QWidget> FMain;
    TWorkForm* FForm = nullptr;
};

// The pixel of a background, colour and visibility.
uint32_t BackgroundPixel(TWorkForm* form, int32_t x, int32_t y, uint32_t* visible = nullptr);
