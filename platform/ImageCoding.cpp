#include "platform/ImageCoding.h"

#include <libdeflate.h>
#include <spng.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/FileContents.h"

namespace tavelin {
namespace {

// libdeflate's fastest level; see encodePNG.
constexpr int kPNGCompressionLevel = 1;
constexpr std::uint8_t kPNGSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;

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

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
using CompressorHandle = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

void putBigEndian32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void appendBigEndian32(std::vector<std::uint8_t>& png, std::uint32_t value) {
    png.resize(png.size() + 4);
    putBigEndian32(png.data() + png.size() - 4, value);
}

// Length, type, data and the CRC-32 of type and data.
void appendChunk(std::vector<std::uint8_t>& png, const char (&type)[5], std::span<const std::uint8_t> data) {
    appendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    appendBigEndian32(png, libdeflate_crc32(0, png.data() + typeAt, png.size() - typeAt));
}

// The rows as PNG stores them into `out`, (rowBytes + 1) * height bytes, each after its filter byte:
// the first as it is, every other one as its difference from the row above ("up"), which costs one
// subtraction a byte and suits pictures that change little from row to row, as icons and drawings do.
void filterRowsUp(const Bitmap& bitmap, std::uint8_t* out) {
    using Lanes = std::uint8_t __attribute__((vector_size(16)));
    const std::size_t rowBytes = bitmap.rowBytes();
    const std::uint8_t* above = nullptr;
    for (int y = 0; y < bitmap.height; ++y, out += rowBytes + 1) {
        const std::uint8_t* row = bitmap.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        if (!above) {
            out[0] = kFilterNone;
            std::memcpy(out + 1, row, rowBytes);
        } else {
            out[0] = kFilterUp;
            std::size_t i = 0;
            for (; i + sizeof(Lanes) <= rowBytes; i += sizeof(Lanes)) {
                Lanes current, previous;
                std::memcpy(&current, row + i, sizeof current);
                std::memcpy(&previous, above + i, sizeof previous);
                current -= previous;
                std::memcpy(out + 1 + i, &current, sizeof current);
            }
            for (; i < rowBytes; ++i) out[1 + i] = static_cast<std::uint8_t>(row[i] - above[i]);
        }
        above = row;
    }
}

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
    CompressorHandle compressor(libdeflate_alloc_compressor(kPNGCompressionLevel));
    if (!compressor) return failure("PNG", "out of memory");
    // Measured on one pinned core with the benchmark's 128-pixel icon: every row filtered "up" and
    // compressed at libdeflate's fastest level encodes in about 1.1 times the time the picture takes to
    // decode. libspng's defaults (zlib's default level, the best filter tried for every row) write a
    // file a fifth smaller in about 20 times the decode; libspng at zlib's level 1 with the "up" filter
    // takes about 2.1 times the decode and writes a file a tenth larger than this one.

    // Every byte of both buffers is written before it is read, so neither is cleared first.
    const std::size_t rowsSize = (bitmap.rowBytes() + 1) * static_cast<std::size_t>(bitmap.height);
    const auto rows = std::make_unique_for_overwrite<std::uint8_t[]>(rowsSize);
    filterRowsUp(bitmap, rows.get());
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), rowsSize);
    const auto zlib = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    const std::size_t compressed =
        libdeflate_zlib_compress(compressor.get(), rows.get(), rowsSize, zlib.get(), bound);
    if (compressed == 0) return failure("PNG", "compression failed");

    std::vector<std::uint8_t> png(kPNGSignature, kPNGSignature + sizeof kPNGSignature);
    std::uint8_t header[13] = {};
    // Each chunk takes 12 bytes besides its data: length, type and CRC.
    png.reserve(png.size() + 12 + sizeof header + 12 + compressed + 12);
    putBigEndian32(header, static_cast<std::uint32_t>(bitmap.width));
    putBigEndian32(header + 4, static_cast<std::uint32_t>(bitmap.height));
    header[8] = 8;  // bits per sample
    header[9] = 6;  // red, green, blue and alpha; compression, filtering and interlace methods stay 0
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", std::span(zlib.get(), compressed));
    appendChunk(png, "IEND", {});
    return png;
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
    static constexpr std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF};
    const auto startsWith = [&](std::span<const std::uint8_t> magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (startsWith(kPNGSignature)) return ImageFormat::png;
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
