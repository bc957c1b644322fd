// Window thumbnails: a request answered from the cache against a bare Base64 encode of its JPEG, and a
// request that captures a 2880 x 1800 window against a bare TurboJPEG encode of the captured bitmap at
// quality 72. The service's own work on a miss (captured image to cache entry) is the miss less the
// parts it does not own: the window server's capture and the Base64 text of its answer.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <turbojpeg.h>

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "mac/windows/WindowThumbnailService.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/sim/tests/TwoScreenDesktop.h"
#include "platform/tests/NoiseBitmap.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/Base64.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

Task<void> ask(std::shared_ptr<WindowThumbnailService> service, WindowID windowID, std::int64_t revision,
               std::optional<WindowThumbnailData>& answer) {
    answer = co_await service->thumbnail(std::move(windowID), revision, std::nullopt, true);
}

// For the miss, a picture of a window's kind: flat panels, rows of dark strokes like text, and a noisy
// photo.
Bitmap documentWindow(int width, int height) {
    std::mt19937 random(11);
    Bitmap bitmap(width, height, Rgba{246, 246, 246, 255});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x < width / 5) {
                bitmap.setPixel(x, y, Rgba{228, 230, 235, 255});  // the sidebar
            } else if (y > height / 2 && x > width / 2) {
                const auto v = static_cast<std::uint8_t>(random());
                bitmap.setPixel(x, y, Rgba{v, static_cast<std::uint8_t>(v / 2), 90, 255});  // a photo
            } else if (y % 36 < 22 && random() % 3 == 0) {
                bitmap.setPixel(x, y, Rgba{30, 30, 30, 255});  // a line of text
            }
        }
    }
    return bitmap;
}

class ThumbnailWorld {
  public:
    // One window of `points` at two pixels per point showing `picture`.
    ThumbnailWorld(Rect points, Bitmap picture) {
        // Freed pictures stay in the heap: otherwise the C library gives the 20 MB bitmaps back to the
        // system after each capture, and every miss pays for fresh zeroed pages, which measures the
        // allocator's trimming rather than the service.
        mallopt(M_MMAP_THRESHOLD, 256 << 20);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mac = std::make_unique<sim::SimMac>(*decodeJSON<sim::Desktop>(sim::kTwoScreenDesktop), home.path(),
                                            scheduler, systemLog);
        mac->privacy().setScreenCaptureAccess(true);
        for (const auto& state : mac->windowWorld().windows()) {
            if (state.window.name == "Front") number = state.window.number;
        }
        auto window = *mac->windowWorld().window(number);
        window.bounds = points;
        window.content = sim::pictureContent(std::move(picture));
        mac->windowWorld().setWindow(number, window);
        service = std::make_shared<WindowThumbnailService>(WindowThumbnailService::Platform{
            mac->windowServer(), mac->screenCapture(), mac->host(), scheduler});
    }

