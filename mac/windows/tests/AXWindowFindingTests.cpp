#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

using ::testing::Optional;

class AXWindowFindingTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    AXWindowFindingTest() : app(launch("com.example.Editor")) {}

    std::optional<AXElement> find(const WindowDescriptor& window, bool ignoresMinimized = false) {
        return support->findAXWindow(*mac->workspace().process(app), window, ProcessIDSet{app}, std::nullopt,
                                     ignoresMinimized);
    }
    std::optional<AXElement> element(sim::SimWindowKey key) { return ax(key); }
    std::int32_t app;
};

TEST_F(AXWindowFindingTest, ANumberFindsItsWindowWhateverTheTitle) {
    add(app, "Other", {0, 0, 400, 300});
    const auto key = add(app, "Report", {100, 100, 800, 600});
    EXPECT_EQ(find(descriptor("00" + idOf(key), "Renamed since")), element(key));
    // Found by its frame when neither number source answers.
    const auto unlinked = add(app, "Sketch", {1000, 500, 300, 300}, [](sim::SimWindow& w) {
        w.ax.exposesWindowNumber = false;
        w.ax.privateWindowNumber = 0u;
    });
    EXPECT_EQ(find(descriptor(idOf(unlinked), "x")), element(unlinked));
}

TEST_F(AXWindowFindingTest, AUUIDDescriptorIsFoundByTitleAndFrame) {
    const auto low = add(app, "Report", {0, 100, 400, 300});  // screen frame (0, 500, 400, 300)
    const auto key = add(app, "Report", {100, 100, 800, 600});
    EXPECT_EQ(find(descriptor(kUUID, "Report", WindowFrame{0, 500, 400, 300})), element(low));
    EXPECT_EQ(find(descriptor(kUUID, "Report", WindowFrame{100, 200, 800, 600})), element(key));
    EXPECT_EQ(find(descriptor(kUUID, "report", WindowFrame{100, 200, 800, 600})), std::nullopt);
}

TEST_F(AXWindowFindingTest, DuplicateTitlesWithoutAFrameGiveTheFirstUnlessTheFlagAsksForOne) {
    add(app, "Report", {0, 0, 400, 300});
    const auto front = add(app, "Report", {500, 0, 400, 300});  // first in the application's order
    EXPECT_EQ(find(descriptor(kUUID, "Report")), element(front));
    EXPECT_EQ(find(descriptor(kUUID, "Report"), true), std::nullopt);
    const auto single =
        add(app, "Single", {0, 400, 400, 300}, [](sim::SimWindow& w) { w.ax.minimized = true; });
    // The flag also ignores that the window is minimized and the descriptor is not.
    EXPECT_EQ(find(descriptor(kUUID, "Single"), true), element(single));
    EXPECT_EQ(find(descriptor(kUUID, "Single")), std::nullopt);
}

TEST_F(AXWindowFindingTest, FramesMatchWithinThreePointsOnEveryValue) {
    const auto key = add(app, "Report", {100, 100, 800, 600});  // screen frame (100, 200, 800, 600)
    EXPECT_EQ(find(descriptor(kUUID, "Report", WindowFrame{103, 197, 797, 603})), element(key));
    const WindowFrame offByMore[] = {
        {103.01, 200, 800, 600}, {100, 196.99, 800, 600}, {100, 200, 803.01, 600}, {100, 200, 800, 596.99}};
    for (const auto& frame : offByMore) {
        EXPECT_EQ(find(descriptor(kUUID, "Report", frame)), std::nullopt) << frame.x << " " << frame.y;
    }
}

TEST_F(AXWindowFindingTest, ACandidateWithoutAFrameIsTakenWhenReached) {
    const auto hidden = add(app, "Report", {0, 0, 400, 300}, hideFrame);
    add(app, "Report", {500, 0, 400, 300});  // first, but elsewhere
    EXPECT_EQ(find(descriptor(kUUID, "Report", WindowFrame{100, 200, 800, 600})), element(hidden));
}

