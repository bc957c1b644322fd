#pragma once

// PNG and JPEG coding of bitmaps (PNG written here over libdeflate and read with libspng, JPEG with
// TurboJPEG), and loading a picture by its content: a file named ".heic" that holds JPEG bytes is a
// JPEG. Every failure is a value; bad input never aborts, and a picture whose header announces more
// than kMaxImagePixels is refused before anything is allocated for it. Any thread may call; nothing is
// shared between calls.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace tavelin {

struct ImageError {
    std::string message;  // "PNG: IDAT: incorrect data check", "not a PNG or JPEG picture"
    friend bool operator==(const ImageError&, const ImageError&) = default;
};

enum class ImageFormat { png, jpeg };

// 8192 by 8192 pixels, 256 MiB as a bitmap: more than any desktop picture or icon needs.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 26;
inline constexpr std::size_t kMaxImageFileBytes = std::size_t{256} << 20;

// Quick rather than small: icons are encoded while the user waits for the panel.
std::expected<std::vector<std::uint8_t>, ImageError> encodePNG(const Bitmap& bitmap);
// Any PNG (palette, grey, 16-bit, interlaced) comes back as 8-bit RGBA; transparency is kept.
std::expected<Bitmap, ImageError> decodePNG(std::span<const std::uint8_t> bytes);

// `quality` from 1 to 100 (85 for a compression factor of 0.85). JPEG has no alpha: a pixel that is
// not opaque is encoded as its colour over black, as a premultiplied bitmap holds it.
std::expected<std::vector<std::uint8_t>, ImageError> encodeJPEG(const Bitmap& bitmap, int quality);
// The result is opaque. Any damage the decoder notices refuses the picture, also what libjpeg only
// warns about (a truncated file would otherwise decode with its missing part grey).
std::expected<Bitmap, ImageError> decodeJPEG(std::span<const std::uint8_t> bytes);

// By the magic bytes at the start; none for anything else.
std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes);
std::expected<Bitmap, ImageError> decodeImage(std::span<const std::uint8_t> bytes);
// Reads at most kMaxImageFileBytes; the message of a failure starts with the path.
std::expected<Bitmap, ImageError> loadImage(const std::filesystem::path& path);

}  // namespace tavelin
