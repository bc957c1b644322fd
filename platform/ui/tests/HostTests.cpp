#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Host.h"
#include "platform/ui/Views.h"
#include "platform/ui/tests/FixedAdvanceMeasurer.h"

namespace tavelin::ui {
namespace {

constexpr Color kGrey = Color::white(0.5);

// Records what reaches the views, in order.
struct Journal {
    std::vector<std::string> lines;
    std::function<void()> tap(std::string name) {
        return [this, name] { lines.push_back("tap " + name); };
    }
    std::function<void(const HoverPhase&)> hover(std::string name) {
        return [this, name](const HoverPhase& phase) {
            lines.push_back(phase.active ? "hover " + name + " " + std::to_string(static_cast<int>(phase.location.x)) +
                                               "," + std::to_string(static_cast<int>(phase.location.y))
                                         : "left " + name);
        };
    }
};

class RecordingDropDelegate final : public DropDelegate {
  public:
    RecordingDropDelegate(Journal& journal, std::string name) : journal_(journal), name_(std::move(name)) {}
    void dropEntered(const DropInfo&) override { journal_.lines.push_back("enter " + name_); }
    DropOperation dropUpdated(const DropInfo& info) override {
        journal_.lines.push_back("update " + name_ + " " + std::to_string(static_cast<int>(info.location.x)));
        return DropOperation::copy;
    }
    void dropExited(const DropInfo&) override { journal_.lines.push_back("exit " + name_); }
    bool performDrop(const DropInfo&) override {
        journal_.lines.push_back("drop " + name_);
        return true;
    }

  private:
    Journal& journal_;
    std::string name_;
};

Host makeHost(std::function<View()> build) {
    Host host(std::make_shared<FixedAdvanceMeasurer>(), [build = std::move(build)](const BuildContext&) { return build(); });
    host.setSize({90, 40});
    host.update();
    return host;
}

// A 40 by 40 cell that can be tapped, hovered and dropped on; two side by side fill the host.
View cell(Journal& journal, const std::string& name) {
    return roundedRectangle(10, Color::clear())
        .frame(40, 40)
        .onTap(journal.tap(name))
        .onHover(journal.hover(name))
        .onDrop(std::make_shared<RecordingDropDelegate>(journal, name))
        .id(name);
}

TEST(HostTests, TheTopmostViewTakesTheClickAndZIndexDecidesWhichIsTopmost) {
    Journal journal;
    bool raiseFirst = false;
    Host host = makeHost([&] {
        return zstack({rectangle(kGrey).frame(60, 40).onTap(journal.tap("first")).zIndex(raiseFirst ? 1 : 0),
                       rectangle(kGrey).frame(30, 40).onTap(journal.tap("second"))});
    });
    host.mouseDown({50, 20});
    host.mouseUp({50, 20});
    host.mouseDown({25, 20});
    host.mouseUp({25, 20});
    raiseFirst = true;
    host.update();
    host.mouseDown({50, 20});
    host.mouseUp({50, 20});
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"tap second", "tap first", "tap first"}));
}

TEST(HostTests, AViewThatTakesNoClicksLetsThemThroughAndOtherDrawnViewsStopThem) {
    Journal journal;
    bool labelTakesClicks = false;
    Host host = makeHost([&] {
        // The label of the left cell overhangs the right one and is drawn above it.
        const View label = capsule(kGrey).frame(80, 10).allowsHitTesting(labelTakesClicks);
        const View square = roundedRectangle(10, Color::clear()).frame(40, 40);
        return hstack(10, {square.overlay(label, Alignment::bottom()).onTap(journal.tap("left")).zIndex(1),
                           square.onTap(journal.tap("right"))});
    });
    host.mouseDown({55, 35});
    host.mouseUp({55, 35});
    labelTakesClicks = true;
    host.update();
    // Now the label is hit: it belongs to the left cell, whose tap runs.
    host.mouseDown({55, 35});
    host.mouseUp({55, 35});
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"tap right", "tap left"}));

    Journal blocked;
    Host badged = makeHost([&] {
        return zstack({cell(blocked, "under"), text("badge", Font::system(10), kGrey).frame(40, 12)});
    });
    badged.mouseDown({45, 20});
    badged.mouseUp({45, 20});
    EXPECT_TRUE(blocked.lines.empty());
}

TEST(HostTests, AClickIsAPressAndAReleaseOverTheSameView) {
    Journal journal;
    Host host = makeHost([&] { return hstack(10, {cell(journal, "a"), cell(journal, "b")}); });
    host.mouseDown({5, 5});
    host.mouseUp({55, 5});
    host.mouseDown({95, 5});  // outside every cell
    host.mouseUp({55, 5});
    host.mouseUp({55, 5});  // a release without a press
    EXPECT_TRUE(journal.lines.empty());
}

TEST(HostTests, HoverEntersMovesInLocalCoordinatesAndLeaves) {
    Journal journal;
    Host host = makeHost([&] { return hstack(10, {cell(journal, "a"), cell(journal, "b")}); });
    host.mouseMoved({5, 6});
    host.mouseMoved({7, 8});
    host.mouseMoved({45, 8});  // the gap between the cells
    host.mouseMoved({60, 1});
    host.mouseExited();
    host.mouseExited();
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{"hover a 5,6", "hover a 7,8", "left a", "hover b 10,1", "left b"}));
}

TEST(HostTests, DragsEnterUpdateAndExitEachTargetAndTheDropGoesToTheOneUnderThePoint) {
    Journal journal;
    Host host = makeHost([&] { return hstack(10, {cell(journal, "a"), cell(journal, "b")}); });
    EXPECT_EQ(host.dragUpdated({{5, 5}}), DropOperation::copy);
    host.dragUpdated({{6, 5}});
    host.dragUpdated({{55, 5}});
    EXPECT_EQ(host.dragUpdated({{45, 5}}), DropOperation::forbidden);
    host.dragUpdated({{60, 5}});
    EXPECT_TRUE(host.performDrop({{60, 5}}));
    EXPECT_FALSE(host.performDrop({{45, 5}}));
    host.dragUpdated({{1, 1}});
    host.dragExited();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"enter a", "update a 5", "update a 6", "exit a", "enter b",
                                                       "update b 5", "exit b", "enter b", "update b 10", "drop b",
                                                       "enter a", "update a 1", "exit a"}));
}

TEST(HostTests, ASecondaryClickOpensTheContextMenuOfTheViewUnderIt) {
    int opened = 0;
    Host host = makeHost([&] { return rectangle(kGrey).frame(40, 40).onContextMenu([&] { ++opened; }); });
    host.rightMouseDown({50, 20});
    host.rightMouseDown({5, 5});
    EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace tavelin::ui
