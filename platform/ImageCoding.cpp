#include "platform/ImageCoding.h"

#include <spng.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/FileContents.h"

namespace tavelin {
namespace {

// zlib's level for PNG data; see encodePNG.
constexpr int kPNGCompressionLevel = 6;

std::unexpected<ImageError> failure(std::string_view format, std::string_view reason) {
    return std::unexpected(ImageError{std::string(format) + ": " + std::string(reason)});
}

std::optional<ImageError> sizeError(std::string_view format, std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return ImageError{std::string(format) + ": empty picture"};
    if (width * height > kMaxImagePixels) {
        return ImageError{std::string(format) + ": picture too large (" + std::to_string(width) + "x" +
                          std::to_string(height) + ")"};
    }
    return std::nullopt;
}

std::optional<ImageError> bitmapError(std::string_view format, const Bitmap& bitmap) {
    if (!bitmap.isValid()) return ImageError{std::string(format) + ": not a valid bitmap"};
    return sizeError(format, bitmap.width, bitmap.height);
}

struct SpngDeleter {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngDeleter>;

std::unexpected<ImageError> pngFailure(int error) { return failure("PNG", spng_strerror(error)); }

struct TurboJpegDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboJpegHandle = std::unique_ptr<void, TurboJpegDeleter>;

std::unexpected<ImageError> jpegFailure(tjhandle handle) {
    return failure("JPEG", tjGetErrorStr2(handle));  // without a handle, the last error of any
}

// What a premultiplied bitmap holds, and what shows of a transparent picture over black.
Bitmap overBlack(const Bitmap& bitmap) {
    Bitmap flat = bitmap;
    for (std::size_t i = 0; i < flat.pixels.size(); i += 4) {
        const unsigned alpha = flat.pixels[i + 3];
        for (std::size_t c = 0; c < 3; ++c) {
            flat.pixels[i + c] = static_cast<std::uint8_t>((flat.pixels[i + c] * alpha + 127) / 255);
        }
        flat.pixels[i + 3] = 255;
    }
    return flat;
}

}  // namespace

std::expected<std::vector<std::uint8_t>, ImageError> encodePNG(const Bitmap& bitmap) {
    if (auto error = bitmapError("PNG", bitmap)) return std::unexpected(*error);
    SpngContext context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) return failure("PNG", "out of memory");
    spng_ihdr header{.width = static_cast<std::uint32_t>(bitmap.width),
                     .height = static_cast<std::uint32_t>(bitmap.height),
                     .bit_depth = 8,
                     .color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA};
    // Icons and thumbnails are small: zlib's default level with every row filter tried gives the
    // smallest files of the quick settings.
    spng_set_option(context.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(context.get(), SPNG_IMG_COMPRESSION_LEVEL, kPNGCompressionLevel);
    spng_set_option(context.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_ALL);
    if (const int error = spng_set_ihdr(context.get(), &header)) return pngFailure(error);
    if (const int error = spng_encode_image(context.get(), bitmap.pixels.data(), bitmap.pixels.size(), SPNG_FMT_PNG,
                                            SPNG_ENCODE_FINALIZE)) {
        return pngFailure(error);
    }
    std::size_t size = 0;
    int error = 0;
    std::unique_ptr<void, decltype(&std::free)> png(spng_get_png_buffer(context.get(), &size, &error), &std::free);
    if (!png) return pngFailure(error);
    const auto* bytes = static_cast<const std::uint8_t*>(png.get());
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::expected<Bitmap, ImageError> decodePNG(std::span<const std::uint8_t> bytes) {
    SpngContext context(spng_ctx_new(0));
    if (!context) return failure("PNG", "out of memory");
    if (const int error = spng_set_png_buffer(context.get(), bytes.data(), bytes.size())) return pngFailure(error);
    spng_ihdr header{};
    if (const int error = spng_get_ihdr(context.get(), &header)) return pngFailure(error);
    if (auto error = sizeError("PNG", header.width, header.height)) return std::unexpected(*error);
    Bitmap bitmap(static_cast<int>(header.width), static_cast<int>(header.height));
    if (const int error = spng_decode_image(context.get(), bitmap.pixels.data(), bitmap.pixels.size(),
                                            SPNG_FMT_RGBA8, SPNG_DECODE_TRNS)) {
        return pngFailure(error);
    }
    // The chunks after the pixels are read too, so that a file cut short is refused.
    if (const int error = spng_decode_chunks(context.get())) return pngFailure(error);
    return bitmap;
}

std::expected<std::vector<std::uint8_t>, ImageError> encodeJPEG(const Bitmap& bitmap, int quality) {
    if (auto error = bitmapError("JPEG", bitmap)) return std::unexpected(*error);
    if (quality < 1 || quality > 100) {
        return failure("JPEG", "quality " + std::to_string(quality) + " outside 1 to 100");
    }
    TurboJpegHandle handle(tjInitCompress());
    if (!handle) return jpegFailure(nullptr);
    Bitmap flat;
    const Bitmap* source = &bitmap;
    if (!bitmap.isOpaque()) {
        flat = overBlack(bitmap);
        source = &flat;
    }

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(handle.get(), source->pixels.data(), source->width, 0, source->height,
                                   TJPF_RGBA, &buffer, &size, TJSAMP_420, quality, 0);
    std::unique_ptr<unsigned char, decltype(&tjFree)> owned(buffer, &tjFree);
    if (result != 0) return jpegFailure(handle.get());
    return std::vector<std::uint8_t>(buffer, buffer + size);
}

std::expected<Bitmap, ImageError> decodeJPEG(std::span<const std::uint8_t> bytes) {
    TurboJpegHandle handle(tjInitDecompress());
    if (!handle) return jpegFailure(nullptr);
    if (bytes.empty()) return failure("JPEG", "no data");
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                            &colourspace) != 0) {
        return jpegFailure(handle.get());
    }
    if (auto error = sizeError("JPEG", width, height)) return std::unexpected(*error);
    Bitmap bitmap(width, height);
    // Scans are limited because a progressive file can otherwise make the decoder work for minutes.
    if (tjDecompress2(handle.get(), bytes.data(), bytes.size(), bitmap.pixels.data(), width, 0, height,
                      TJPF_RGBA, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        return jpegFailure(handle.get());
    }
    return bitmap;
}

std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF};
    const auto startsWith = [&](std::span<const std::uint8_t> magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (startsWith(png)) return ImageFormat::png;
    if (startsWith(jpeg)) return ImageFormat::jpeg;
    return std::nullopt;
}

std::expected<Bitmap, ImageError> decodeImage(std::span<const std::uint8_t> bytes) {
    const auto format = sniffImageFormat(bytes);
    if (!format) return std::unexpected(ImageError{"not a PNG or JPEG picture"});
    return *format == ImageFormat::png ? decodePNG(bytes) : decodeJPEG(bytes);
}

std::expected<Bitmap, ImageError> loadImage(const std::filesystem::path& path) {
    const auto contents = readFileContents(path, kMaxImageFileBytes);
    if (!contents) return std::unexpected(ImageError{contents.error().message});
    const auto* data = reinterpret_cast<const std::uint8_t*>(contents->data());
    auto bitmap = decodeImage(std::span(data, contents->size()));
    if (!bitmap) return std::unexpected(ImageError{path.string() + ": " + bitmap.error().message});
    return bitmap;
}

}  // namespace tavelin
