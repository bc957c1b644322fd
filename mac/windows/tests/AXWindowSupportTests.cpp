#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/AXAttributes.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

class AXWindowSupportTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    AXWindowSupportTest() : app(launch("com.example.Editor")) {}

    bool included(sim::SimWindowKey key, std::optional<std::string> bundleID = "com.example.Editor") {
        return support->shouldIncludeInWindowList(ax(key), bundleID, ProcessIDSet{app});
    }

    std::int32_t app;
};

TEST_F(AXWindowSupportTest, ReadersCheckTypeAndRange) {
    const auto key = add(app, "Doc", {100, 100, 800, 600});
    const auto element = ax(key);
    auto reads = [&](AXValue value) {
        editWindow(key, [&](sim::SimWindow& w) {
            w.ax.overrides["AXWindowNumber"] = w.ax.overrides["AXMinimized"] = value;
        });
        return std::pair(axWindowNumber(mac->accessibility(), element),
                         axBool(mac->accessibility(), element, "AXMinimized"));
    };
    EXPECT_EQ(reads(std::int64_t{4711}), std::pair(std::optional<std::uint32_t>(4711), std::optional(true)));
    EXPECT_EQ(reads(4711.0), std::pair(std::optional<std::uint32_t>(4711), std::optional(true)));
    EXPECT_EQ(reads(std::int64_t{4294967295}).first, 4294967295u);
    EXPECT_EQ(reads(std::int64_t{4294967296}).first, std::nullopt);
    EXPECT_EQ(reads(std::int64_t{-1}).first, std::nullopt);
    EXPECT_EQ(reads(4711.5).first, std::nullopt);
    EXPECT_EQ(reads(0.0), std::pair(std::optional<std::uint32_t>(0), std::optional(false)));
    EXPECT_EQ(reads(std::string("12")), std::pair(std::optional<std::uint32_t>(), std::optional<bool>()));
    EXPECT_EQ(reads(true), std::pair(std::optional<std::uint32_t>(), std::optional(true)));
}

TEST_F(AXWindowSupportTest, TheFrameFallsBackToPositionAndSizeAndIsFlipped) {
    const auto key = add(app, "Doc", {100, 100, 800, 600});
    EXPECT_THAT(support->axFrame(ax(key)), Optional(WindowFrame{100, 200, 800, 600}));
    editWindow(
        key, [](sim::SimWindow& w) { w.ax.overrides["AXFrame"] = AXValue(std::string("not a rectangle")); });
    EXPECT_THAT(support->axFrame(ax(key)), Optional(WindowFrame{100, 200, 800, 600}));
    editWindow(key, [](sim::SimWindow& w) { w.ax.overrides["AXSize"] = unreadable(); });
    EXPECT_EQ(support->axFrame(ax(key)), std::nullopt);
}

TEST_F(AXWindowSupportTest, WindowsOfWebAppsGetTheShortTimeout) {
    const auto shim = launch("com.google.Chrome.app.mail");
    const auto shimWindow = add(shim, "Mail", {0, 0, 500, 500});
    const auto window = add(app, "Doc", {0, 0, 500, 500});
    const auto& world = mac->windowWorld();
    EXPECT_THAT(support->axWindows(*mac->workspace().process(shim)), ElementsAre(ax(shimWindow)));
    EXPECT_THAT(support->axWindows(*mac->workspace().process(app)), ElementsAre(ax(window)));
    EXPECT_EQ(world.messagingTimeout(AXElement{shim, 0}), 0.4);
    EXPECT_EQ(world.messagingTimeout(ax(shimWindow)), 0.4);
    EXPECT_EQ(world.messagingTimeout(AXElement{app, 0}), 2.0);
    EXPECT_EQ(world.messagingTimeout(ax(window)), 2.0);
}

