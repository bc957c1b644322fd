#include "platform/BitmapScaling.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tavelin {
namespace {

// The source pixels that make one destination pixel along one axis: a run from `first`, each with its
// weight; the weights of a run add up to one.
struct Run {
    int first = 0;
    int count = 0;
    std::size_t weightsAt = 0;
};

struct AxisWeights {
    std::vector<Run> runs;  // one per destination pixel
    std::vector<float> weights;
};

// Destination pixel d covers the source span [d * scale, (d + 1) * scale) when shrinking; when
// enlarging its centre falls between two source centres.
AxisWeights axisWeights(int sourceSize, int destinationSize) {
    AxisWeights axis;
    axis.runs.reserve(static_cast<std::size_t>(destinationSize));
    const double scale = static_cast<double>(sourceSize) / destinationSize;
    for (int d = 0; d < destinationSize; ++d) {
        Run run{.weightsAt = axis.weights.size()};
        if (scale >= 1.0) {
            const double from = d * scale, to = std::min<double>((d + 1) * scale, sourceSize);
            run.first = static_cast<int>(std::floor(from));
            double total = 0;
            for (int s = run.first; s < sourceSize && s < to; ++s) {
                const double covered = std::min<double>(to, s + 1) - std::max<double>(from, s);
                axis.weights.push_back(static_cast<float>(covered));
                total += covered;
                ++run.count;
            }
            for (int i = 0; i < run.count; ++i) axis.weights[run.weightsAt + i] /= static_cast<float>(total);
        } else {
            const double centre = std::clamp((d + 0.5) * scale - 0.5, 0.0, sourceSize - 1.0);
            run.first = std::min(static_cast<int>(centre), sourceSize - 1);
            const double fraction = centre - run.first;
            axis.weights.push_back(static_cast<float>(1.0 - fraction));
            run.count = 1;
            if (fraction > 0) {
                axis.weights.push_back(static_cast<float>(fraction));
                run.count = 2;
            }
        }
        axis.runs.push_back(run);
    }
    return axis;
}

std::uint8_t toByte(float value) { return static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f)); }

// One source row across, for destination columns [left, right): each pixel's colours multiplied by
// its alpha, then weighed.
void acrossRow(const std::uint8_t* in, const AxisWeights& columns, int left, int right, float* out) {
    for (int x = left; x < right; ++x, out += 4) {
        const Run& run = columns.runs[x];
        float r = 0, g = 0, b = 0, a = 0;
        const std::uint8_t* p = in + static_cast<std::size_t>(run.first) * 4;
        for (int i = 0; i < run.count; ++i, p += 4) {
            const float weight = columns.weights[run.weightsAt + i] * p[3];
            r += weight * p[0];
            g += weight * p[1];
            b += weight * p[2];
            a += weight;
        }
        out[0] = r;
        out[1] = g;
        out[2] = b;
        out[3] = a;
    }
}

// Back to colours that are not multiplied by alpha.
void storeRow(const std::vector<float>& sum, std::uint8_t* out) {
    for (std::size_t k = 0; k < sum.size(); k += 4, out += 4) {
        const std::uint8_t alpha = toByte(sum[k + 3]);
        if (alpha == 0) {
            std::fill(out, out + 4, std::uint8_t{0});
            continue;
        }
        const float unmultiply = 1.0f / sum[k + 3];
        out[0] = toByte(sum[k] * unmultiply);
        out[1] = toByte(sum[k + 1] * unmultiply);
        out[2] = toByte(sum[k + 2] * unmultiply);
        out[3] = alpha;
    }
}

bool halves(int width, int height, int toWidth, int toHeight) {
    return width % 2 == 0 && height % 2 == 0 && width >= 2 * toWidth && height >= 2 * toHeight;
}

// `source` halved `count` times with libyuv's two by two box, the last time into `out`: the exact average
// of each block, as the resampling below would give, at a fraction of its cost. libyuv's 32-bit pixels
// keep alpha in the fourth byte and treat the other three alike, as ours do.
void halve(const Bitmap& source, int count, std::uint8_t* out, std::size_t outStride, bool premultiply) {
    const Bitmap* from = &source;
    Bitmap steps[2];
    std::vector<std::uint8_t> pair(premultiply ? source.rowBytes() * 2 : 0);
    for (int i = 0; i < count; ++i) {
        const int width = from->width / 2, height = from->height / 2;
        std::uint8_t* to = out;
        std::size_t toStride = outStride;
        Bitmap& step = steps[i % 2];
        if (i + 1 < count) {
            step = Bitmap(width, height);
            to = step.pixels.data();
            toStride = step.rowBytes();
        }
        if (premultiply && i == 0) {
            // Two rows at a time multiplied by alpha, so that the picture is read once and no copy of it
            // is made.
            const int rowBytes = static_cast<int>(source.rowBytes());
            for (int y = 0; y < height; ++y) {
                libyuv::ARGBAttenuate(source.pixels.data() + static_cast<std::size_t>(2 * y) * source.rowBytes(),
                                      rowBytes, pair.data(), rowBytes, source.width, 2);
                libyuv::ARGBScale(pair.data(), rowBytes, source.width, 2, to + static_cast<std::size_t>(y) * toStride,
                                  static_cast<int>(toStride), width, 1, libyuv::kFilterBox);
            }
        } else {
            libyuv::ARGBScale(from->pixels.data(), static_cast<int>(from->rowBytes()), from->width, from->height,
                              to, static_cast<int>(toStride), width, height, libyuv::kFilterBox);
        }
        from = &step;
    }
    if (premultiply) {
        const int width = source.width >> count, height = source.height >> count;
        libyuv::ARGBUnattenuate(out, static_cast<int>(outStride), out, static_cast<int>(outStride), width, height);
    }
}