    std::optional<WindowThumbnailData> request(std::int64_t revision) {
        std::optional<WindowThumbnailData> answer;
        startTask(scheduler.main(), ask(service, WindowID(std::to_string(number)), revision, answer));
        scheduler.runUntilIdle();
        return answer;
    }
    std::optional<Bitmap> capture() {
        return mac->windowServer().createWindowImage(
            std::nullopt, WindowListOption::includingWindow, number,
            WindowImageOption::boundsIgnoreFraming | WindowImageOption::bestResolution);
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog systemLog;
    std::unique_ptr<sim::SimMac> mac;
    std::uint32_t number = 0;
    std::shared_ptr<WindowThumbnailService> service;
};

// Noise at quality 72 takes about 0.58 bytes a pixel: 1560 x 1170 pixels make about 1 MB of JPEG.
const Rect kHitWindow{100, 100, 780, 585};
Bitmap hitPicture() { return noiseBitmap(1560, 1170); }
const Rect kMissWindow{0, 0, 1440, 900};

void BM_ThumbnailCacheHit(benchmark::State& state) {
    ThumbnailWorld world(kHitWindow, hitPicture());
    const auto first = world.request(1);
    if (!first || first->jpegBase64.empty()) state.SkipWithError("no picture");
    state.counters["jpegBytes"] = first ? static_cast<double>(base64Decode(first->jpegBase64)->data.size()) : 0;
    for (auto _ : state) benchmark::DoNotOptimize(world.request(1));
    if (world.mac->windowServer().imageRequests().size() != 1) state.SkipWithError("a hit captured");
}
BENCHMARK(BM_ThumbnailCacheHit)->Unit(benchmark::kMicrosecond);

void BM_Base64EncodeOfTheHitsJPEG(benchmark::State& state) {
    ThumbnailWorld world(kHitWindow, hitPicture());
    const auto jpeg = base64Decode(world.request(1)->jpegBase64)->data;
    state.counters["jpegBytes"] = static_cast<double>(jpeg.size());
    for (auto _ : state) benchmark::DoNotOptimize(base64Encode(jpeg.data(), jpeg.size()));
}
BENCHMARK(BM_Base64EncodeOfTheHitsJPEG)->Unit(benchmark::kMicrosecond);

void BM_ThumbnailMiss2880x1800(benchmark::State& state) {
    ThumbnailWorld world(kMissWindow, documentWindow(2880, 1800));
    std::int64_t revision = 0;
    const auto first = world.request(revision);
    if (!first || first->pixelWidth != 2880 || first->pixelHeight != 1800) state.SkipWithError("no 2880 x 1800 picture");
    for (auto _ : state) benchmark::DoNotOptimize(world.request(++revision));
}
BENCHMARK(BM_ThumbnailMiss2880x1800)->Unit(benchmark::kMillisecond);

void BM_WindowServerCapture2880x1800(benchmark::State& state) {
    ThumbnailWorld world(kMissWindow, documentWindow(2880, 1800));
    for (auto _ : state) benchmark::DoNotOptimize(world.capture());
}
BENCHMARK(BM_WindowServerCapture2880x1800)->Unit(benchmark::kMillisecond);

void BM_BareTurboJPEGEncode2880x1800(benchmark::State& state) {
    ThumbnailWorld world(kMissWindow, documentWindow(2880, 1800));
    const auto bitmap = *world.capture();
    tjhandle handle = tjInitCompress();
    for (auto _ : state) {
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        if (tjCompress2(handle, bitmap.pixels.data(), bitmap.width, 0, bitmap.height, TJPF_RGBA, &buffer, &size,
                        TJSAMP_420, WindowThumbnailService::kJPEGQuality, 0) != 0) {
            state.SkipWithError("the encode failed");
        }
        state.counters["jpegBytes"] = static_cast<double>(size);
        tjFree(buffer);
    }
    tjDestroy(handle);
}
BENCHMARK(BM_BareTurboJPEGEncode2880x1800)->Unit(benchmark::kMillisecond);

// The project's encoder, which the service calls: the bare encode and a check that the picture is opaque.
void BM_EncodeJPEG2880x1800(benchmark::State& state) {
    ThumbnailWorld world(kMissWindow, documentWindow(2880, 1800));
    const auto bitmap = *world.capture();
    for (auto _ : state) benchmark::DoNotOptimize(encodeJPEG(bitmap, WindowThumbnailService::kJPEGQuality));
}
BENCHMARK(BM_EncodeJPEG2880x1800)->Unit(benchmark::kMillisecond);

// What a miss spends on its answer rather than on its cache entry.
void BM_Base64EncodeOfTheMissesJPEG(benchmark::State& state) {
    ThumbnailWorld world(kMissWindow, documentWindow(2880, 1800));
    const auto jpeg = base64Decode(world.request(0)->jpegBase64)->data;
    for (auto _ : state) benchmark::DoNotOptimize(base64Encode(jpeg.data(), jpeg.size()));
}
BENCHMARK(BM_Base64EncodeOfTheMissesJPEG)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
