#include "mac/core/WallpaperService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>

#include "mac/core/WallpaperImaging.h"
#include "mac/core/WallpaperTokens.h"
#include "mac/core/tests/WallpaperPictures.h"
#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/Sha256.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using test_pictures::forest;
using test_pictures::nightSky;
using test_pictures::sunset;

// The screens as the service sees them, noting whether each question came on the main queue.
class MainQueueScreens final : public Screens {
  public:
    MainQueueScreens(Screens& screens, Queue& mainQueue) : screens_(screens), mainQueue_(mainQueue) {}

    std::vector<Screen> screens() const override { return note(screens_.screens()); }
    std::optional<Screen> mainScreen() const override { return note(screens_.mainScreen()); }
    Point mouseLocation() const override { return note(screens_.mouseLocation()); }

    mutable int calls = 0;
    mutable int callsOffMain = 0;

  private:
    template <class T>
    T note(T answer) const {
        ++calls;
        if (!mainQueue_.isCurrent()) ++callsOffMain;
        return answer;
    }
    Screens& screens_;
    Queue& mainQueue_;
};

class WallpaperServiceTest : public ::testing::Test {
  protected:
    // Two displays side by side, 320 by 200 points each: "Left" (ID 1, the main one) with the mouse on
    // it, and "Right" (ID 2); system 14, no screen-recording permission, no desktop picture files.
    static sim::Desktop twoScreens() {
        sim::Desktop desktop;
        desktop.screens = {sim::DesktopScreen{"Left", Rect{0, 0, 320, 200}, 1, 1, true},
                           sim::DesktopScreen{"Right", Rect{320, 0, 320, 200}, 2}};
        desktop.mouseLocation = Point{100, 100};
        return desktop;
    }
    static constexpr std::string_view kLayout = "1|0,0,320x200;2|320,0,320x200";

    void start(sim::Desktop desktop = twoScreens()) {
        service_.reset();
        mac_ = std::make_unique<sim::SimMac>(std::move(desktop), home_.path(), scheduler_, log_);
    }
    // Starts with screen recording allowed and a wallpaper of "Left" that only a capture can give;
    // `edit` changes the two screens' desktop first.
    void startCapturing(const std::function<void(sim::Desktop&)>& edit = {}) {
        auto desktop = twoScreens();
        if (edit) edit(desktop);
        start(desktop);
        mac().privacy().setScreenCaptureAccess(true);
        displays().setWallpaperPicture(0, sunset());
    }
    static void system13(sim::Desktop& desktop) {
        desktop.host.systemVersion = "Version 13.6.7 (Build 22G720)";
    }
    sim::SimMac& mac() {
        if (!mac_) start();
        return *mac_;
    }
    sim::SimDisplays& displays() { return mac().displays(); }

    WallpaperService::Platform platform(Screens& screens) {
        return {screens,           displays(),     mac().windowServer(), mac().screenCapture(),
                mac().privacy(),   mac().host(),   mac().workspace().notificationCenter(),
                mac().notificationCenter()};
    }
    // Made once the world's own notifications so far are delivered.
    WallpaperService& service() {
        if (!service_) {
            scheduler_.runUntilIdle();
            service_ = WallpaperService::create(platform(displays()), scheduler_, log_);
        }
        return *service_;
    }

