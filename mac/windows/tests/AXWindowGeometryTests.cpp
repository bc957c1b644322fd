#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "mac/windows/AXWindowGeometry.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Passes every call to the simulated Mac and records the writes with their virtual times.
class RecordingAccessibility final : public Accessibility {
  public:
    struct Write {
        std::string attribute;
        AXValue value;
        Duration at;
        friend bool operator==(const Write&, const Write&) = default;
    };

    RecordingAccessibility(const Accessibility& inner, const Clock& clock) : inner_(inner), clock_(clock) {}

    bool isProcessTrusted() const override { return inner_.isProcessTrusted(); }
    bool isProcessTrustedWithOptions(bool prompt) const override { return inner_.isProcessTrustedWithOptions(prompt); }
    std::expected<AXValue, AXError> copyAttributeValue(const AXElement& e, std::string_view a) const override {
        return inner_.copyAttributeValue(e, a);
    }
    std::expected<void, AXError> setAttributeValue(const AXElement& e, std::string_view a,
                                                   const AXValue& v) const override {
        writes.push_back({std::string(a), v, clock_.uptime()});
        return inner_.setAttributeValue(e, a, v);
    }
    std::expected<void, AXError> performAction(const AXElement& e, std::string_view a) const override {
        return inner_.performAction(e, a);
    }
    std::expected<void, AXError> setMessagingTimeout(const AXElement& e, double s) const override {
        return inner_.setMessagingTimeout(e, s);
    }
    std::expected<std::uint32_t, AXError> windowNumber(const AXElement& e) const override {
        return inner_.windowNumber(e);
    }

    std::vector<Write> positions() const {
        std::vector<Write> found;
        for (const auto& write : writes) {
            if (write.attribute == "AXPosition") found.push_back(write);
        }
        return found;
    }
    std::vector<std::string> attributes() const {
        std::vector<std::string> names;
        for (const auto& write : writes) names.push_back(write.attribute);
        return names;
    }

    mutable std::vector<Write> writes;

  private:
    const Accessibility& inner_;
    const Clock& clock_;
};

class AXWindowGeometryTest : public ::testing::Test, protected WindowTestWorld {
  protected:
    AXWindowGeometryTest() : recording(mac->accessibility(), scheduler.clock()) {}

    AXWindowGeometry geometry() {
        auto p = platform();
        return AXWindowGeometry(WindowPlatform{recording, p.windowServer, p.screens, p.applications, p.mouseCursor,
                                               p.scheduler, p.log, p.actionLog, p.privateWindowServer,
                                               p.connection, p.host, p.workspace, p.files, p.appleScripts});
    }

    RecordingAccessibility recording;
};

TEST_F(AXWindowGeometryTest, AnUnanimatedMoveWritesSizePositionSize) {
    EXPECT_TRUE(geometry().setCocoaFrame(element("Front"), WindowFrame{40, 100, 600, 500}, false));
    EXPECT_THAT(recording.attributes(), ElementsAre("AXSize", "AXPosition", "AXSize"));
    // Top-left origin: 900 - (100 + 500).
    EXPECT_EQ(bounds("Front"), (Rect{40, 300, 600, 500}));
    EXPECT_EQ(now(), Duration::zero());
}

TEST_F(AXWindowGeometryTest, ARefusedPositionIsTriedThreeTimesAndTheLastDecides) {
    editWindow("Front", [](sim::SimWindow& w) { w.ax.refusals["AXPosition"] = AXError::cannotComplete; });
    EXPECT_FALSE(geometry().setCocoaFrame(element("Front"), WindowFrame{40, 100, 600, 500}, false));
    const auto positions = recording.positions();
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions[1].at, 100ms);
    EXPECT_EQ(positions[2].at, 220ms);
    EXPECT_EQ(recording.attributes().back(), "AXSize");
    EXPECT_THAT(systemLog.lines(), ElementsAre("Tavelin AX: set AXPosition err=-25204", "Tavelin AX: set AXPosition err=-25204",
                                               "Tavelin AX: set AXPosition err=-25204"));
}

TEST_F(AXWindowGeometryTest, AnAnimatedMoveEasesSixteenStepsThenLandsExactly) {
    // From (100, 200) to (500, 600) in top-left coordinates.
    EXPECT_TRUE(geometry().setCocoaFrame(element("Front"), WindowFrame{500, -300, 800, 600}, true));
    const auto positions = recording.positions();
    ASSERT_EQ(positions.size(), 17u);
    EXPECT_EQ(positions[3].value, AXValue(Point{150, 250}));   // e = 0.125
    EXPECT_EQ(positions[7].value, AXValue(Point{300, 400}));   // e = 0.5
    EXPECT_EQ(positions[11].value, AXValue(Point{450, 550}));  // e = 0.875
    EXPECT_EQ(positions[15].value, AXValue(Point{500, 600}));  // e = 1
    EXPECT_EQ(positions[16].value, AXValue(Point{500, 600}));
    EXPECT_EQ(positions[15].at, 15 * 12500us);  // no pause after the sixteenth step
    EXPECT_EQ(positions[16].at, positions[15].at);
    EXPECT_EQ(recording.attributes().front(), "AXSize");
    EXPECT_EQ(recording.attributes().back(), "AXSize");
    EXPECT_EQ(bounds("Front"), (Rect{500, 600, 800, 600}));
}