TEST_F(AXWindowSupportTest, LinkedNumberNeedsAnOwnerInTheSet) {
    const auto other = launch("com.example.Other");
    const auto foreign = numberOf(add(other, "Foreign", {0, 0, 300, 300}));
    struct Case {
        const char* name;
        std::function<void(sim::SimWindow&)> edit;
        bool linked;  // to the window's own number
    };
    const Case cases[] = {
        {"attribute", [](sim::SimWindow&) {}, true},
        {"private call", [](sim::SimWindow& w) { w.ax.exposesWindowNumber = false; }, true},
        {"attribute 0, private call",
         [](sim::SimWindow& w) { w.ax.overrides["AXWindowNumber"] = AXValue(std::int64_t{0}); }, true},
        {"attribute names another's window, private call",
         [&](sim::SimWindow& w) { w.ax.overrides["AXWindowNumber"] = AXValue(std::int64_t{foreign}); }, true},
        {"private call answers 0",
         [](sim::SimWindow& w) {
             w.ax.exposesWindowNumber = false;
             w.ax.privateWindowNumber = 0u;
         },
         false},
        {"private call fails",
         [](sim::SimWindow& w) {
             w.ax.exposesWindowNumber = false;
             w.ax.privateWindowNumber = std::unexpected(AXError::failure);
         },
         false},
        {"private call names an unknown window",
         [](sim::SimWindow& w) {
             w.ax.exposesWindowNumber = false;
             w.ax.privateWindowNumber = 99999u;
         },
         false},
        {"private call names another's window",
         [&](sim::SimWindow& w) {
             w.ax.exposesWindowNumber = false;
             w.ax.privateWindowNumber = foreign;
         },
         false},
    };
    for (const auto& c : cases) {
        const auto key = add(app, "Doc", {400, 400, 300, 300}, c.edit);
        const auto linked = support->linkedCGWindowID(ax(key), ProcessIDSet{app});
        EXPECT_EQ(linked, c.linked ? std::optional(numberOf(key)) : std::nullopt) << c.name;
        mac->windowWorld().removeWindow(key);
    }
    // The owner must be in the set given.
    const auto key = add(app, "Doc", {400, 400, 300, 300});
    EXPECT_EQ(support->linkedCGWindowID(ax(key), ProcessIDSet{other}), std::nullopt);
}

TEST_F(AXWindowSupportTest, ResolvedNumberFallsBackToTheFrameButNotForAMinimizedWindow) {
    auto unlinked = [](bool minimized) {
        return [minimized](sim::SimWindow& w) {
            w.ax.exposesWindowNumber = false;
            w.ax.privateWindowNumber = std::unexpected(AXError::cannotComplete);
            w.ax.overrides["AXMinimized"] = AXValue(minimized);
        };
    };
    const auto key = add(app, "Doc", {100, 100, 800, 600}, unlinked(false));
    EXPECT_EQ(support->linkedCGWindowID(ax(key), ProcessIDSet{app}), std::nullopt);
    EXPECT_EQ(support->resolvedCGWindowID(ax(key), ProcessIDSet{app}), numberOf(key));
    // The window server still has it on screen; only the minimized flag keeps the frame match away.
    const auto minimized = add(app, "Min", {1000, 500, 300, 300}, unlinked(true));
    EXPECT_EQ(support->resolvedCGWindowID(ax(minimized), ProcessIDSet{app}), std::nullopt);
}