    // Writes the picture (PNG for a ".png" name, JPEG otherwise) at that path of the simulated Mac,
    // modified at `modified` seconds since 1970.
    std::filesystem::path writePicture(const std::string& macPath, const Bitmap& picture,
                                       std::int64_t modified = 1704067200) {
        const auto bytes = macPath.ends_with(".png") ? encodePNG(picture) : encodeJPEG(picture, 90);
        return writeFile(macPath, std::string(bytes->begin(), bytes->end()), modified);
    }
    std::filesystem::path writeFile(const std::string& macPath, const std::string& contents,
                                    std::int64_t modified = 1704067200) {
        const auto path = mac().diskPath(macPath);
        EXPECT_TRUE(writeFileAtomically(path, contents));
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(modified))));
        return path;
    }
    // The picture file of a screen, written and named.
    std::filesystem::path showFile(std::size_t screen, const std::string& macPath, const Bitmap& picture,
                                   std::int64_t modified = 1704067200) {
        auto path = writePicture(macPath, picture, modified);
        displays().setDesktopPicture(screen, macPath);
        return path;
    }
    std::string defaultDesktopBytes() { return *readFileContents(displays().defaultDesktopImageURL(), 1 << 24); }
    Bitmap defaultDesktop() {
        const auto bytes = defaultDesktopBytes();
        return *decodeImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }

    // The service's log lines since the last call.
    std::vector<std::string> newLines() {
        const auto all = log_.lines();
        std::vector<std::string> lines;
        for (std::size_t i = seenLines_; i < all.size(); ++i) {
            if (all[i].starts_with("Tavelin wallpaper:")) lines.push_back(all[i]);
        }
        seenLines_ = all.size();
        return lines;
    }
    std::string heldBytes() { return std::to_string(service().jpegData()->data.size()); }
    Bitmap heldPicture() { return *decodeJPEG(service().jpegData()->data); }
    std::string fileToken(const std::filesystem::path& path, std::string_view layout = kLayout) {
        return "file:" + std::string(layout) + ":" + path.string() + ":1704067200";
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::unique_ptr<sim::SimMac> mac_;
    std::shared_ptr<WallpaperService> service_;
    std::size_t seenLines_ = 0;
};

TEST_F(WallpaperServiceTest, TakesTheFileOfTheScreenUnderTheMouseThenOfTheMainScreen) {
    const auto left = showFile(0, "/Library/Desktop Pictures/Dunes.jpg", sunset(2000, 1250));
    const auto right = showFile(1, "/Library/Desktop Pictures/Forest.png", forest());
    displays().setMouseLocation(Point{400, 100});

    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(service().currentToken(), fileToken(right));
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: loaded file on 'Right' (" + heldBytes() +
                                                   " bytes)"});
    EXPECT_EQ(heldPicture().width, 320);

    // Off every screen the main one leads; its picture is brought down to 1280 on the long edge.
    displays().setMouseLocation(Point{-10, -10});
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(service().currentToken(), fileToken(left));
    EXPECT_EQ(heldPicture().width, 1280);
    EXPECT_EQ(heldPicture().height, 800);
    displays().setMainScreen(1);
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(service().currentToken(), fileToken(right));
}

TEST_F(WallpaperServiceTest, FilesNamedOrLookingLikeTheDefaultDesktopAreSkippedButFlatFilesAreTaken) {
    // Skipped by its name alone, whatever it shows.
    showFile(0, "/Users/Shared/Old/DefaultDesktop.heic", sunset());
    writeFile("/Users/Shared/Lake copy.jpg", defaultDesktopBytes());
    displays().setDesktopPicture(1, "/Users/Shared/Lake copy.jpg");
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: unavailable (retry in 120s)"});

    // A flat picture is the user's choice when it is a file; only captures are tested for flatness.
    const auto flat = showFile(1, "/Users/Shared/Red.jpg", Bitmap(320, 200, Rgba{150, 20, 20, 255}));
    scheduler_.runUntilIdle();
    EXPECT_EQ(service().currentToken(), fileToken(flat));
}

TEST_F(WallpaperServiceTest, ResemblanceIsAClearlySmallDistanceFromTheDefaultDesktopsAverage) {
    const auto lake = *tavelin::jpeg(defaultDesktop(), 1280);
    const auto night = *tavelin::jpeg(nightSky(), 1280);
    const auto distance = [&](const Bytes& jpeg) {
        const auto a = *averageRGB(jpeg), b = *averageRGB(lake);
        return std::hypot(a.red - b.red, a.green - b.green, a.blue - b.blue);
    };
    // Blue, like the lake, but nowhere near the limit.
    ASSERT_GT(distance(night), 3 * WallpaperService::kDefaultDesktopResemblanceDistance);
    EXPECT_TRUE(service().resemblesDefaultDesktopLake(lake));
    EXPECT_TRUE(service().resemblesDefaultDesktopLake(*tavelin::jpeg(defaultDesktop(), 200)));
    EXPECT_FALSE(service().resemblesDefaultDesktopLake(night));
    EXPECT_FALSE(service().resemblesDefaultDesktopLake(*tavelin::jpeg(sunset(), 1280)));

    // Without the reference picture nothing resembles it.
    std::filesystem::remove(displays().defaultDesktopImageURL());
    EXPECT_FALSE(service().resemblesDefaultDesktopLake(lake));
}

