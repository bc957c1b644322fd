#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>

#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;

std::expected<Desktop, DecodeError> decode(std::string_view json) { return decodeJSON<Desktop>(json); }

TEST(SimDisplaysTest, DesktopFileDescribesScreensAndTheMouse) {
    const auto desktop = decode(R"json({
        "host": {"systemVersion": "Version 13.6.7 (Build 22G720)"},
        "screens": [
          {"name": "Built-in Retina Display", "number": 1, "frame": [0, 0, 1512, 982], "scale": 2,
           "desktopPicture": "/System/Library/Desktop Pictures/Lake.jpg"},
          {"name": "Projector", "frame": [1512, 0, 1024.5, 768], "main": true}
        ],
        "mouseLocation": [2000, 700]})json");
    ASSERT_TRUE(desktop) << desktop.error().message;
    EXPECT_EQ(desktop->screens,
              (std::vector<DesktopScreen>{
                  {"Built-in Retina Display", Rect{0, 0, 1512, 982}, 1, 2, false, "/System/Library/Desktop Pictures/Lake.jpg"},
                  {"Projector", Rect{1512, 0, 1024.5, 768}, std::nullopt, 1, true, std::nullopt}}));
    EXPECT_EQ(desktop->mouseLocation, (Point{2000, 700}));
    EXPECT_EQ(parseSystemVersion(desktop->host.systemVersion), (OperatingSystemVersion{13, 6, 7}));

    // Left out: one built-in display; an empty list: none.
    EXPECT_EQ(decode("{}")->screens.size(), 1u);
    EXPECT_TRUE(decode(R"({"screens": []})")->screens.empty());
}

TEST(SimDisplaysTest, TheExampleDesktopHasTwoScreensShowingItsPicture) {
    const auto desktop = loadDesktopFile(std::filesystem::path(TAVELIN_SOURCE_DIR) / "examples/desktop.json");
    ASSERT_TRUE(desktop) << desktop.error().message;
    ASSERT_EQ(desktop->screens.size(), 2u);
    EXPECT_EQ(desktop->screens[1].frame, (Rect{1512, 0, 2560, 1440}));
    EXPECT_EQ(desktop->screens[0].desktopPicture, "/Library/Desktop Pictures/Evening Hills.jpg");
}

