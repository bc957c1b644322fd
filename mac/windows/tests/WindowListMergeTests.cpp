#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"
#include "mac/windows/WindowListMerge.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

const std::string kEditor = "com.example.Editor";

std::vector<std::string> ids(const std::vector<WindowDescriptor>& windows) {
    std::vector<std::string> result;
    for (const auto& window : windows) result.push_back(window.windowID.rawValue());
    return result;
}

// An Accessibility descriptor that no window-server number was found for.
WindowDescriptor unlinked(std::string title, std::optional<WindowFrame> frame,
                          WindowState state = WindowState::normal) {
    WindowDescriptor window;
    window.windowID = WindowID("6B1F2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D-" + title);
    window.title = std::move(title);
    window.frame = frame;
    window.state = state;
    window.supportsClose = true;
    return window;
}

class WindowListMergeTest : public ::testing::Test {
  protected:
    WindowListMergeTest() : editor(world.launch(kEditor)), merge(world.platform()) {}

    sim::SimWindowKey add(std::optional<std::string> title, Rect bounds,
                          const std::function<void(sim::SimWindow&)>& edit = {}) {
        return world.add(editor, std::move(title), bounds, edit);
    }
    std::vector<WindowDescriptor> cgWindows(bool screenRecording = true) {
        return merge.cgWindowDescriptors(ProcessIDSet{editor}, screenRecording);
    }
    std::vector<WindowDescriptor> merged(std::vector<WindowDescriptor> axWindows) {
        return merge.mergeCGWindowDescriptors(item, ProcessIDSet{editor}, std::move(axWindows), cgWindows(), true);
    }
    std::string id(sim::SimWindowKey key) { return std::to_string(world.numberOf(key)); }
    bool logged(std::string_view line) {
        return std::ranges::count(world.actionLog.lines(), std::string(line)) == 1;
    }
    // The first display's Space it does not show.
    std::uint64_t hiddenSpace() {
        const auto displays = world.mac->windowWorld().displaySpaces();
        return displays.front().spaces.back();
    }

    WindowFinderWorld world;
    std::int32_t editor;
    DockItem item = appItem(kEditor);
    WindowListMerge merge;
};

// Screen coordinates of window-server bounds on the 900-point-high primary screen.
WindowFrame cocoa(double x, double y, double width, double height) { return {x, 900 - y - height, width, height}; }

TEST_F(WindowListMergeTest, TheFrameJoinNeedsFortyFivePercentOfTheSmallerAreaWithExactlyOneCandidate) {
    const auto left = add("Left", Rect{0, 0, 400, 300});
    const auto right = add("Right", Rect{600, 0, 400, 300});

    // 180 of Left's 400 points: 45 %. Right is a leftover, after the Accessibility entries.
    auto joined = merged({unlinked("Draft", cocoa(220, 0, 400, 300))});
    EXPECT_EQ(ids(joined), (std::vector{id(left), id(right)}));
    EXPECT_EQ(joined[0].title, "Draft");
    EXPECT_EQ(joined[0].frame, cocoa(220, 0, 400, 300));

    // 179 points are too few.
    EXPECT_EQ(ids(merged({unlinked("Draft", cocoa(221, 0, 400, 300))})).size(), 3u);
    // Covering both: two candidates, no join.
    const auto both = merged({unlinked("Draft", cocoa(0, 0, 1000, 300))});
    EXPECT_EQ(ids(both), (std::vector{both[0].windowID.rawValue(), id(right), id(left)}));
    EXPECT_FALSE(parseCGWindowID(both[0].windowID));
}

TEST_F(WindowListMergeTest, AFrameCandidateCountsByItsAccessibilityWindowElseOnlyOnScreenOrParked) {
    const auto behind = add("Behind", Rect{0, 0, 400, 300}, [](sim::SimWindow& w) { w.onScreen = false; });
    const auto palette = add("Palette", Rect{0, 400, 400, 300}, [](sim::SimWindow& w) { w.ax.accessible = false; });
    add("Hidden", Rect{600, 400, 400, 300}, [](sim::SimWindow& w) {
        w.ax.accessible = false;
        w.onScreen = false;
    });
    const auto list = merged({unlinked("A", cocoa(0, 0, 400, 300)), unlinked("B", cocoa(0, 400, 400, 300)),
                              unlinked("C", cocoa(600, 400, 400, 300))});
    EXPECT_EQ(ids(list), (std::vector{id(behind), id(palette), unlinked("C", {}).windowID.rawValue()}));
}