TEST_F(WallpaperServiceTest, CapturesTheWallpaperWindowWhenTheFileFails) {
    mac().privacy().setScreenCaptureAccess(true);
    displays().setDesktopPicture(0, "/System/Library/CoreServices/DefaultDesktop.heic");
    writeFile("/Users/Shared/Broken.jpg", "not a picture");
    displays().setDesktopPicture(1, "/Users/Shared/Broken.jpg");
    displays().setWallpaperPicture(0, sunset(640, 400));
    displays().setMouseLocation(Point{400, 100});

    // The right screen's file cannot be read, and its window shows black for it: the left screen's
    // window is taken.
    service().refreshIfDesktopChanged(true);
    const auto held = *service().jpegData();
    EXPECT_EQ(service().currentToken(),
              "capture:" + std::string(kLayout) + ":1:" + hexPrefix(sha256(held.data), 8));
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: captured window on 'Left' (" + heldBytes() +
                                                   " bytes)"});
    // The framework's picture, at the window's size in points; the window list was not needed.
    const auto& requests = mac().screenCapture().screenshotRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], (WindowScreenshotRequest{*displays().wallpaperWindow(0), 320, 200, true, false}));
    EXPECT_EQ(heldPicture().width, 320);
    EXPECT_TRUE(mac().windowServer().imageRequests().empty());
}

TEST_F(WallpaperServiceTest, WindowListIsUsedWhenTheFrameworkGivesNothingOrIsMissing) {
    startCapturing();
    mac().screenCapture().setShareableContentError("display stream failed");
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), (std::vector<std::string>{
                              "Tavelin wallpaper: ScreenCaptureKit wallpaper window failed display stream failed",
                              "Tavelin wallpaper: captured window on 'Left' (" + heldBytes() + " bytes)"}));
    const std::vector<sim::SimWindowServer::ImageRequest> best{{std::nullopt, WindowListOption::includingWindow,
                                                                *displays().wallpaperWindow(0),
                                                                WindowImageOption::bestResolution}};
    EXPECT_EQ(mac().windowServer().imageRequests(), best);

    // The window is gone from the framework's list: no window, no picture, on to the next screen.
    mac().screenCapture().setShareableContentError(std::nullopt);
    mac().windowServer().removeWindow(*displays().wallpaperWindow(0));
    displays().setWallpaperPicture(1, forest());
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), (std::vector<std::string>{
                              "Tavelin wallpaper: no Wallpaper SCWindow on display 1",
                              "Tavelin wallpaper: captured window on 'Right' (" + heldBytes() + " bytes)"}));
}

TEST_F(WallpaperServiceTest, BeforeSystem14AndWithoutADisplayIDOnlyTheWindowListCaptures) {
    startCapturing(system13);
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(mac().screenCapture().shareableContentRequests(), 0);
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: captured window on 'Left' (" + heldBytes() +
                                                   " bytes)"});

    startCapturing([](sim::Desktop& desktop) { desktop.screens[0].number.reset(); });
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(mac().screenCapture().shareableContentRequests(), 0);
    EXPECT_EQ(mac().windowServer().imageRequests().size(), 1u);
    EXPECT_TRUE(service().currentToken().starts_with("capture:Left|0,0,320x200;2|320,0,320x200:Left:"));
}

TEST_F(WallpaperServiceTest, WindowListTriesBestThenNominalResolutionOnce) {
    startCapturing(system13);
    displays().setWallpaperPicture(1, sunset());
    mac().windowServer().setImageOptionFails(WindowImageOption::bestResolution, true);
    service().refreshIfDesktopChanged(true);
    const auto left = *displays().wallpaperWindow(0), right = *displays().wallpaperWindow(1);
    using Request = sim::SimWindowServer::ImageRequest;
    const auto request = [](std::uint32_t window, WindowImageOption option) {
        return Request{std::nullopt, WindowListOption::includingWindow, window, option};
    };
    EXPECT_EQ(mac().windowServer().imageRequests(),
              (std::vector<Request>{request(left, WindowImageOption::bestResolution),
                                    request(left, WindowImageOption::nominalResolution)}));
    EXPECT_TRUE(service().currentToken().starts_with("capture:"));
    newLines();

    // Both fail on every screen: each screen's failure is logged once, then nothing is found.
    mac().windowServer().setImageOptionFails(WindowImageOption::nominalResolution, true);
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(mac().windowServer().imageRequests().size(), 6u);
    EXPECT_EQ(mac().windowServer().imageRequests().back(), request(right, WindowImageOption::nominalResolution));
    EXPECT_EQ(newLines(), (std::vector<std::string>{
                              "Tavelin wallpaper: legacy wallpaper window capture returned nil",
                              "Tavelin wallpaper: legacy wallpaper window capture returned nil",
                              "Tavelin wallpaper: refresh failed, keeping cached (" + heldBytes() + " bytes)"}));
}

