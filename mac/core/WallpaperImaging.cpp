#include "mac/core/WallpaperImaging.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"

namespace tavelin {
namespace {

constexpr int kJPEGQuality = 85;  // compression factor 0.85
constexpr int kAverageGrid = 64;
constexpr int kGreenGrid = 96;
constexpr double kGreenMinimum = 0.35;
constexpr double kGreenLead = 0.08;
constexpr double kGreenShare = 0.07;
constexpr double kUniformTolerance = 0.02;

RGB colourAt(const Bitmap& bitmap, int x, int y) {
    const Rgba pixel = bitmap.pixel(x, y);
    return RGB{pixel.r / 255.0, pixel.g / 255.0, pixel.b / 255.0};
}

// The i-th of `count` points spread over `length` pixels.
int gridPoint(int i, int length, int count) { return i * std::max(length - 1, 1) / std::max(count - 1, 1); }

std::optional<Bitmap> decoded(const Bytes& jpeg) {
    auto bitmap = decodeImage(jpeg.data);
    if (!bitmap) return std::nullopt;
    return std::move(*bitmap);
}

}  // namespace

std::optional<Bytes> jpeg(const Bitmap& image, double maxLongEdge) {
    if (!image.isValid()) return std::nullopt;
    const double scale = std::min(1.0, maxLongEdge / std::max(image.width, image.height));
    if (!(scale > 0)) return std::nullopt;
    const int width = static_cast<int>(image.width * scale);
    const int height = static_cast<int>(image.height * scale);
    if (width <= 0 || height <= 0) return std::nullopt;
    auto encoded = encodeJPEG(width == image.width && height == image.height ? image : scaled(image, width, height),
                              kJPEGQuality);
    if (!encoded) return std::nullopt;
    return Bytes{std::move(*encoded)};
}

std::vector<RGB> colourSamples(const Bitmap& bitmap, int limit) {
    std::vector<RGB> samples;
    if (!bitmap.isValid() || limit <= 0) return samples;
    const int columns = std::min(bitmap.width, limit), rows = std::min(bitmap.height, limit);
    samples.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int j = 0; j < rows; ++j) {
        const int y = gridPoint(j, bitmap.height, rows);
        for (int i = 0; i < columns; ++i) samples.push_back(colourAt(bitmap, gridPoint(i, bitmap.width, columns), y));
    }
    return samples;
}

std::optional<RGB> averageRGB(const Bitmap& bitmap) {
    const auto samples = colourSamples(bitmap, kAverageGrid);
    if (samples.empty()) return std::nullopt;
    RGB sum;
    for (const auto& sample : samples) {
        sum.red += sample.red;
        sum.green += sample.green;
        sum.blue += sample.blue;
    }
    const auto count = static_cast<double>(samples.size());
    return RGB{sum.red / count, sum.green / count, sum.blue / count};
}

std::optional<RGB> averageRGB(const Bytes& jpeg) {
    const auto bitmap = decoded(jpeg);
    return bitmap ? averageRGB(*bitmap) : std::nullopt;
}

bool containsProminentGreenDesktop(const Bitmap& bitmap) {
    const auto samples = colourSamples(bitmap, kGreenGrid);
    if (samples.empty()) return false;
    const auto green = std::ranges::count_if(samples, [](const RGB& c) {
        return c.green > kGreenMinimum && c.red + kGreenLead < c.green && c.blue + kGreenLead < c.green;
    });
    return static_cast<double>(green) / static_cast<double>(samples.size()) > kGreenShare;
}

bool containsProminentGreenDesktop(const Bytes& jpeg) {
    const auto bitmap = decoded(jpeg);
    return bitmap && containsProminentGreenDesktop(*bitmap);
}

bool isUniformFill(const Bitmap& bitmap) {
    if (!bitmap.isValid() || bitmap.width < 5 || bitmap.height < 5) return false;
    const RGB first = colourAt(bitmap, 2, 2);
    for (const RGB other : {colourAt(bitmap, bitmap.width / 2, bitmap.height / 2),
                            colourAt(bitmap, bitmap.width - 3, bitmap.height - 3)}) {
        if (std::abs(other.red - first.red) >= kUniformTolerance ||
            std::abs(other.green - first.green) >= kUniformTolerance ||
            std::abs(other.blue - first.blue) >= kUniformTolerance) {
            return false;
        }
    }
    return true;
}

bool isUniformFill(const Bytes& jpeg) {
    const auto bitmap = decoded(jpeg);
    return bitmap && isUniformFill(*bitmap);
}

}  // namespace tavelin