TEST_F(AXWindowGeometryTest, AnAnimatedMoveWithoutAReadableStartWritesTheTargetEveryStep) {
    editWindow("Front", [](sim::SimWindow& w) {
        w.ax.overrides["AXPosition"] = std::unexpected(AXError::cannotComplete);
        w.ax.overrides["AXFrame"] = AXValue(std::string("not a frame"));
    });
    EXPECT_TRUE(geometry().setCocoaFrame(element("Front"), WindowFrame{500, -300, 800, 600}, true));
    for (const auto& write : recording.positions()) EXPECT_EQ(write.value, AXValue(Point{500, 600}));
}

TEST_F(AXWindowGeometryTest, ValuesThatCannotBeWrappedWriteNothing) {
    const double nan = std::nan("");
    EXPECT_FALSE(geometry().setAXSize(element("Front"), Size{nan, 10}));
    EXPECT_FALSE(geometry().setAXPosition(element("Front"), Point{1, INFINITY}));
    EXPECT_FALSE(geometry().setCocoaFrame(element("Front"), WindowFrame{0, 0, 100, nan}, true));
    EXPECT_THAT(recording.writes, IsEmpty());
    EXPECT_THAT(systemLog.lines(), IsEmpty());
}

TEST_F(AXWindowGeometryTest, UnminimizeLeavesANormalWindowAloneAndPollsARestore) {
    EXPECT_TRUE(geometry().unminimize(element("Front"), "w1:Front", false));
    EXPECT_THAT(recording.writes, IsEmpty());

    mac->windowWorld().setMinimized(number("Front"), true);
    mac->windowWorld().setStateDelay(300ms);
    EXPECT_TRUE(geometry().unminimize(element("Front"), "w1:Front", false));
    // Readings at 0, 0.05, 0.15, 0.25 (minimized) and 0.35 s.
    EXPECT_EQ(now(), 350ms);

    mac->windowWorld().setMinimized(number("Front"), true);
    mac->windowWorld().setStateDelay(10s);
    const auto start = now();
    EXPECT_FALSE(geometry().unminimize(element("Front"), "w1:Front", true));
    EXPECT_EQ(now() - start, 1950ms);
    EXPECT_THAT(systemLog.lines(), ElementsAre("Tavelin unminimize: still minimized after set window=w1:Front"));

    editWindow("Front", [](sim::SimWindow& w) { w.ax.refusals["AXMinimized"] = AXError::failure; });
    EXPECT_FALSE(geometry().unminimize(element("Front"), "w1:Front", true));
    EXPECT_EQ(systemLog.lines().back(), "Tavelin unminimize: set minimized=false failed window=w1:Front err=-25200");
}

TEST_F(AXWindowGeometryTest, EnsureOnScreenRaisesUntilTheSpaceHasSwitched) {
    EXPECT_TRUE(geometry().ensureCGWindowOrderedOnScreen(number("Front"), element("Front"), pid("com.apple.Safari"),
                                                         "Front", 10));
    EXPECT_THAT(actionLog.lines(), IsEmpty());

    mac->windowWorld().setSwitchDelay(250ms);
    mac->calls().clear();
    const auto n = std::to_string(number("Elsewhere"));
    EXPECT_TRUE(geometry().ensureCGWindowOrderedOnScreen(number("Elsewhere"), element("Elsewhere"),
                                                         pid("com.apple.Notes"), "w:Elsewhere", 10));
    EXPECT_THAT(actionLog.lines(), ElementsAre("activate ensure visible start cgID=" + n + " window=w:Elsewhere",
                                               "activate ensure visible ok cgID=" + n + " attempt=2"));
    EXPECT_EQ(now(), 250ms);
    EXPECT_THAT(mac->calls().calls(),
                ::testing::Contains("RunningApplication.activate " + std::to_string(pid("com.apple.Notes")) + " options=2"));
}

TEST_F(AXWindowGeometryTest, EnsureOnScreenGivesUpAfterItsAttempts) {
    mac->windowWorld().setRaiseSwitchesSpace(false);
    const auto n = std::to_string(number("Elsewhere"));
    EXPECT_FALSE(geometry().ensureCGWindowOrderedOnScreen(number("Elsewhere"), element("Elsewhere"),
                                                          pid("com.apple.Safari"), "w:Elsewhere", 10));
    EXPECT_EQ(now(), 950ms);
    EXPECT_EQ(actionLog.lines().back(), "activate ensure visible failed cgID=" + n + " window=w:Elsewhere");
    actionLog.clear();
    EXPECT_FALSE(geometry().ensureCGWindowOrderedOnScreen(number("Elsewhere"), element("Elsewhere"),
                                                          pid("com.apple.Safari"), "w:Elsewhere", 0));
    EXPECT_EQ(actionLog.lines().size(), 2u);
    EXPECT_EQ(now(), 950ms);
}

}  // namespace
}  // namespace tavelin