TEST_F(WallpaperServiceTest, FlatOrDefaultLookingCapturesAreRefusedAndTheNextScreenTried) {
    mac().privacy().setScreenCaptureAccess(true);
    // A black window, then the default desktop: neither is taken, and neither is tried again through
    // the window list.
    displays().setWallpaperPicture(0, Bitmap(320, 200, Rgba{0, 0, 0, 255}));
    displays().setWallpaperPicture(1, defaultDesktop());
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(mac().screenCapture().screenshotRequests().size(), 2u);
    EXPECT_TRUE(mac().windowServer().imageRequests().empty());
    EXPECT_EQ(service().currentToken(), "empty:" + std::string(kLayout));

    // Green wins over the resemblance: the default desktop with a green meadow along its bottom
    // averages close to the default, yet it is taken.
    Bitmap meadow = defaultDesktop();
    for (int y = meadow.height * 88 / 100; y < meadow.height; ++y) {
        for (int x = 0; x < meadow.width; ++x) meadow.setPixel(x, y, Rgba{40, 170, 50, 255});
    }
    const auto meadowJPEG = *tavelin::jpeg(meadow, 1280), lake = *tavelin::jpeg(defaultDesktop(), 1280);
    const auto a = *averageRGB(meadowJPEG), b = *averageRGB(lake);
    ASSERT_LT(std::hypot(a.red - b.red, a.green - b.green, a.blue - b.blue),
              WallpaperService::kDefaultDesktopResemblanceDistance);
    ASSERT_TRUE(containsProminentGreenDesktop(meadowJPEG));
    displays().setWallpaperPicture(1, meadow);
    newLines();
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: captured window on 'Right' (" + heldBytes() +
                                                   " bytes)"});

    // A green window that is flat is still refused.
    displays().setWallpaperPicture(0, Bitmap(320, 200, Rgba{40, 170, 50, 255}));
    displays().setWallpaperPicture(1, Bitmap(320, 200, Rgba{40, 170, 50, 255}));
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: refresh failed, keeping cached (" +
                                                   heldBytes() + " bytes)"});
}

TEST_F(WallpaperServiceTest, FrameworkWaitEndsAfterThreeSecondsAndTheWindowListTakesOver) {
    startCapturing();
    mac().screenCapture().setResponseDelay(10s);
    service();
    const auto before = scheduler_.clock().uptime();
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(scheduler_.clock().uptime() - before, WallpaperWindowCapture::kScreenCaptureTimeout);
    EXPECT_EQ(newLines(), (std::vector<std::string>{
                              "Tavelin wallpaper: ScreenCaptureKit wallpaper window timed out after 3s",
                              "Tavelin wallpaper: captured window on 'Left' (" + heldBytes() + " bytes)"}));
    EXPECT_EQ(mac().windowServer().imageRequests().size(), 1u);

    // The late answer goes nowhere.
    const auto token = service().currentToken();
    scheduler_.advance(20s);
    EXPECT_TRUE(newLines().empty());
    EXPECT_TRUE(mac().screenCapture().screenshotRequests().empty());
    EXPECT_EQ(service().currentToken(), token);
}

TEST_F(WallpaperServiceTest, WithoutPermissionNothingIsCapturedAndTheTokenSaysEmpty) {
    displays().setWallpaperPicture(0, sunset());
    EXPECT_EQ(service().unavailablePayload(), (WallpaperData{"empty", "", {0, 0}}));
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(mac().screenCapture().shareableContentRequests(), 0);
    EXPECT_TRUE(mac().windowServer().imageRequests().empty());
    EXPECT_EQ(service().currentToken(), "empty:" + std::string(kLayout));
    EXPECT_FALSE(service().jpegData());
    EXPECT_EQ(service().unavailablePayload(), (WallpaperData{"empty:" + std::string(kLayout), "", {0, 0}}));
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: unavailable (retry in 120s)"});
}