TEST_F(WindowListMergeTest, TheTitleJoinTakesTheFirstEntryAndTheSecondIsDroppedLater) {
    const auto doc = add("Doc", Rect{0, 0, 400, 300});
    auto list = merged({unlinked("Doc", std::nullopt), unlinked("Doc", std::nullopt)});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].windowID.rawValue(), id(doc));
    EXPECT_EQ(list[0].frame, cocoa(0, 0, 400, 300));
    EXPECT_FALSE(parseCGWindowID(list[1].windowID));

    EXPECT_EQ(ids(WindowListMerge::dedupeDescriptors({list[0], list[1], list[0]})), ids(list));

    list = merge.dropDescriptorsWithoutOnScreenUserWindow(std::move(list), item);
    EXPECT_EQ(ids(list), std::vector{id(doc)});
    EXPECT_TRUE(logged("windowList drop offscreen-only removed=1 bundle=" + kEditor));
}

TEST_F(WindowListMergeTest, ATitleTwoWindowServerWindowsShareJoinsNeither) {
    const auto back = add("Doc", Rect{0, 0, 400, 300});
    const auto front = add("Doc", Rect{600, 0, 400, 300});
    const auto doc = unlinked("Doc", std::nullopt);
    const auto list = merged({doc});
    EXPECT_EQ(ids(list), (std::vector{doc.windowID.rawValue(), id(front), id(back)}));
    EXPECT_EQ(ids(merge.dropDescriptorsWithoutOnScreenUserWindow(list, item)),
              (std::vector{id(front), id(back)}));
}

TEST_F(WindowListMergeTest, LeftoversOnAHiddenSpaceStayAndThoseOffScreenOnTheShowingSpaceGo) {
    const auto parked = add("Parked", Rect{0, 0, 400, 300}, [&](sim::SimWindow& w) { w.space = hiddenSpace(); });
    const auto shown = add("Shown", Rect{0, 0, 400, 300});
    const auto hidden = add("Hidden", Rect{0, 0, 400, 300}, [](sim::SimWindow& w) { w.onScreen = false; });

    const auto alone = unlinked("Alone", std::nullopt, WindowState::minimized);
    EXPECT_EQ(ids(merged({alone})), (std::vector{alone.windowID.rawValue(), id(shown), id(parked)}));
    EXPECT_TRUE(logged("windowList drop leftover cgID=" + id(hidden) + " title=Hidden"));

    // Spaces that cannot be read keep the window; a window on no Space goes.
    world.mac->privateWindowServer().setAnswer("SLSCopyManagedDisplaySpaces", std::nullopt);
    EXPECT_EQ(ids(merged({alone})), (std::vector{alone.windowID.rawValue(), id(hidden), id(shown), id(parked)}));
    world.mac->privateWindowServer().setAnswer("SLSCopySpacesForWindows", PlistArray{});
    EXPECT_EQ(ids(merged({alone})), (std::vector{alone.windowID.rawValue(), id(shown)}));
    EXPECT_TRUE(logged("windowList drop leftover cgID=" + id(parked) + " title=Parked"));
}