TEST_F(AXWindowSupportTest, PhantomAndInclusionMatrix) {
    auto with = [](std::string subrole, bool minimized = false, bool fullScreen = false) {
        return [=](sim::SimWindow& w) {
            w.ax.subrole = subrole;
            w.ax.minimized = minimized;
            w.ax.fullScreen = fullScreen;
        };
    };
    auto noFrame = [](bool linked) {
        return [=](sim::SimWindow& w) {
            hideFrame(w);
            if (!linked) {
                w.ax.exposesWindowNumber = false;
                w.ax.privateWindowNumber = std::unexpected(AXError::failure);
            }
        };
    };
    struct Case {
        const char* name;
        std::optional<std::string> title;
        Rect bounds;
        std::function<void(sim::SimWindow&)> edit;
        bool included;
    };
    const Case cases[] = {
        {"titled standard", "Doc", {0, 0, 30, 30}, with("AXStandardWindow"), true},
        {"blank title is untitled", " \n", {0, 0, 79, 200}, with("AXStandardWindow"), false},
        {"untitled 79 x 200", std::nullopt, {0, 0, 79, 200}, with("AXStandardWindow"), false},
        {"untitled 80 x 60", std::nullopt, {0, 0, 80, 60}, with("AXStandardWindow"), true},
        {"untitled 80 x 59", std::nullopt, {0, 0, 80, 59}, with("AXStandardWindow"), false},
        {"untitled tiny minimized", std::nullopt, {0, 0, 10, 10}, with("AXStandardWindow", true), true},
        {"untitled tiny full screen",
         std::nullopt,
         {0, 0, 10, 10},
         with("AXStandardWindow", false, true),
         true},
        {"titled dialog", "Save", {0, 0, 400, 300}, with("AXDialog"), false},
        {"titled system dialog", "Alert", {0, 0, 400, 300}, with("AXSystemDialog"), false},
        {"minimized dialog", "Save", {0, 0, 400, 300}, with("AXDialog", true), true},
        {"full-screen dialog", std::nullopt, {0, 0, 400, 300}, with("AXDialog", false, true), true},
        {"dialog whose minimized flag cannot be read",
         "Save",
         {0, 0, 400, 300},
         [](sim::SimWindow& w) {
             w.ax.subrole = "AXDialog";
             w.ax.overrides["AXMinimized"] = unreadable();
         },
         false},
        {"untitled floating window", std::nullopt, {0, 0, 400, 300}, with("AXFloatingWindow"), false},
        {"titled floating window", "Palette", {0, 0, 400, 300}, with("AXFloatingWindow"), true},
        {"untitled without subrole", std::nullopt, {0, 0, 400, 300}, with(""), false},
        {"untitled, no frame, linked", std::nullopt, {0, 0, 400, 300}, noFrame(true), true},
        {"untitled, no frame, not linked", std::nullopt, {0, 0, 400, 300}, noFrame(false), false},
        // Only Accessibility sees it, over the window server's "Listed" window of the same process.
        {"untitled, no frame, unlisted",
         std::nullopt,
         {0, 0, 400, 300},
         [](sim::SimWindow& w) {
             w.listed = false;
             hideFrame(w);
         },
         false},
        {"a sheet", "Doc", {0, 0, 400, 300}, [](sim::SimWindow& w) { w.ax.role = "AXSheet"; }, false},
        {"no role",
         "Doc",
         {0, 0, 400, 300},
         [](sim::SimWindow& w) { w.ax.overrides["AXRole"] = unreadable(); },
         false},
    };
    add(app, "Listed", {0, 0, 400, 300});
    for (const auto& c : cases) {
        const auto key = add(app, c.title, c.bounds, c.edit);
        EXPECT_EQ(included(key), c.included) << c.name;
        // No bundle identifier: the same rules.
        EXPECT_EQ(included(key, std::nullopt), c.included) << c.name;
        mac->windowWorld().removeWindow(key);
    }
}

TEST_F(AXWindowSupportTest, FinderKeepsTitledWindowsAndStandardOnes) {
    const std::string finder(kFinderBundleID);
    auto floating = [](sim::SimWindow& w) { w.ax.subrole = "AXFloatingWindow"; };
    EXPECT_TRUE(included(add(app, std::nullopt, {0, 0, 20, 20}), finder));  // no size test
    EXPECT_FALSE(included(add(app, std::nullopt, {0, 0, 400, 300}, floating), finder));
    EXPECT_TRUE(included(add(app, " ", {0, 0, 400, 300}, floating), finder));  // not trimmed
    EXPECT_TRUE(included(
        add(app, "Copy", {0, 0, 400, 300}, [](sim::SimWindow& w) { w.ax.subrole = "AXDialog"; }), finder));
    EXPECT_FALSE(included(add(app, "Doc", {0, 0, 400, 300}, [](sim::SimWindow& w) { w.ax.role = "AXSheet"; }),
                          finder));
}

TEST(PreferredDisplayTitleTest, TrimmedAccessibilityTitleThenWindowServerNameThenUntitled) {
    EXPECT_EQ(preferredDisplayTitle("  Report \n", std::string("Other")), "Report");
    EXPECT_EQ(preferredDisplayTitle(" ", std::string(" Server name ")), "Server name");
    // The "Untitled" text itself is no title of its own.
    EXPECT_EQ(preferredDisplayTitle("Untitled", std::string("Draft")), "Draft");
    EXPECT_EQ(preferredDisplayTitle("", std::string(" Untitled ")), "Untitled");
    EXPECT_EQ(preferredDisplayTitle("", std::nullopt), "Untitled");
    EXPECT_EQ(preferredDisplayTitle("untitled", std::nullopt), "untitled");
}

}  // namespace
}  // namespace tavelin