TEST_F(WallpaperServiceTest, UnforcedRefreshesRunAtMostOncePer120Seconds) {
    showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    service().refreshIfDesktopChanged(false);
    EXPECT_EQ(newLines().size(), 1u);
    scheduler_.advance(119s);
    service().refreshIfDesktopChanged(false);
    EXPECT_TRUE(newLines().empty());
    scheduler_.advance(999ms);
    service().refreshIfDesktopChanged(false);
    EXPECT_TRUE(newLines().empty());
    scheduler_.advance(1ms);  // exactly 120 s after
    service().refreshIfDesktopChanged(false);
    EXPECT_EQ(newLines().size(), 1u);
    // Forced ones are not held back.
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines().size(), 1u);
}

TEST_F(WallpaperServiceTest, AFailureBacksOffUnforcedRefreshesAndPayloadRequestsFor120Seconds) {
    displays().setDesktopPicture(0, "/Users/Shared/Later.jpg");  // not there yet
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: unavailable (retry in 120s)"});
    writePicture("/Users/Shared/Later.jpg", sunset());

    scheduler_.advance(60s);
    service().refreshIfDesktopChanged(false);
    EXPECT_FALSE(service().jpegPayload(1280));
    EXPECT_TRUE(newLines().empty());

    scheduler_.advance(60s);
    const auto payload = service().jpegPayload(1280);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->token, service().currentToken());
    EXPECT_EQ(payload->jpegBase64, base64Encode(*service().jpegData()));
    EXPECT_EQ(payload->size, (CGSizeCodable{0, 0}));
}

TEST_F(WallpaperServiceTest, APictureScreenOrWakeChangeRefreshesAtOnceDespiteTheBackOff) {
    const std::vector<std::pair<std::string, std::function<void()>>> changes{
        {"picture", [&] { displays().setDesktopPicture(0, "/Users/Shared/Later.jpg"); }},
        {"screens", [&] { displays().setFrame(1, Rect{320, 100, 320, 200}); }},
        {"wake", [&] { displays().wake(); }},
    };
    for (const auto& [name, change] : changes) {
        start();
        std::filesystem::remove(mac().diskPath("/Users/Shared/Later.jpg"));
        displays().setDesktopPicture(0, "/Users/Shared/Later.jpg");
        service().refreshIfDesktopChanged(true);
        ASSERT_FALSE(service().jpegData()) << name;
        writePicture("/Users/Shared/Later.jpg", sunset());
        scheduler_.advance(1s);
        change();
        scheduler_.runUntilIdle();
        EXPECT_TRUE(service().currentToken().starts_with("file:")) << name;
    }
}

TEST_F(WallpaperServiceTest, TheArrangementOfTheScreensIsPartOfTheToken) {
    const auto file = showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(service().currentToken(), fileToken(file));
    displays().setFrame(1, Rect{320, 100, 320, 200});
    scheduler_.runUntilIdle();
    EXPECT_EQ(service().currentToken(), fileToken(file, "1|0,0,320x200;2|320,100,320x200"));
}

TEST_F(WallpaperServiceTest, AFailedRefreshKeepsTheHeldPictureAndItsToken) {
    const auto file = showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    service().refreshIfDesktopChanged(true);
    const auto token = service().currentToken();
    const auto picture = service().jpegData();
    newLines();

    std::filesystem::remove(file);
    displays().wake();
    scheduler_.runUntilIdle();
    EXPECT_EQ(newLines(), std::vector<std::string>{"Tavelin wallpaper: refresh failed, keeping cached (" +
                                                   heldBytes() + " bytes)"});
    EXPECT_EQ(service().currentToken(), token);
    EXPECT_EQ(service().jpegData(), picture);
}