TEST_F(WindowListMergeTest, WindowServerEntriesAreSkippedForEachMissingOrMistypedValue) {
    const auto plain = add(std::nullopt, Rect{10, 20, 80, 60});
    const auto describe = [&](std::uint32_t number, PlistValue owner, PlistValue layer, PlistDict bounds) {
        return [=](sim::SimWindow& w) {
            w.description = PlistDict{{std::string(kCGWindowNumber), PlistValue(std::int64_t{number})},
                                      {std::string(kCGWindowOwnerPID), owner},
                                      {std::string(kCGWindowLayer), layer},
                                      {std::string(kCGWindowBounds), PlistValue(bounds)}};
        };
    };
    const PlistDict size{{"X", PlistValue(0.0)}, {"Y", PlistValue(0.0)}, {"Width", PlistValue(100.0)},
                         {"Height", PlistValue(100.0)}};
    const PlistDict noWidth{{"X", PlistValue(0.0)}, {"Y", PlistValue(0.0)}, {"Height", PlistValue(100.0)}};
    const PlistDict noHeight{{"X", PlistValue(0.0)}, {"Y", PlistValue(0.0)}, {"Width", PlistValue(100.0)}};
    const PlistValue pid(std::int64_t{editor});
    const PlistValue zero(std::int64_t{0});
    add("a", Rect{}, describe(9001, PlistValue(double(editor)), zero, size));  // owner not an integer
    add("b", Rect{}, describe(9002, pid, PlistValue(0.0), size));              // layer not an integer
    add("c", Rect{}, describe(9003, pid, zero, noWidth));
    add("d", Rect{}, describe(9004, pid, zero, noHeight));
    add("e", Rect{}, describe(world.numberOf(plain), pid, zero, size));  // its number again
    add("f", Rect{0, 0, 79.5, 60});
    add("g", Rect{0, 0, 100, 100}, [](sim::SimWindow& w) { w.layer = 3; });  // a floating panel
    world.mac->windowWorld().raise(plain);

    const auto list = cgWindows();
    ASSERT_EQ(ids(list), std::vector{id(plain)});
    const auto& window = list[0];
    EXPECT_EQ(window.title, "Untitled");
    EXPECT_EQ(window.frame, cocoa(10, 20, 80, 60));
    EXPECT_EQ(window.screenID, ScreenID("1"));
    EXPECT_EQ(window.contentRevision, windowContentRevision("Untitled", window.frame, WindowState::normal, false));
    EXPECT_EQ(window.thumbnailToken, "w:" + id(plain) + ":" + std::to_string(window.contentRevision));
    EXPECT_TRUE(window.supportsClose && window.supportsMinimize && window.supportsResize &&
                window.supportsFullScreen && window.supportsTile);
    EXPECT_EQ(cgWindows(false)[0].thumbnailToken, std::nullopt);
}

TEST_F(WindowListMergeTest, TheJoinedDescriptorTakesEachValueFromWhereItIsBest) {
    auto ax = unlinked("  ", cocoa(0, 0, 100, 100), WindowState::minimized);
    ax.thumbnailToken = "ax-token";
    ax.screenID = ScreenID("2");
    WindowDescriptor cg;
    cg.windowID = WindowID("77");
    cg.title = "Server title";
    cg.frame = cocoa(5, 5, 50, 50);
    cg.state = WindowState::fullscreen;
    cg.screenID = ScreenID("1");
    cg.supportsResize = true;

    const auto joined = WindowListMerge::combinedDescriptor(ax, cg, true);
    EXPECT_EQ(joined.windowID.rawValue(), "77");
    EXPECT_EQ(joined.title, "Server title");
    EXPECT_EQ(joined.frame, ax.frame);
    EXPECT_EQ(joined.state, WindowState::minimized);
    EXPECT_EQ(joined.contentRevision,
              windowContentRevision("Server title", ax.frame, WindowState::minimized, true));
    EXPECT_EQ(joined.thumbnailToken, "w:77:" + std::to_string(joined.contentRevision));
    EXPECT_EQ(joined.screenID, ScreenID("2"));
    EXPECT_TRUE(joined.supportsClose);
    EXPECT_FALSE(joined.supportsResize);

    // A normal Accessibility window takes full screen from the window server; without a number on
    // either side the window server's ID stays, and without the permission the tokens are kept.
    ax.state = WindowState::normal;
    cg.windowID = WindowID("0E6A-cg");
    const auto unnumbered = WindowListMerge::combinedDescriptor(ax, cg, false);
    EXPECT_EQ(unnumbered.state, WindowState::fullscreen);
    EXPECT_EQ(unnumbered.windowID.rawValue(), "0E6A-cg");
    EXPECT_EQ(unnumbered.thumbnailToken, "ax-token");
}

