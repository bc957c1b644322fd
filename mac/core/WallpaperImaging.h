#pragma once

// The picture work of the desktop-picture service: the JPEG it keeps, and the colour tests that judge
// a picture, each on a grid of sampled points. The tests exist for bitmaps and for JPEG bytes; a JPEG
// that cannot be decoded has no average and is neither green nor uniform. Any thread.

#include <optional>
#include <vector>

#include "platform/Bitmap.h"
#include "protocol/Base64.h"

namespace tavelin {

// Components from 0 to 1.
struct RGB {
    double red = 0;
    double green = 0;
    double blue = 0;
    friend bool operator==(const RGB&, const RGB&) = default;
};

// The picture at most `maxLongEdge` pixels on its long edge (never enlarged) as a JPEG at compression
// 0.85; none when there is nothing to encode.
std::optional<Bytes> jpeg(const Bitmap& image, double maxLongEdge);

// The colours of a grid of min(width, limit) by min(height, limit) points spread evenly over the
// bitmap, its first and last columns and rows included, row by row.
std::vector<RGB> colourSamples(const Bitmap& bitmap, int limit);

// The mean colour of a 64 by 64 grid.
std::optional<RGB> averageRGB(const Bitmap& bitmap);
std::optional<RGB> averageRGB(const Bytes& jpeg);

// More than 7 % of a 96 by 96 grid is clearly green: green above 0.35 and above red and blue by more
// than 0.08 each.
bool containsProminentGreenDesktop(const Bitmap& bitmap);
bool containsProminentGreenDesktop(const Bytes& jpeg);

// Three points, near the top-left corner, in the middle and near the bottom-right corner, have the
// same colour within 0.02 per component. A picture under 5 pixels wide or high is not uniform.
bool isUniformFill(const Bitmap& bitmap);
bool isUniformFill(const Bytes& jpeg);

}  // namespace tavelin