TEST(SimDisplaysTest, DesktopFileErrorsNameTheScreenKey) {
    const std::string badFrame =
        ": expected [x, y, width, height] with x and y from -100000 to 100000 and a width and height "
        "above 0 and at most 100000";
    const std::string badScale = ": expected a number from 1 to 4";
    const std::string badPoint = ": expected [x, y] with x and y from -100000 to 100000";
    const std::pair<std::string_view, std::string> cases[] = {
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10]}]})", "Desktop.screens[0].frame" + badFrame},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 0]}]})", "Desktop.screens[0].frame" + badFrame},
        // Numbers no screen, window or pointer has, which drawing would take past the integers.
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10]}, {"name": "B", "frame": [1e308, 0, 10, 10]}]})",
         "Desktop.screens[1].frame" + badFrame},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 100001, 10]}]})",
         "Desktop.screens[0].frame" + badFrame},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "visibleFrame": [0, -100001, 10, 10]}]})",
         "Desktop.screens[0].visibleFrame" + badFrame},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app", "running": true}],
             "windows": [{"application": "a.b", "frame": [0, 0, 10, 1e300]}]})",
         "Desktop.windows[0].frame" + badFrame},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "scale": 1e300}]})",
         "Desktop.screens[0].scale" + badScale},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "scale": 0.5}]})",
         "Desktop.screens[0].scale" + badScale},
        {R"({"mouseLocation": [0, 100000.5]})", "Desktop.mouseLocation" + badPoint},
        {R"({"mouseLocation": [1, 2, 3]})", "Desktop.mouseLocation" + badPoint},
        {R"({"screens": [{"name": "A", "frame": [5, 0, 10, 10]}]})",
         "Desktop.screens[0].frame: the first screen holds the menu bar: its frame starts at 0, 0"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "number": 7},
                         {"name": "B", "frame": [10, 0, 10, 10], "number": 7}]})",
         "Desktop.screens[1].number: display 7 is listed twice"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "main": true},
                         {"name": "B", "frame": [10, 0, 10, 10], "main": true}]})",
         "Desktop.screens[1].main: only one screen is the main one"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "number": -1}]})",
         "Desktop.screens[0].number: expected a display ID from 0 to 4294967295"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "desktopPicture": "../x.jpg"}]})",
         R"(Desktop.screens[0].desktopPicture: expected a path starting with "/" or "~/", found "../x.jpg")"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "colour": "red"}]})",
         R"(Desktop.screens[0]: unknown key "colour")"},
        {R"({"screens": [{"frame": [0, 0, 10, 10]}]})", R"(Desktop.screens[0]: missing required key "name")"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "spaces": 0}]})",
         "Desktop.screens[0].spaces: expected 1 to 16 Spaces"},
        {R"({"screens": [{"name": "A", "frame": [0, 0, 10, 10], "spaces": 2, "currentSpace": 2}]})",
         "Desktop.screens[0].currentSpace: expected the index of one of its Spaces"},
        {R"({"windows": [{"application": "com.apple.Notes", "frame": [0, 0, 10, 10]}]})",
         R"(Desktop.windows[0].application: "com.apple.Notes" is no running application)"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app", "running": true}],
             "screens": [{"name": "A", "frame": [0, 0, 100, 100], "spaces": 2}, {"name": "B", "frame": [100, 0, 100, 100]}],
             "windows": [{"application": "a.b", "frame": [150, 10, 10, 10], "space": 1}]})",
         "Desktop.windows[0].space: the screen has no such Space"},
        {R"({"host": {"systemVersion": "14.5"}})",
         R"x(Desktop.host.systemVersion: expected "Version <major>.<minor>[.<patch>] (Build <build>)", found "14.5")x"},
    };
    for (const auto& [json, message] : cases) {
        const auto desktop = decode(json);
        ASSERT_FALSE(desktop) << json;
        EXPECT_EQ(desktop.error().message, message) << json;
    }
}

TEST(SimDisplaysTest, SystemVersionTexts) {
    EXPECT_EQ(parseSystemVersion("Version 14.5 (Build 23F79)"), (OperatingSystemVersion{14, 5, 0}));
    EXPECT_EQ(parseSystemVersion("Version 15.0.1 (Build 24A348)"), (OperatingSystemVersion{15, 0, 1}));
    for (const auto* text : {"Version 14 (Build 1)", "Version 14.5.1.2 (Build 1)", "Version 14.-5 (Build 1)",
                             "Version 14.5", "version 14.5 (Build 1)", ""}) {
        EXPECT_EQ(parseSystemVersion(text), std::nullopt) << text;
    }
    EXPECT_TRUE((OperatingSystemVersion{14, 0, 0}).isAtLeast(14));
    EXPECT_FALSE((OperatingSystemVersion{13, 9, 9}).isAtLeast(14));
}

class SimDisplaysWorld : public ::testing::Test {
  protected:
    // The built-in display, and a larger one to its right, reaching higher.
    void SetUp() override {
        Desktop desktop;
        desktop.screens = {DesktopScreen{"Built-in", Rect{0, 0, 160, 100}, 1, 2},
                           DesktopScreen{"Studio", Rect{160, 0, 320, 200}, 2, 1, true}};
        mac_ = std::make_unique<SimMac>(std::move(desktop), home_.path(), scheduler_, log_);
    }
    SimMac& mac() { return *mac_; }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::unique_ptr<SimMac> mac_;
};