TEST_F(WallpaperServiceTest, OnlyChangesAreAnnouncedUnlessForcedTokenFirst) {
    showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    std::vector<std::string> announced;
    const auto tokens = service().currentTokenPublisher().dropFirst().sink([&](const std::string& token) {
        announced.push_back("token " + token.substr(0, 5) + (service().jpegData() ? " after picture" : ""));
    });
    const auto pictures = service().jpegDataPublisher().dropFirst().sink(
        [&](const std::optional<Bytes>& jpeg) { announced.push_back(jpeg ? "picture" : "no picture"); });

    service().refreshIfDesktopChanged(false);
    EXPECT_EQ(announced, (std::vector<std::string>{"token file:", "picture"}));
    scheduler_.advance(120s);
    service().refreshIfDesktopChanged(false);  // same token, a picture both times
    EXPECT_EQ(announced.size(), 2u);
    service().refreshIfDesktopChanged(true);
    EXPECT_EQ(announced.size(), 4u);
    EXPECT_EQ(announced[2], "token file: after picture");
}

TEST_F(WallpaperServiceTest, FetchAnswersUnchangedOnlyForTheCurrentToken) {
    showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    // The first request finds nothing held: it refreshes, and sends the picture.
    const auto first = service().answerFetch(WallpaperFetch{});
    ASSERT_TRUE(std::holds_alternative<WallpaperData>(first));
    const auto& data = std::get<WallpaperData>(first);
    EXPECT_EQ(data.token, service().currentToken());
    EXPECT_EQ(base64Decode(data.jpegBase64), service().jpegData());
    EXPECT_EQ(data.size, (CGSizeCodable{0, 0}));

    EXPECT_TRUE(std::holds_alternative<EmptyPayload>(service().answerFetch(WallpaperFetch{data.token})));
    EXPECT_EQ(service().answerFetch(WallpaperFetch{"file:old"}), first);
    EXPECT_EQ(service().answerFetch(WallpaperFetch{""}), first);
}

TEST_F(WallpaperServiceTest, ASessionsRequestIsAnsweredOnTheMainQueueAndResumesOnTheSessionsQueue) {
    showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    scheduler_.runUntilIdle();
    MainQueueScreens screens(displays(), scheduler_.main());
    service_ = WallpaperService::create(platform(screens), scheduler_, log_);
    Queue& sessionQueue = scheduler_.serialQueue("session");

    // Two sessions ask at once while the periodic task starts.
    struct Outcome {
        std::optional<WallpaperFetchAnswer> answer;
        bool resumedOnSessionQueue = false;
    };
    Outcome outcomes[2];
    const auto ask = [](std::shared_ptr<WallpaperService> service, Queue& queue, Outcome& outcome) -> Task<void> {
        outcome.answer = co_await service->answerFetchFromSession(WallpaperFetch{}, queue);
        outcome.resumedOnSessionQueue = queue.isCurrent();
    };
    startTask(sessionQueue, ask(service_, sessionQueue, outcomes[0]));
    startTask(sessionQueue, ask(service_, sessionQueue, outcomes[1]));
    service_->startPeriodicRefresh();
    scheduler_.runUntilIdle();

    for (const auto& outcome : outcomes) {
        ASSERT_TRUE(outcome.answer);
        ASSERT_TRUE(std::holds_alternative<WallpaperData>(*outcome.answer));
        EXPECT_EQ(std::get<WallpaperData>(*outcome.answer).token, service_->currentToken());
        EXPECT_TRUE(outcome.resumedOnSessionQueue);
    }
    EXPECT_GT(screens.calls, 0);
    EXPECT_EQ(screens.callsOffMain, 0);
    // One refresh in all, by the first to reach the main queue; the others found the picture.
    EXPECT_EQ(newLines().size(), 1u);
}

TEST_F(WallpaperServiceTest, PeriodicTaskRefreshesEvery120SecondsUntilTheServiceGoes) {
    const auto file = showFile(0, "/Users/Shared/Dunes.jpg", sunset());
    service().refreshIfDesktopChanged(true);
    service().startPeriodicRefresh();
    scheduler_.runUntilIdle();
    EXPECT_EQ(newLines().size(), 1u);  // the first pass met the gate

    writePicture("/Users/Shared/Dunes.jpg", sunset(), 1704153600);  // the next day, without notice
    scheduler_.advance(119s);
    EXPECT_TRUE(service().currentToken().ends_with(":1704067200"));
    scheduler_.advance(1s);
    EXPECT_TRUE(service().currentToken().ends_with(":1704153600"));
    EXPECT_EQ(newLines().size(), 1u);

    service_.reset();
    scheduler_.advance(600s);
    EXPECT_TRUE(newLines().empty());
    EXPECT_EQ(scheduler_.pendingCount(), 0u);
}

}  // namespace
}  // namespace tavelin
