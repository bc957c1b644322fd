#pragma once

// Drawing a bitmap at another size. Shrinking averages every source pixel under a destination pixel by
// the area it covers (a 1024-pixel icon drawn at 128 takes each 8 by 8 block; whole halvings go through
// libyuv's box filter); enlarging interpolates linearly. Averaging weighs each colour by its alpha, so
// transparent pixels do not darken the edges of what is beside them. Any thread may call.

#include "platform/Bitmap.h"

namespace tavelin {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Draws all of `source`, scaled to the size of `rect`, into `rect` of `destination`, replacing the
// pixels there (no blending). What falls outside the destination is left out. An empty source or
// rectangle draws nothing.
void drawScaled(const Bitmap& source, Bitmap& destination, PixelRect rect);

// `source` at exactly width by height pixels.
Bitmap scaled(const Bitmap& source, int width, int height);

// The largest rectangle of the source's proportions that fits in a box of that size, centred in it,
// at least one pixel on each side.
PixelRect fittedRect(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight);

// `source` drawn into a transparent square of `side` pixels, its proportions kept and centred: an icon.
Bitmap drawnInSquare(const Bitmap& source, int side);

}  // namespace tavelin