TEST_F(SimDisplaysWorld, ScreensMainScreenMouseAndTheDefaultDesktopPicture) {
    auto& displays = mac().displays();
    const auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[1].frame, (Rect{160, 0, 320, 200}));
    EXPECT_EQ(screens[1].screenNumber, 2u);
    EXPECT_EQ(screens[1].localizedName, "Studio");
    EXPECT_EQ(displays.mainScreen(), screens[1]);
    EXPECT_EQ(displays.mouseLocation(), (Point{80, 50}));
    EXPECT_EQ(displays.desktopImageURL(screens[0]), std::nullopt);

    // The default desktop picture is a JPEG despite its name, made once.
    const auto file = displays.defaultDesktopImageURL();
    EXPECT_EQ(file, home_ / "System/Library/CoreServices/DefaultDesktop.heic");
    const auto bytes = readFileContents(file, 1 << 24);
    ASSERT_TRUE(bytes);
    const std::span picture(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    EXPECT_EQ(sniffImageFormat(picture), ImageFormat::jpeg);
    ASSERT_TRUE(writeFileAtomically(file, "kept"));
    SimMac again(Desktop{}, home_.path(), scheduler_, log_);
    EXPECT_EQ(readFileContents(file, 100), "kept");
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(SimDisplaysWorld, EachScreenHasAWallpaperWindowThatFollowsIt) {
    auto& displays = mac().displays();
    auto& windows = mac().windowServer();
    const auto list = windows.copyWindowInfo(WindowListOption::onScreenOnly, 0);
    ASSERT_TRUE(list && list->getIf<PlistArray>());
    std::vector<PlistValue> wallpapers;
    std::ranges::copy_if(*list->getIf<PlistArray>(), std::back_inserter(wallpapers), [](const PlistValue& entry) {
        return *entry.getIf<PlistDict>()->find("kCGWindowLayer") == PlistValue(kDesktopWindowLayer);
    });
    ASSERT_EQ(wallpapers.size(), 2u);
    // Measured from the top of the first screen: the taller screen reaches 100 points above it.
    const PlistDict studio{{"kCGWindowNumber", *displays.wallpaperWindow(1)},
                           {"kCGWindowOwnerPID", 0},
                           {"kCGWindowLayer", kDesktopWindowLayer},
                           {"kCGWindowBounds", PlistDict{{"X", 160.0}, {"Y", -100.0}, {"Width", 320.0}, {"Height", 200.0}}},
                           {"kCGWindowIsOnscreen", true},
                           {"kCGWindowName", "Wallpaper-2"}};
    EXPECT_EQ(wallpapers[0], PlistValue(studio));

    const auto identity = displays.screens()[1].identity;
    displays.setFrame(1, Rect{-320, 0, 320, 200});
    EXPECT_EQ(windows.window(*displays.wallpaperWindow(1))->bounds, (Rect{-320, -100, 320, 200}));
    EXPECT_EQ(displays.screens()[1].identity, identity);

    displays.setScreens({DesktopScreen{"Projector", Rect{0, 0, 100, 50}}});
    std::vector<std::string> names;
    for (const auto& state : mac().windowWorld().windows()) {
        if (state.window.layer == kDesktopWindowLayer) names.push_back(*state.window.name);
    }
    EXPECT_EQ(names, std::vector<std::string>{"Wallpaper-" + std::to_string(displays.screens()[0].identity)});
}

TEST_F(SimDisplaysWorld, ChangesPostTheirNotificationsOnTheMainQueue) {
    std::vector<std::string> received;
    const auto note = [&](const Notification& n) { received.push_back(n.name); };
    auto& workspace = mac().workspace().notificationCenter();
    const ObserverToken tokens[] = {
        mac().notificationCenter().addObserver(std::string(kApplicationDidChangeScreenParameters), nullptr,
                                               &scheduler_.main(), note),
        workspace.addObserver(std::string(kWorkspaceDidChangeDesktopImage), nullptr, &scheduler_.main(), note),
        workspace.addObserver(std::string(kWorkspaceDidWake), nullptr, &scheduler_.main(), note),
    };
    auto& displays = mac().displays();
    EXPECT_TRUE(displays.setDesktopPicture(0, "/Users/Shared/Dunes.jpg"));
    EXPECT_TRUE(displays.setFrame(1, Rect{160, 10, 320, 200}));
    displays.wake();
    EXPECT_FALSE(displays.setDesktopPicture(2, "/x.jpg"));
    EXPECT_FALSE(displays.setMainScreen(2));
    EXPECT_TRUE(received.empty());
    scheduler_.runUntilIdle();
    EXPECT_EQ(received, (std::vector<std::string>{std::string(kWorkspaceDidChangeDesktopImage),
                                                  std::string(kApplicationDidChangeScreenParameters),
                                                  std::string(kWorkspaceDidWake)}));
    EXPECT_EQ(displays.desktopImageURL(displays.screens()[0]), home_ / "Users/Shared/Dunes.jpg");

    // Nothing is delivered once the world is gone.
    displays.wake();
    mac_.reset();
    scheduler_.runUntilIdle();
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(SimDisplaysWorld, WindowPicturesAtBestAndNominalResolution) {
    auto& displays = mac().displays();
    auto& windows = mac().windowServer();
    const auto builtIn = *displays.wallpaperWindow(0);
    // Nothing to show yet: black.
    auto black = windows.createWindowImage(std::nullopt, WindowListOption::includingWindow, builtIn,
                                           WindowImageOption::bestResolution);
    ASSERT_TRUE(black);
    EXPECT_EQ(black->width, 320);  // 160 points at 2 pixels each
    EXPECT_EQ(black->pixel(10, 10), (Rgba{0, 0, 0, 255}));

    // The screen's picture file, drawn at the window's size.
    const auto file = home_ / "Users/Shared/Red.png";
    const auto png = encodePNG(Bitmap(16, 10, Rgba{200, 0, 0, 255}));
    ASSERT_TRUE(writeFileAtomically(file, std::string(png->begin(), png->end())));
    displays.setDesktopPicture(0, "/Users/Shared/Red.png");
    auto nominal = windows.createWindowImage(std::nullopt, WindowListOption::includingWindow, builtIn,
                                             WindowImageOption::nominalResolution);
    ASSERT_TRUE(nominal);
    EXPECT_EQ(nominal->width, 160);
    EXPECT_EQ(nominal->height, 100);
    EXPECT_EQ(nominal->pixel(80, 50), (Rgba{200, 0, 0, 255}));

    // A picture the test gives wins; a failing option and anything but one window give none.
    displays.setWallpaperPicture(0, Bitmap(4, 4, Rgba{0, 0, 200, 255}));
    EXPECT_EQ(windows.createWindowImage(std::nullopt, WindowListOption::includingWindow, builtIn,
                                        WindowImageOption::nominalResolution)
                  ->pixel(0, 0),
              (Rgba{0, 0, 200, 255}));
    windows.setImageOptionFails(WindowImageOption::bestResolution, true);
    EXPECT_FALSE(windows.createWindowImage(std::nullopt, WindowListOption::includingWindow, builtIn,
                                           WindowImageOption::bestResolution));
    EXPECT_FALSE(windows.createWindowImage(Rect{0, 0, 10, 10}, WindowListOption::includingWindow, builtIn,
                                           WindowImageOption::nominalResolution));
    EXPECT_EQ(windows.imageRequests().size(), 5u);
}

TEST_F(SimDisplaysWorld, WindowListOrderOddEntriesAndSilence) {
    auto& windows = mac().windowServer();
    const auto front = windows.addWindow(SimWindow{.layer = 0, .name = "Document", .bounds = {0, 0, 50, 50}});
    const auto hidden = windows.addWindow(SimWindow{.layer = 0, .bounds = {0, 0, 50, 50}, .onScreen = false});
    const auto odd = windows.addWindow(SimWindow{.layer = 0, .description = PlistDict{{"kCGWindowLayer", "zero"}}});
    const auto numbers = [&](WindowListOption option, std::uint32_t relativeTo) {
        const auto list = windows.copyWindowInfo(option, relativeTo);
        std::vector<std::string> layers;
        for (const auto& entry : *list->getIf<PlistArray>()) {
            const auto& info = *entry.getIf<PlistDict>();
            const auto* layer = info.find("kCGWindowLayer");
            if (layer && layer->getIf<std::int64_t>() && *layer->getIf<std::int64_t>() > 0) continue;  // menu bar, Dock
            const auto* number = info.find("kCGWindowNumber");
            layers.push_back(number ? std::to_string(*number->getIf<std::int64_t>()) : "odd");
        }
        return layers;
    };
    // Newer windows of a layer in front; the desktop layer behind everything.
    EXPECT_EQ(numbers(WindowListOption::onScreenOnly, 0),
              (std::vector<std::string>{"odd", std::to_string(front), std::to_string(*mac().displays().wallpaperWindow(1)),
                                        std::to_string(*mac().displays().wallpaperWindow(0))}));
    EXPECT_EQ(numbers(WindowListOption::includingWindow, hidden), std::vector<std::string>{std::to_string(hidden)});
    EXPECT_TRUE(windows.removeWindow(odd));
    EXPECT_FALSE(windows.removeWindow(odd));
    windows.setListAnswers(false);
    EXPECT_FALSE(windows.copyWindowInfo(WindowListOption::onScreenOnly, 0));
}

TEST_F(SimDisplaysWorld, FrameworkAnswersLaterAsAnEventOfTheWorld) {
    auto& capture = mac().screenCapture();
    std::optional<std::expected<ShareableContent, ScreenCaptureError>> content;
    capture.getShareableContent(false, true, [&](auto answer) { content = std::move(answer); });
    scheduler_.sleepBlocking(49ms);
    EXPECT_FALSE(content);
    scheduler_.sleepBlocking(1ms);  // a blocked main thread still gets it
    ASSERT_TRUE(content);
    EXPECT_EQ(content->error().description, "Screen recording is not allowed");

    mac().privacy().setScreenCaptureAccess(true);
    capture.getShareableContent(true, true, [&](auto answer) { content = std::move(answer); });
    scheduler_.sleepBlocking(50ms);
    ASSERT_TRUE(*content);
    ASSERT_EQ((*content)->windows.size(), 1u);  // the desktop windows were left out: the menu bar only
    EXPECT_EQ((*content)->windows[0].title, "Menubar");
    capture.getShareableContent(false, true, [&](auto answer) { content = std::move(answer); });
    scheduler_.sleepBlocking(50ms);
    ASSERT_EQ((*content)->windows.size(), 3u);
    const auto studio = (*content)->windows[1];
    EXPECT_EQ(studio.title, "Wallpaper-2");
    EXPECT_EQ(studio.frame, (Rect{160, -100, 320, 200}));

    std::optional<std::expected<Bitmap, ScreenCaptureError>> image;
    capture.captureImage({studio.windowID, 32, 20}, [&](auto answer) { image = std::move(answer); });
    scheduler_.sleepBlocking(50ms);
    ASSERT_TRUE(*image);
    EXPECT_EQ((*image)->width, 32);
    capture.setScreenshotError("no frame");
    capture.captureImage({studio.windowID, 32, 20}, [&](auto answer) { image = std::move(answer); });
    scheduler_.sleepBlocking(50ms);
    EXPECT_EQ(image->error().description, "no frame");
    EXPECT_EQ(capture.shareableContentRequests(), 3);
    EXPECT_EQ(capture.screenshotRequests().size(), 2u);

    // An answer still due when the world goes is dropped.
    bool answered = false;
    capture.getShareableContent(false, true, [&](auto) { answered = true; });
    mac_.reset();
    scheduler_.sleepBlocking(1s);
    EXPECT_FALSE(answered);
}

}  // namespace
}  // namespace tavelin::sim