// Halves as above, weighing colours by alpha. Unless the top row already shows transparency (an icon's
// corners), the colours are first taken as they are: when everything comes out opaque, every alpha under
// it was within a few steps of 255 and weighing would change colours by little more than rounding, so a
// large opaque picture is read once. Otherwise the halving is done again, weighed.
void halveWeighed(const Bitmap& source, int count, std::uint8_t* out, std::size_t outStride) {
    if (opaquePixels(source.pixels.data(), source.rowBytes(), source.width, 1)) {
        halve(source, count, out, outStride, false);
        if (opaquePixels(out, outStride, source.width >> count, source.height >> count)) return;
    }
    halve(source, count, out, outStride, true);
}

// Resamples all of `source` to the size of `rect`, into the part [left, right) by [top, bottom) of it
// that lies inside the destination.
void resample(const Bitmap& source, Bitmap& destination, PixelRect rect, int left, int top, int right, int bottom) {
    const AxisWeights columns = axisWeights(source.width, rect.width);
    const AxisWeights rows = axisWeights(source.height, rect.height);
    const std::size_t stride = static_cast<std::size_t>(right - left) * 4;

    // Across first, then down. The runs of successive destination rows only move down, so a ring of rows one
    // longer than the longest run computes each source row once.
    int longestRun = 0;
    for (int y = top; y < bottom; ++y) longestRun = std::max(longestRun, rows.runs[y].count);
    const std::size_t ringSize = static_cast<std::size_t>(longestRun) + 1;
    std::vector<float> ring(stride * ringSize);
    std::vector<int> ringRow(ringSize, -1);  // the source row each slot holds
    const auto across = [&](int y) -> const float* {
        const std::size_t slot = static_cast<std::size_t>(y) % ringSize;
        float* out = ring.data() + slot * stride;
        if (ringRow[slot] == y) return out;
        ringRow[slot] = y;
        acrossRow(source.pixels.data() + static_cast<std::size_t>(y) * source.rowBytes(), columns, left,
                  right, out);
        return out;
    };

    std::vector<float> sum(stride);
    for (int y = top; y < bottom; ++y) {
        const Run& run = rows.runs[y];
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (int i = 0; i < run.count; ++i) {
            const float weight = rows.weights[run.weightsAt + i];
            const float* in = across(run.first + i);
            for (std::size_t k = 0; k < stride; ++k) sum[k] += weight * in[k];
        }
        std::uint8_t* out = destination.pixels.data() +
                            static_cast<std::size_t>(rect.y + y) * destination.rowBytes() +
                            static_cast<std::size_t>(rect.x + left) * 4;
        storeRow(sum, out);
    }
}


}  // namespace

void drawScaled(const Bitmap& source, Bitmap& destination, PixelRect rect) {
    if (!source.isValid() || !destination.isValid() || rect.width <= 0 || rect.height <= 0) return;
    // The part of the rectangle that lies inside the destination, in the rectangle's own coordinates.
    const int left = std::max(0, -rect.x), top = std::max(0, -rect.y);
    const int right = std::min(rect.width, destination.width - rect.x);
    const int bottom = std::min(rect.height, destination.height - rect.y);
    if (left >= right || top >= bottom) return;

    int halvings = 0;
    while (halves(source.width >> halvings, source.height >> halvings, rect.width, rect.height)) ++halvings;
    if (halvings == 0) {
        resample(source, destination, rect, left, top, right, bottom);
        return;
    }
    const int width = source.width >> halvings, height = source.height >> halvings;
    const bool exact = width == rect.width && height == rect.height;
    std::uint8_t* out = destination.pixels.data() + static_cast<std::size_t>(rect.y + top) * destination.rowBytes() +
                        static_cast<std::size_t>(rect.x + left) * 4;
    if (exact && left == 0 && top == 0 && right == rect.width && bottom == rect.height) {
        halveWeighed(source, halvings, out, destination.rowBytes());
        return;
    }
    Bitmap halved(width, height);
    halveWeighed(source, halvings, halved.pixels.data(), halved.rowBytes());
    if (!exact) {
        resample(halved, destination, rect, left, top, right, bottom);
        return;
    }
    for (int y = top; y < bottom; ++y) {
        std::memcpy(out + static_cast<std::size_t>(y - top) * destination.rowBytes(),
                    halved.pixels.data() + static_cast<std::size_t>(y) * halved.rowBytes() +
                        static_cast<std::size_t>(left) * 4,
                    static_cast<std::size_t>(right - left) * 4);
    }
}

Bitmap scaled(const Bitmap& source, int width, int height) {
    Bitmap result(width, height);
    drawScaled(source, result, PixelRect{0, 0, result.width, result.height});
    return result;
}

PixelRect fittedRect(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
    const std::int64_t sw = sourceWidth, sh = sourceHeight, bw = boxWidth, bh = boxHeight;
    PixelRect rect{0, 0, boxWidth, boxHeight};
    if (sw * bh >= sh * bw) {
        rect.height = static_cast<int>(std::max<std::int64_t>(1, (bw * sh + sw / 2) / sw));
        rect.y = (boxHeight - rect.height) / 2;
    } else {
        rect.width = static_cast<int>(std::max<std::int64_t>(1, (bh * sw + sh / 2) / sh));
        rect.x = (boxWidth - rect.width) / 2;
    }
    return rect;
}

Bitmap drawnInSquare(const Bitmap& source, int side) {
    Bitmap square(side, side);
    drawScaled(source, square, fittedRect(source.width, source.height, square.width, square.height));
    return square;
}

}  // namespace tavelin
