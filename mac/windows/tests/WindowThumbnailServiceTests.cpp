#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "mac/windows/WindowThumbnailService.h"
#include "mac/windows/tests/WindowTestWorld.h"
#include "platform/ImageCoding.h"
#include "platform/LocalizedStrings.h"
#include "platform/tests/NoiseBitmap.h"
#include "protocol/Base64.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using Data = WindowThumbnailData;

class WindowThumbnailServiceTest : public ::testing::Test, protected WindowTestWorld {
  protected:
    explicit WindowThumbnailServiceTest(std::string systemVersion = "Version 14.5 (Build 23F79)")
        : WindowTestWorld(
              [&](sim::Desktop& desktop) { desktop.host.systemVersion = std::move(systemVersion); }) {}

    WindowID id(std::string_view title) { return WindowID(std::to_string(number(title))); }

    // Each started together; the answers once every capture has ended.
    std::vector<Data> request(std::vector<std::pair<WindowID, std::int64_t>> asks, bool granted = true) {
        std::vector<std::optional<Data>> answers(asks.size());
        for (std::size_t i = 0; i < asks.size(); ++i) {
            startTask(
                scheduler.main(),
                into(service->thumbnail(asks[i].first, asks[i].second, std::nullopt, granted), answers[i]));
        }
        scheduler.advance(1s);
        std::vector<Data> result;
        for (auto& answer : answers) {
            EXPECT_TRUE(answer.has_value());
            result.push_back(answer.value_or(Data{}));
        }
        return result;
    }
    Data request(const WindowID& windowID, std::int64_t revision, bool granted = true) {
        return request({{windowID, revision}}, granted).front();
    }
    std::size_t windowServerCaptures() const { return mac->windowServer().imageRequests().size(); }

    static void expectUnavailable(const Data& data, std::string_view reasonKey) {
        EXPECT_EQ(data.token, "");
        EXPECT_EQ(data.jpegBase64, "");
        EXPECT_EQ(data.pixelWidth, 0);
        EXPECT_EQ(data.pixelHeight, 0);
        EXPECT_EQ(data.unavailableReason, std::string(localizedString(reasonKey)));
    }
    static Bitmap decoded(const Data& data) {
        const auto bytes = base64Decode(data.jpegBase64);
        EXPECT_TRUE(bytes.has_value());
        auto bitmap = decodeJPEG(bytes ? std::span<const std::uint8_t>(bytes->data) : std::span<const std::uint8_t>());
        EXPECT_TRUE(bitmap.has_value());
        return bitmap.value_or(Bitmap{});
    }

    std::shared_ptr<WindowThumbnailService> service = std::make_shared<WindowThumbnailService>(
        WindowThumbnailService::Platform{mac->windowServer(), mac->screenCapture(), mac->host(), scheduler});
};

class WindowThumbnailBeforeVersion14Test : public WindowThumbnailServiceTest {
  protected:
    WindowThumbnailBeforeVersion14Test() : WindowThumbnailServiceTest("Version 13.6 (Build 22G120)") {}
};

TEST_F(WindowThumbnailServiceTest, RequestsTogetherShareOneCaptureAndALaterOneIsAHit) {
    const auto front = id("Front");  // 800 x 600 points on a display of two pixels per point
    // The second asks without the permission: the capture under way is waited for all the same.
    std::vector<std::optional<Data>> together(2);
    startTask(scheduler.main(), into(service->thumbnail(front, -42, std::nullopt, true), together[0]));
    startTask(scheduler.main(), into(service->thumbnail(front, -42, std::nullopt, false), together[1]));
    scheduler.advance(1s);
    ASSERT_TRUE(together[0] && together[1]);
    const std::vector<Data> answers{*together[0], *together[1]};
    EXPECT_EQ(windowServerCaptures(), 1u);
    EXPECT_EQ(mac->windowServer().imageRequests().front().imageOption,
              WindowImageOption::boundsIgnoreFraming | WindowImageOption::bestResolution);
    EXPECT_EQ(answers[0], answers[1]);
    EXPECT_EQ(answers[0].token, "w:" + front.rawValue() + ":-42");
    EXPECT_EQ(answers[0].pixelWidth, 1600);
    EXPECT_EQ(answers[0].pixelHeight, 1200);
    EXPECT_EQ(answers[0].unavailableReason, std::nullopt);
    const auto picture = decoded(answers[0]);
    EXPECT_EQ(picture.width, 1600);
    EXPECT_EQ(picture.height, 1200);

    // A known token, matching or not, changes nothing; a hit captures nothing.
    std::optional<Data> withToken;
    startTask(scheduler.main(), into(service->thumbnail(front, -42, "t:1|2", false), withToken));
    scheduler.advance(1s);
    EXPECT_EQ(withToken, answers[0]);
    EXPECT_EQ(windowServerCaptures(), 1u);
    EXPECT_EQ(service->capturesInFlight(), 0u);

    // Another revision is another picture; the first stays.
    EXPECT_EQ(request(front, 7).token, "w:" + front.rawValue() + ":7");
    EXPECT_EQ(windowServerCaptures(), 2u);
    EXPECT_EQ(service->cachedThumbnailCount(), 2u);
}

