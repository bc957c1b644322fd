// Picture work of the icon service and the desktop-picture service: rendering an icon at 128, the
// icon cache's miss (decode a large icon, draw it at 128, encode), and the desktop picture's JPEG.
// The pictures are drawn here: a round icon with a soft edge and a little grain, and a photograph-like
// gradient, so that the coders see neither flat colour nor pure noise.

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>
#include <spng.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdint>

#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"

namespace tavelin {
namespace {

std::uint8_t grain(int x, int y) { return static_cast<std::uint8_t>((x * 7919 + y * 104729) % 7); }

Bitmap iconArtwork(int side) {
    Bitmap bitmap(side, side);
    const double centre = side / 2.0, radius = side * 0.45;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            const double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
            if (coverage == 0) continue;
            bitmap.setPixel(x, y,
                            Rgba{static_cast<std::uint8_t>(40 + 180 * x / side + grain(x, y)),
                                 static_cast<std::uint8_t>(90 + 120 * y / side + grain(y, x)),
                                 static_cast<std::uint8_t>(220 - 100 * distance / radius),
                                 static_cast<std::uint8_t>(255 * coverage)});
        }
    }
    return bitmap;
}

Bitmap photograph(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double wave = std::sin(x * 0.01) * std::cos(y * 0.013);
            bitmap.setPixel(x, y,
                            Rgba{static_cast<std::uint8_t>(60 + 120 * y / height + grain(x, y)),
                                 static_cast<std::uint8_t>(110 + 60 * wave + grain(y, x)),
                                 static_cast<std::uint8_t>(160 + 80 * x / width), 255});
        }
    }
    return bitmap;
}

void BM_EncodeIconPNG128(benchmark::State& state) {
    const Bitmap icon = drawnInSquare(iconArtwork(512), 128);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = encodePNG(icon);
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["pngBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeIconPNG128)->Unit(benchmark::kMicrosecond);

// The same picture decoded from the PNG the encoder made, as a panel cell decodes its icon.
void BM_DecodeIconPNG128(benchmark::State& state) {
    const auto png = encodePNG(drawnInSquare(iconArtwork(512), 128));
    for (auto _ : state) {
        auto bitmap = decodePNG(*png);
        benchmark::DoNotOptimize(bitmap);
    }
    state.counters["pngBytes"] = static_cast<double>(png->size());
}
BENCHMARK(BM_DecodeIconPNG128)->Unit(benchmark::kMicrosecond);

// The icon cache's miss for an application whose icon file is 1024 pixels, and beside it the same work
// written straight on the libraries (the floor): decode, premultiply, halve three times, unpremultiply,
// filter and compress as the encoder does.
void BM_IconCacheMiss1024To128(benchmark::State& state) {
    const auto file = encodePNG(iconArtwork(1024));
    for (auto _ : state) {
        auto bitmap = decodePNG(*file);
        auto png = encodePNG(drawnInSquare(*bitmap, 128));
        benchmark::DoNotOptimize(png);
    }
    state.counters["fileBytes"] = static_cast<double>(file->size());
}
BENCHMARK(BM_IconCacheMiss1024To128)->Unit(benchmark::kMillisecond);

std::vector<std::uint8_t> bareIconMiss(const std::vector<std::uint8_t>& file) {
    spng_ctx* decoder = spng_ctx_new(0);
    spng_set_png_buffer(decoder, file.data(), file.size());
    spng_ihdr header{};
    spng_get_ihdr(decoder, &header);
    const int side = static_cast<int>(header.width);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * 4);
    spng_decode_image(decoder, pixels.data(), pixels.size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    spng_decode_chunks(decoder);
    spng_ctx_free(decoder);

    libyuv::ARGBAttenuate(pixels.data(), side * 4, pixels.data(), side * 4, side, side);
    std::vector<std::uint8_t> half(pixels.size() / 4);
    for (int from = side; from > 128; from /= 2) {
        libyuv::ARGBScale(pixels.data(), from * 4, from, from, half.data(), from * 2, from / 2, from / 2,
                          libyuv::kFilterBox);
        std::swap(pixels, half);
    }
    libyuv::ARGBUnattenuate(pixels.data(), 128 * 4, pixels.data(), 128 * 4, 128, 128);

    // The rows filtered "up" behind their filter bytes, compressed in one call.
    const std::size_t row = 128 * 4;
    std::vector<std::uint8_t> rows((row + 1) * 128);
    for (std::size_t y = 0; y < 128; ++y) {
        rows[y * (row + 1)] = y == 0 ? 0 : 2;
        for (std::size_t i = 0; i < row; ++i)
            rows[y * (row + 1) + 1 + i] =
                static_cast<std::uint8_t>(pixels[y * row + i] - (y ? pixels[(y - 1) * row + i] : 0));
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
    std::vector<std::uint8_t> result(libdeflate_zlib_compress_bound(compressor, rows.size()));
    result.resize(
        libdeflate_zlib_compress(compressor, rows.data(), rows.size(), result.data(), result.size()));
    libdeflate_free_compressor(compressor);
    return result;
}

void BM_IconCacheMiss1024To128Bare(benchmark::State& state) {
    const auto file = encodePNG(iconArtwork(1024));
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = bareIconMiss(*file);
        bytes = png.size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["pngBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_IconCacheMiss1024To128Bare)->Unit(benchmark::kMillisecond);

// The desktop picture at 1280 on its long edge, compressed at 0.85; beside it the same on the libraries
// (halve with the box filter, compress), and the compression of a 1280 by 800 picture alone.
void BM_WallpaperJPEG2560To1280(benchmark::State& state) {
    const Bitmap picture = photograph(2560, 1600);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto jpeg = encodeJPEG(scaled(picture, 1280, 800), 85);
        bytes = jpeg->size();
        benchmark::DoNotOptimize(jpeg);
    }
    state.counters["jpegBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WallpaperJPEG2560To1280)->Unit(benchmark::kMillisecond);

std::size_t bareJPEG(tjhandle handle, const std::uint8_t* pixels, int width, int height) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, pixels, width, 0, height, TJPF_RGBA, &buffer, &size, TJSAMP_420, 85, 0);
    tjFree(buffer);
    return size;
}

void BM_WallpaperJPEG2560To1280Bare(benchmark::State& state) {
    const Bitmap picture = photograph(2560, 1600);
    tjhandle handle = tjInitCompress();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> half(static_cast<std::size_t>(1280) * 800 * 4);
        libyuv::ARGBScale(picture.pixels.data(), 2560 * 4, 2560, 1600, half.data(), 1280 * 4, 1280, 800,
                          libyuv::kFilterBox);
        bytes = bareJPEG(handle, half.data(), 1280, 800);
    }
    tjDestroy(handle);
    state.counters["jpegBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WallpaperJPEG2560To1280Bare)->Unit(benchmark::kMillisecond);

void BM_WallpaperJPEG1280EncodeOnlyBare(benchmark::State& state) {
    const Bitmap picture = scaled(photograph(2560, 1600), 1280, 800);
    tjhandle handle = tjInitCompress();
    std::size_t bytes = 0;
    for (auto _ : state) bytes = bareJPEG(handle, picture.pixels.data(), 1280, 800);
    tjDestroy(handle);
    state.counters["jpegBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WallpaperJPEG1280EncodeOnlyBare)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