TEST_F(AXWindowFindingTest, TheMinimizedStateMustAgreeAndUnreadableCountsAsNot) {
    const auto minimized =
        add(app, "Report", {0, 0, 400, 300}, [](sim::SimWindow& w) { w.ax.minimized = true; });
    const auto unknown = add(app, "Report", {500, 0, 400, 300},
                             [](sim::SimWindow& w) { w.ax.overrides["AXMinimized"] = unreadable(); });
    // A minimized descriptor takes the first minimized candidate, whatever its frame.
    EXPECT_EQ(find(descriptor(kUUID, "Report", WindowFrame{9, 9, 9, 9}, WindowState::minimized)),
              element(minimized));
    EXPECT_EQ(find(descriptor(kUUID, "Report")), element(unknown));
}

TEST_F(AXWindowFindingTest, TheTitlePhaseComparesTheAccessibilityTitleOrUntitledNeverTheServerName) {
    const auto key = add(app, "Server Name", {100, 100, 800, 600},
                         [](sim::SimWindow& w) { w.ax.overrides["AXTitle"] = AXValue(std::string("  ")); });
    EXPECT_EQ(find(descriptor(kUUID, "Server Name")), std::nullopt);
    EXPECT_EQ(find(descriptor(kUUID, "Untitled")), element(key));
}

TEST_F(AXWindowFindingTest, AnItemSearchesItsInstancesThenTheNumberAmongItsProcesses) {
    const auto helper = launch("com.example.Editor.Inspector");
    const auto item = appItem("com.example.Editor");
    // A helper's window found through its number.
    const auto palette = add(helper, "Palette", {0, 0, 400, 300});
    EXPECT_EQ(support->findAXWindow(item, descriptor(idOf(palette), "Palette"), false), element(palette));
    // A helper's window that Accessibility cannot tie to the number, found in the number's owner by title.
    const auto serverOnly =
        add(helper, "Inspector", {1000, 0, 300, 300}, [](sim::SimWindow& w) { w.ax.accessible = false; });
    const auto axOnly =
        add(helper, "Inspector", {0, 600, 300, 200}, [](sim::SimWindow& w) { w.listed = false; });
    EXPECT_EQ(support->findAXWindow(item, descriptor(idOf(serverOnly), "Inspector"), false), element(axOnly));
    // Not for a process outside the item.
    const auto other = launch("com.example.Other");
    const auto foreign = add(other, "Palette", {0, 0, 400, 300});
    EXPECT_EQ(support->findAXWindow(item, descriptor(idOf(foreign), "Palette"), false), std::nullopt);
}

TEST_F(AXWindowFindingTest, ANumberIsLookedForInTheSetsOrderAndNeverForZero) {
    // The helper starts first (a lower process identifier) but comes after the instance in the set; its
    // window claims the instance's number.
    const auto helper = launch("com.example.Paint.Helper");
    const auto paint = launch("com.example.Paint");
    const auto item = appItem("com.example.Paint");
    const auto real = add(paint, "Canvas", {0, 0, 400, 300});
    const auto claimed = numberOf(real);
    const auto impostor = add(helper, "Impostor", {500, 0, 400, 300}, [&](sim::SimWindow& w) {
        w.ax.overrides["AXWindowNumber"] = AXValue(std::int64_t{claimed});
    });
    EXPECT_EQ(support->findAXWindow(item, claimed, std::nullopt), element(real));
    EXPECT_EQ(support->findAXWindow(item, claimed, ProcessIDSet{helper, paint}), element(impostor));
    EXPECT_EQ(support->findAXWindow(item, claimed, ProcessIDSet{helper}), element(impostor));
    EXPECT_EQ(support->findAXWindow(item, claimed, ProcessIDSet{}), std::nullopt);

    add(paint, "Zero", {0, 400, 400, 300},
        [](sim::SimWindow& w) { w.ax.overrides["AXWindowNumber"] = AXValue(std::int64_t{0}); });
    EXPECT_EQ(support->findAXWindow(item, 0, std::nullopt), std::nullopt);
    EXPECT_EQ(support->findAXWindow(item, descriptor("0", "Nothing"), false), std::nullopt);
}

}  // namespace
}  // namespace tavelin
