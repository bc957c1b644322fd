#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/SimDrag.h"
#include "platform/sim/SimItemProvider.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using ::testing::ElementsAre;

std::string point(Point p) {
    return std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y));
}

class RecordingView final : public PointerInputView {
  public:
    void mouseDown(Point p) override { lines.push_back("down " + point(p)); }
    void mouseUp(Point p) override { lines.push_back("up " + point(p)); }
    void rightMouseDown(Point p) override { lines.push_back("right " + point(p)); }
    void mouseMoved(Point p) override { lines.push_back("moved " + point(p)); }
    void mouseExited() override { lines.push_back("exited"); }
    DropOperation dragUpdated(const DragInfo& drag) override {
        lines.push_back("drag " + point(drag.location) + " items " +
                        std::to_string(drag.itemProviders.size()));
        return DropOperation::copy;
    }
    void dragExited() override { lines.push_back("drag exited"); }
    bool performDrop(const DragInfo& drag) override {
        lines.push_back("drop " + point(drag.location));
        return true;
    }
    std::vector<std::string> lines;
};

class SimPointerRouterTest : public ::testing::Test {
  protected:
    SimPointerRouterTest() : mac_(Desktop{}, home_.path(), scheduler_, log_) {
        scheduler_.runUntilIdle();
        // A panel 200 by 100 whose bottom-left corner is at (100, 100) on screen.
        panel_ = mac_.appWindows().makePanel(PanelConfiguration{Rect{100, 100, 200, 100}});
        panel_->setPointerInputView(&view_);
        panel_->makeKeyAndOrderFront();
    }

    void at(Point location) {
        mac_.input().moveMouse(location);
        scheduler_.runUntilIdle();
    }
    void click(std::int64_t button) {
        mac_.input().mouseDown(button);
        mac_.input().mouseUp(button);
        scheduler_.runUntilIdle();
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    SimMac mac_;
    RecordingView view_;
    std::unique_ptr<AppPanel> panel_;
};

TEST_F(SimPointerRouterTest, MouseEventsReachTheViewInItsOwnTopDownPointsAfterTheMonitors) {
    // A monitor that consumes right clicks keeps them from the view.
    mac_.input().addLocalMonitor(eventMaskBit(EventType::rightMouseDown),
                                 [](const InputEvent&) { return std::optional<InputEvent>(); });
    at({150, 180});
    click(0);
    click(1);
    at({160, 180});
    // Pressed inside, released outside: the release still goes to the view.
    mac_.input().mouseDown(0);
    at({50, 50});
    mac_.input().mouseUp(0);
    scheduler_.runUntilIdle();
    EXPECT_THAT(view_.lines, ElementsAre("moved 50,20", "down 50,20", "up 50,20", "moved 60,20", "down 60,20",
                                         "exited", "up -50,150"));
}

TEST_F(SimPointerRouterTest, ADragEntersLeavesAndDropsWithItsItemsAndFiles) {
    const auto provider = std::make_shared<SimItemProvider>(
        scheduler_.main(), std::string(kFileURLTypeIdentifier), "file:///Users/me/a.txt");
    SimDrag drag(mac_.pointerRouter(), mac_.dragPasteboard(), {"file:///Users/me/a.txt"}, {provider});
    EXPECT_EQ(mac_.dragPasteboard().readURLs(PasteboardURLs::fileURLsOnly),
              (std::vector<std::string>{"file:///Users/me/a.txt"}));
    EXPECT_EQ(drag.moveTo({50, 50}), DropOperation::forbidden);
    EXPECT_EQ(drag.moveTo({110, 190}), DropOperation::copy);
    drag.moveTo({400, 190});
    drag.moveTo({290, 110});
    EXPECT_TRUE(drag.drop());
    EXPECT_THAT(view_.lines,
                ElementsAre("drag 10,10 items 1", "drag exited", "drag 190,90 items 1", "drop 190,90"));

    // A panel ordered out takes no drag.
    panel_->orderOut();
    EXPECT_EQ(drag.moveTo({110, 190}), DropOperation::forbidden);
    EXPECT_FALSE(drag.drop());
}

TEST_F(SimPointerRouterTest, ItemProvidersAnswerOnTheMainQueueAfterTheirDelayOrFail) {
    SimItemProvider good(scheduler_.main(), std::string(kFileURLTypeIdentifier), "file:///a",
                         std::chrono::milliseconds(300));
    SimItemProvider failing(scheduler_.main(), std::string(kFileURLTypeIdentifier), std::nullopt);
    std::vector<std::optional<std::string>> answers;
    good.loadURL([&](std::optional<std::string> url) { answers.push_back(url); });
    failing.loadURL([&](std::optional<std::string> url) { answers.push_back(url); });
    EXPECT_TRUE(answers.empty());  // never inside the call
    scheduler_.advance(std::chrono::milliseconds(299));
    EXPECT_EQ(answers, (std::vector<std::optional<std::string>>{std::nullopt}));
    scheduler_.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(answers, (std::vector<std::optional<std::string>>{std::nullopt, "file:///a"}));
    EXPECT_FALSE(good.hasItemConformingToTypeIdentifier("public.utf8-plain-text"));
}

TEST_F(SimPointerRouterTest, APanelWithoutItsOwnAppearanceFollowsTheSystem) {
    EXPECT_EQ(panel_->effectiveAppearance(), Appearance::aqua);
    mac_.appWindows().setSystemAppearance(Appearance::darkAqua);
    EXPECT_EQ(panel_->effectiveAppearance(), Appearance::darkAqua);
    panel_->setAppearance(Appearance::aqua);
    EXPECT_EQ(panel_->effectiveAppearance(), Appearance::aqua);
}

}  // namespace
}  // namespace tavelin::sim