TEST_F(WindowListMergeTest, AWindowServerOnlyListNeedsAnApplicationWithoutAccessibilityWindows) {
    const auto shown = add("Shown", Rect{0, 0, 400, 300}, [](sim::SimWindow& w) { w.ax.accessible = false; });
    add("Hidden", Rect{0, 0, 400, 300}, [](sim::SimWindow& w) {
        w.ax.accessible = false;
        w.onScreen = false;
    });
    EXPECT_EQ(ids(merged({})), std::vector{id(shown)});
    EXPECT_TRUE(world.actionLog.lines().empty() ||
                std::ranges::none_of(world.actionLog.lines(), [](const std::string& line) {
                    return line.starts_with("windowList drop");
                }));

    add("Seen", Rect{0, 0, 400, 300});
    EXPECT_TRUE(merged({}).empty());
    EXPECT_TRUE(logged("windowList skip CG-only merge axRawPresent bundle=" + kEditor));
}

TEST_F(WindowListMergeTest, AUniformCaptureAmongEqualTitlesIsDroppedUnlessAllAre) {
    const auto grey = [](std::uint8_t level) { return sim::uniformContent(Rgba{level, level, level, 255}); };
    // White above, grey below: the sampled bytes spread from that grey to 255.
    const auto halfGrey = [](std::uint8_t level) {
        Bitmap picture(10, 10, Rgba{255, 255, 255, 255});
        for (int y = 5; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) picture.setPixel(x, y, Rgba{level, level, level, 255});
        }
        return sim::pictureContent(std::move(picture));
    };
    const auto white = add("Untitled", Rect{0, 0, 400, 300}, [&](sim::SimWindow& w) { w.content = grey(255); });
    const auto nearWhite = add("Untitled", Rect{0, 0, 400, 300}, [&](sim::SimWindow& w) { w.content = halfGrey(244); });
    const auto lightGrey = add("Untitled", Rect{0, 0, 400, 300}, [&](sim::SimWindow& w) { w.content = halfGrey(243); });
    const auto drawn = add("Untitled", Rect{0, 0, 400, 300});
    const auto alone = add("Alone", Rect{0, 0, 400, 300}, [&](sim::SimWindow& w) { w.content = grey(255); });
    const auto sliver = add("Untitled", Rect{0, 0, 4, 300});  // drawn, but 8 pixels wide

    auto windows = cgWindows();  // the sliver is too small to be listed: it is added by hand
    auto sliverWindow = windows[1];
    sliverWindow.windowID = WindowID(id(sliver));
    windows.push_back(sliverWindow);
    EXPECT_EQ(ids(merge.dropBlankDuplicateTitles(windows)), (std::vector{id(alone), id(drawn), id(lightGrey)}));
    EXPECT_TRUE(logged("windowList drop blank duplicate title=Untitled id=" + id(white)));
    EXPECT_TRUE(logged("windowList drop blank duplicate title=Untitled id=" + id(nearWhite)));
    EXPECT_TRUE(logged("windowList drop blank duplicate title=Untitled id=" + id(sliver)));

    // A minimized window is never blank.
    windows.pop_back();
    windows.back().state = WindowState::minimized;
    EXPECT_EQ(ids(merge.dropBlankDuplicateTitles(windows)), (std::vector{id(alone), id(drawn), id(lightGrey), id(white)}));

    for (const auto key : {drawn, lightGrey})
        world.editWindow(key, [&](sim::SimWindow& w) { w.content = grey(255); });
    EXPECT_EQ(merge.dropBlankDuplicateTitles(cgWindows()).size(), 5u);
}

TEST_F(WindowListMergeTest, UntitledCompanionsOfAFullScreenWindowGo) {
    auto full = unlinked("", cocoa(0, 0, 1440, 450), WindowState::fullscreen);
    auto companion = unlinked(" Untitled ", cocoa(0, 0, 400, 300));
    const auto titled = unlinked("Notes", cocoa(0, 0, 400, 300));
    EXPECT_EQ(merge.dropFullscreenCompanionGhosts({companion, titled}, false).size(), 2u);

    EXPECT_EQ(ids(merge.dropFullscreenCompanionGhosts({full, companion, titled}, false)),
              (std::vector{full.windowID.rawValue(), titled.windowID.rawValue()}));
    EXPECT_TRUE(logged("windowList drop fullscreen leftover untitled id=" + companion.windowID.rawValue() +
                       " relatedPWA=false"));

    full.frame = cocoa(0, 0, 1440, 449);
    EXPECT_EQ(ids(merge.dropFullscreenCompanionGhosts({full}, true)), std::vector<std::string>{});
}

}  // namespace
}  // namespace tavelin
