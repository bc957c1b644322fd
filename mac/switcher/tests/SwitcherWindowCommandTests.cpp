#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/tests/SwitcherActivationWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

template <class T>
Task<void> into(Task<T> task, std::optional<T>& out) {
    out = co_await std::move(task);
}

class SwitcherWindowCommandTest : public SwitcherActivationWorld {
  protected:
    // Safari's list fetched, so that its windows are known by their IDs.
    WindowListSnapshot fetchSafari() {
        std::optional<WindowListSnapshot> list;
        startTask(scheduler_.main(), into(windowList_->fetch(item("Safari"), false), list));
        scheduler_.runUntilIdle();
        return *list;
    }
    // The window is closed and opened again under a new number with the title, moved by `dx`.
    sim::SimWindowKey recreate(const WindowListSnapshot& list, std::size_t index, double dx) {
        const auto key = static_cast<sim::SimWindowKey>(std::stoul(list.windows[index].windowID.rawValue()));
        auto window = *mac_.windowWorld().window(key);
        mac_.windowWorld().removeWindow(key);
        window.number = 0;
        window.bounds.x += dx;
        return mac_.windowWorld().addWindow(window);
    }
    Command activation(const WindowListSnapshot& list, std::size_t index) {
        return Command{.kind = CommandKind::windowActivate,
                       .target = item("Safari").itemID,
                       .nonce = "N1",
                       .windowID = list.windows[index].windowID,
                       .expectedWindowListGeneration = list.listGeneration,
                       .windowContentRevision = list.windows[index].contentRevision};
    }
    Command refreshed(Command command) {
        std::optional<Command> out;
        startTask(scheduler_.main(), into(switcher().refreshedWindowActivateCommand(std::move(command), item("Safari")), out));
        scheduler_.runUntilIdle();
        return *out;
    }
    CommandResultPayload run(Command command, const DockItem& target) {
        std::optional<CommandResultPayload> out;
        startTask(scheduler_.main(), into(switcher().performWindowCommand(std::move(command), target), out));
        scheduler_.advance(10s);
        return *out;
    }
};

// An application that made its window again: found by the same title and a frame within 3 points,
// else by a title no other window has, else kept (the pipeline then decides).
TEST_F(SwitcherWindowCommandTest, AnActivationFollowsARecreatedWindow) {
    const auto list = fetchSafari();
    const auto moved3 = recreate(list, 0, 3);
    auto command = refreshed(activation(list, 0));
    EXPECT_EQ(command.windowID, WindowID(std::to_string(moved3)));
    EXPECT_GT(*command.expectedWindowListGeneration, list.listGeneration);
    EXPECT_THAT(actionLog_.lines(), IsEmpty());

    const auto list2 = fetchSafari();
    const auto moved10 = recreate(list2, 0, 10);
    command = refreshed(activation(list2, 0));
    EXPECT_EQ(command.windowID, WindowID(std::to_string(moved10)));
    EXPECT_THAT(actionLog_.lines(), ElementsAre("activate remap by title id " + std::to_string(moved3) +
                                                " -> " + std::to_string(moved10) + " title=Inbox"));
}

TEST_F(SwitcherWindowCommandTest, TwoWindowsWithTheTitleOrNoWindowIDKeepTheCommand) {
    mac_.windowWorld().addWindow(*mac_.windowWorld().window(
        static_cast<sim::SimWindowKey>(std::stoul(fetchSafari().windows[0].windowID.rawValue()))));
    const auto list = fetchSafari();
    ASSERT_THAT(list.windows, SizeIs(2));
    const auto oldID = list.windows[0].windowID;
    recreate(list, 0, 10);
    recreate(list, 1, 10);
    const auto command = refreshed(activation(list, 0));
    EXPECT_EQ(command.windowID, oldID);
    EXPECT_EQ(command.windowContentRevision, list.windows[0].contentRevision);
    EXPECT_GT(*command.expectedWindowListGeneration, list.listGeneration);
    EXPECT_THAT(actionLog_.lines(),
                ElementsAre("activate remap failed windowID=" + oldID.rawValue() + " snapCount=2"));

    auto without = activation(list, 0);
    without.windowID.reset();
    EXPECT_EQ(refreshed(without), without);
}

