#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "mac/windows/WindowGeometry.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

Task<void> fetchInto(std::shared_ptr<WindowListService> service, DockItem item, bool granted,
                     std::optional<WindowListSnapshot>& answer) {
    answer = co_await service->fetch(std::move(item), granted);
}
Task<void> invalidateItem(std::shared_ptr<WindowListService> service, ItemID itemID) {
    co_await service->invalidate(std::move(itemID));
}
Task<void> lookUp(std::shared_ptr<WindowListService> service, ItemID itemID, WindowID windowID,
                  std::optional<WindowDescriptor>& answer) {
    answer = co_await service->descriptor(std::move(itemID), std::move(windowID));
}

class WindowListServiceTest : public ::testing::Test {
  protected:
    WindowListServiceTest() : service(std::make_shared<WindowListService>(world.platform())) {}

    WindowListSnapshot fetch(const DockItem& item, bool granted = true) {
        std::optional<WindowListSnapshot> answer;
        startTask(world.scheduler.main(), fetchInto(service, item, granted, answer));
        world.scheduler.runUntilIdle();
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(WindowListSnapshot{});
    }
    void invalidate(const DockItem& item) {
        startTask(world.scheduler.main(), invalidateItem(service, item.itemID));
        world.scheduler.runUntilIdle();
    }

    WindowFinderWorld world;
    std::shared_ptr<WindowListService> service;
    DockItem safari = WindowFinderWorld::appItem("com.apple.Safari");
    DockItem notes = WindowFinderWorld::appItem("com.apple.Notes");
};

TEST_F(WindowListServiceTest, GenerationsAreSharedByItemsAndEarlyReturnsUseNone) {
    const auto first = fetch(safari);
    EXPECT_TRUE(first.accessibilityGranted);
    ASSERT_TRUE(first.connectedDisplays.has_value());
    EXPECT_EQ(first.connectedDisplays->size(), 2u);
    EXPECT_EQ(first.connectedDisplays->front().screenID, ScreenID("1"));
    EXPECT_EQ(fetch(notes).listGeneration, first.listGeneration + 1);
    EXPECT_EQ(fetch(safari).listGeneration, first.listGeneration + 2);

    world.mac->accessibility().setProcessTrusted(false);
    const auto untrusted = fetch(safari);
    EXPECT_FALSE(untrusted.accessibilityGranted);
    EXPECT_EQ(untrusted.listGeneration, first.listGeneration + 2);
    EXPECT_TRUE(untrusted.windows.empty());
    EXPECT_EQ(untrusted.connectedDisplays, std::nullopt);

    invalidate(safari);
    EXPECT_EQ(fetch(safari).listGeneration, 0);
    world.mac->accessibility().setProcessTrusted(true);
    EXPECT_EQ(fetch(safari).listGeneration, first.listGeneration + 3);
    EXPECT_EQ(fetch(WindowFinderWorld::appItem("com.example.NotRunning")).listGeneration, 0);
    EXPECT_EQ(fetch(notes).listGeneration, first.listGeneration + 4);
}

TEST_F(WindowListServiceTest, AFetchListsTheItemsWindowsWithTheirTokensAndFindsThemAgain) {
    const auto list = fetch(safari);
    std::vector<std::string> titles;
    for (const auto& window : list.windows) titles.push_back(window.title);
    // In Accessibility order; "Elsewhere" waits on the first display's other Space.
    EXPECT_EQ(titles, (std::vector<std::string>{"Front", "Elsewhere", "Studio"}));
    const auto& front = list.windows.front();
    EXPECT_EQ(front.windowID.rawValue(), std::to_string(world.number("Front")));
    EXPECT_EQ(front.thumbnailToken, "w:" + front.windowID.rawValue() + ":" + std::to_string(front.contentRevision));
    EXPECT_EQ(front.frame, (WindowFrame{100, 100, 800, 600}));
    EXPECT_TRUE(front.supportsResize && front.supportsTile);
    const auto withoutPermission = fetch(safari, false).windows.front();
    EXPECT_FALSE(withoutPermission.thumbnailToken.has_value());

    std::optional<WindowDescriptor> found;
    startTask(world.scheduler.main(), lookUp(service, safari.itemID, front.windowID, found));
    world.scheduler.runUntilIdle();
    EXPECT_EQ(found, withoutPermission);

    // One point further the window has another revision.
    world.mac->windowWorld().setBounds(world.number("Front"), Rect{101, 200, 800, 600});
    EXPECT_NE(fetch(safari).windows.front().contentRevision, front.contentRevision);
}

TEST_F(WindowListServiceTest, OfTwoOverlappingFetchesTheLaterFinisherKeepsItsList) {
    std::optional<WindowListSnapshot> first;
    std::optional<WindowListSnapshot> second;
    startTask(world.scheduler.main(), fetchInto(service, safari, true, first));
    startTask(world.scheduler.main(), fetchInto(service, safari, true, second));
    startTask(world.scheduler.main(), invalidateItem(service, safari.itemID));
    world.scheduler.runUntilIdle();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->listGeneration, second->listGeneration);

    std::optional<WindowDescriptor> found;
    startTask(world.scheduler.main(), lookUp(service, safari.itemID, second->windows.front().windowID, found));
    world.scheduler.runUntilIdle();
    EXPECT_TRUE(found.has_value());
    EXPECT_EQ(fetch(safari).listGeneration, std::max(first->listGeneration, second->listGeneration) + 1);
}

TEST_F(WindowListServiceTest, AnEmptyListUsesAGenerationAndIsLogged) {
    for (const auto& state : world.mac->windowWorld().windows()) {
        if (state.window.name == "Notes") world.mac->windowWorld().removeWindow(state.key);
    }
    const auto list = fetch(notes);
    EXPECT_TRUE(list.windows.empty());
    EXPECT_EQ(list.listGeneration, 1);
    EXPECT_EQ(list.connectedDisplays->size(), 2u);
    const auto pid = std::to_string(world.pid("com.apple.Notes"));
    EXPECT_EQ(world.actionLog.lines().back(), "windowList fetch empty bundle=com.apple.Notes pid=" + pid);
    EXPECT_EQ(world.systemLog.lines().back(), "Tavelin windowList: no windows for pid=" + pid + " item=item-com.apple.Notes");
}

}  // namespace
}  // namespace tavelin