TEST_F(WindowThumbnailServiceTest, WithoutScreenRecordingOnlyKeptPicturesAreAnswered) {
    expectUnavailable(request(id("Notes"), 1, false), "window.thumbnail.needScreenRecording");
    EXPECT_EQ(windowServerCaptures(), 0u);
    EXPECT_EQ(service->cachedThumbnailCount(), 0u);

    const auto captured = request(id("Front"), 1);
    EXPECT_EQ(request(id("Front"), 1, false), captured);
    EXPECT_EQ(windowServerCaptures(), 1u);
}

TEST_F(WindowThumbnailServiceTest, AWindowWithoutANumberIsUnavailableAtOnce) {
    expectUnavailable(request(WindowID("0F8C6D1B-3A77-4C5E-9E2B-1D2A3B4C5D6E"), 1), "window.thumbnail.unavailable");
    EXPECT_EQ(windowServerCaptures(), 0u);
    EXPECT_EQ(mac->screenCapture().shareableContentRequests(), 0);
}

TEST_F(WindowThumbnailServiceTest, TheScreenCaptureFrameworkTakesOverFromVersion14WithEachSideClamped) {
    mac->windowServer().setImageOptionFails(WindowImageOption::bestResolution, true);
    mac->windowWorld().setBounds(number("Front"), Rect{100, 100, 479.9, 400.2});
    const auto answer = request(id("Front"), 3);
    ASSERT_EQ(mac->screenCapture().screenshotRequests().size(), 1u);
    const auto& asked = mac->screenCapture().screenshotRequests().front();
    EXPECT_EQ(asked.width, 479);
    EXPECT_EQ(asked.height, 360);
    EXPECT_FALSE(asked.showsCursor);
    const auto picture = decoded(answer);
    EXPECT_EQ(picture.width, answer.pixelWidth);
    EXPECT_EQ(picture.height, answer.pixelHeight);
    EXPECT_LE(answer.pixelWidth, 480);
    EXPECT_LE(answer.pixelHeight, 360);
    const auto bytes = base64Decode(answer.jpegBase64);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(answer.token, "t:" + id("Front").rawValue() + "|" + std::to_string(bytes->data.size()));
}

TEST_F(WindowThumbnailBeforeVersion14Test, AFailedWindowServerCaptureIsUnavailableForEveryWaiter) {
    mac->windowServer().setImageOptionFails(WindowImageOption::bestResolution, true);
    const auto answers = request({{id("Front"), 1}, {id("Front"), 1}});
    expectUnavailable(answers[0], "window.thumbnail.unavailable");
    expectUnavailable(answers[1], "window.thumbnail.unavailable");
    EXPECT_EQ(windowServerCaptures(), 1u);
    EXPECT_EQ(mac->screenCapture().shareableContentRequests(), 0);

    // Nothing was kept: the next request tries again, and succeeds once the window server can.
    mac->windowServer().setImageOptionFails(WindowImageOption::bestResolution, false);
    EXPECT_EQ(request(id("Front"), 1).pixelWidth, 1600);
    EXPECT_EQ(windowServerCaptures(), 2u);

    // A picture one pixel wide is none.
    mac->windowWorld().setBounds(number("Front"), Rect{100, 100, 0.5, 600});
    expectUnavailable(request(id("Front"), 2), "window.thumbnail.unavailable");
}

TEST_F(WindowThumbnailServiceTest, AFrameworkFailureIsUnavailable) {
    mac->windowServer().setImageOptionFails(WindowImageOption::bestResolution, true);
    mac->screenCapture().setScreenshotError("stopped");
    expectUnavailable(request(id("Front"), 1), "window.thumbnail.unavailable");
    EXPECT_EQ(service->cachedThumbnailCount(), 0u);
}

TEST_F(WindowThumbnailServiceTest, KeptPicturesStayWithinTheirBoundLeastRecentlyAnsweredGoingFirst) {
    editWindow("Front", [](sim::SimWindow& window) {
        window.bounds = Rect{0, 0, 1440, 900};  // 2880 x 1800 pixels, as drawn
        window.content = sim::pictureContent(noiseBitmap(2880, 1800));
    });
    const auto front = id("Front");

    // Fill the cache to just below its bound, asking for revision 0 again after each new one.
    const std::size_t pictureBytes = base64Decode(request(front, 0).jpegBase64)->data.size();
    ASSERT_GT(pictureBytes, 1000000u);
    const auto fitting = static_cast<std::int64_t>(WindowThumbnailService::kMaxCachedJPEGBytes / pictureBytes);
    for (std::int64_t revision = 1; revision < fitting; ++revision) {
        request(front, revision);
        request(front, 0);
    }
    EXPECT_EQ(service->cachedThumbnailCount(), static_cast<std::size_t>(fitting));
    const auto capturesBelowBound = windowServerCaptures();
    EXPECT_EQ(capturesBelowBound, static_cast<std::size_t>(fitting));

    // One more goes past it: revision 1, the least recently answered, goes; revision 0 stays.
    request(front, fitting);
    EXPECT_LE(service->cachedJPEGBytes(), WindowThumbnailService::kMaxCachedJPEGBytes);
    EXPECT_EQ(service->cachedThumbnailCount(), static_cast<std::size_t>(fitting));
    request(front, 0);
    EXPECT_EQ(windowServerCaptures(), capturesBelowBound + 1);
    EXPECT_EQ(request(front, 1).token, "w:" + front.rawValue() + ":1");
    EXPECT_EQ(windowServerCaptures(), capturesBelowBound + 2);
}

}  // namespace
}  // namespace tavelin