// Logged as passed, pinned to the panel's display, the panel closed, the list invalidated, unpinned, and
// a failure written to the system log.
TEST_F(SwitcherWindowCommandTest, AWindowCommandPinsClosesAndReportsItsFailure) {
    open();
    const auto list = fetchSafari();
    const Command close{.kind = CommandKind::windowClose,
                        .target = item("Safari").itemID,
                        .nonce = "N2",
                        .windowID = list.windows[0].windowID,
                        .expectedWindowListGeneration = 999};
    std::optional<CommandResultPayload> out;
    startTask(scheduler_.main(), into(switcher().performWindowCommand(close, item("Safari")), out));
    startTask(scheduler_.main(), into(switcher().performWindowCommand(close, item("Safari")), out));
    EXPECT_EQ(pinDepth(), 0);  // a later turn
    scheduler_.advance(10s);
    EXPECT_EQ(out, CommandResultPayload::failure(ProtocolError::staleWindowRevision()));
    EXPECT_EQ(windowList_->cachedListCount(), 0u);  // fetched again next time
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(pinDepth(), 0);
    EXPECT_EQ(resolver_->pinnedScreenID, std::nullopt);
    EXPECT_THAT(logLines("performWindowCommand"),
                ElementsAre("performWindowCommand kind=windowClose window=" + list.windows[0].windowID.rawValue() +
                                " nonce=N2 listGen=999",
                            "performWindowCommand kind=windowClose window=" + list.windows[0].windowID.rawValue() +
                                " nonce=N2 listGen=999"));
    EXPECT_THAT(log_.lines(), testing::Contains("Tavelin window command windowClose failed: Stale window revision"));

    // Not a window kind: the panel stays; nothing of the command is known.
    open();
    const auto result = run(Command{.kind = CommandKind::hideApp, .nonce = "N3"}, item("Safari"));
    EXPECT_EQ(result, CommandResultPayload::failure(ProtocolError::notFound()));
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_THAT(logLines("performWindowCommand kind=hideApp"),
                ElementsAre("performWindowCommand kind=hideApp window=- nonce=N3 listGen=nil"));
    EXPECT_THAT(log_.lines(), testing::Contains("Tavelin window command hideApp failed: Not found"));
}

// The panel's centre decides, by the edge rule: left and top edges belong to a screen, right and
// bottom ones do not; a centre on no screen falls back to the pointer's screen.
TEST_F(SwitcherWindowCommandTest, ThePanelsCentreOnABoundaryPicksOneScreen) {
    open();
    auto& window = switcher().panel()->window();
    const Rect frame = window.frame();
    struct Row {
        Point centre;
        double expectedMinX;
    };
    for (const Row row : {Row{{1440, 500}, 1440}, Row{{1439.5, 500}, 0}, Row{{700, 900}, 0}, Row{{2000, 1080}, 1440},
                          Row{{700, 0}, 1440}}) {
        window.setFrameOrigin({row.centre.x - frame.width / 2, row.centre.y - frame.height / 2});
        const auto screen = switcher().referenceScreenForWindowMove();
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->frame.x, row.expectedMinX) << row.centre.x << "," << row.centre.y;
    }
}

// The windows list activates through the panel's window command, with the shown list's generation. The
// panel opens on the second display and the pointer then rests on the first, by Safari's window: the
// pinned panel's display is the reference, and Shift inverts the setting.
TEST_F(SwitcherWindowCommandTest, AListedWindowIsActivatedThroughTheWindowCommandOnThePanelsDisplay) {
    holdShift(true);
    const auto activateListed = [&](bool setting) {
        setReferenceSetting(setting);
        mac_.displays().setMouseLocation({2400, 540});
        open();
        const auto list = fetchSafari();
        switcher().presentDockAnchoredMenu(item("Safari"), *pathTitled("Safari"),
                                           SwitcherController::ContentMode::windowsOnly, list);
        switcher().dockAnchoredMenu().enterWindowFocusFromTop();
        mac_.displays().setMouseLocation({700, 450});
        actionLog_.clear();
        startTask(scheduler_.main(), switcher().dockAnchoredMenu().activateFocusedWindow(item("Safari")));
        scheduler_.advance(10s);
        EXPECT_THAT(
            logLines("performWindowCommand"),
            ElementsAre(testing::MatchesRegex(
                "performWindowCommand kind=windowActivate window=" + list.windows[0].windowID.rawValue() +
                " nonce=.* listGen=" + std::to_string(list.listGeneration))));
        EXPECT_FALSE(switcher().isOpen());
        EXPECT_EQ(pinDepth(), 0);
        return windowsOf("com.apple.Safari").at(0).bounds.x;
    };
    EXPECT_LT(activateListed(true), 1440);
    EXPECT_GE(activateListed(false), 1440);
}

}  // namespace
}  // namespace tavelin
