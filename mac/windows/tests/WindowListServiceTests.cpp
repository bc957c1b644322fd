#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "mac/windows/WindowGeometry.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

class WindowListServiceTest : public ::testing::Test {
  protected:
    WindowListServiceTest() : service(std::make_shared<WindowListService>(world.platform())) {}

    WindowListSnapshot fetch(const DockItem& item, bool granted = true) {
        std::optional<WindowListSnapshot> answer;
        startTask(world.scheduler.main(), into(service->fetch(item, granted), answer));
        world.scheduler.runUntilIdle();
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(WindowListSnapshot{});
    }
    void invalidate(const DockItem& item) {
        startTask(world.scheduler.main(), service->invalidate(item.itemID));
        world.scheduler.runUntilIdle();
    }

    WindowFinderWorld world;
    std::shared_ptr<WindowListService> service;
    DockItem safari = appItem("com.apple.Safari");
    DockItem notes = appItem("com.apple.Notes");
};

TEST_F(WindowListServiceTest, GenerationsAreSharedByItemsAndEarlyReturnsUseNone) {
    const auto first = fetch(safari);
    EXPECT_TRUE(first.accessibilityGranted);
    ASSERT_TRUE(first.connectedDisplays.has_value());
    EXPECT_EQ(first.connectedDisplays->size(), 2u);
    EXPECT_EQ(first.connectedDisplays->front(), (ConnectedDisplay{ScreenID("1"), "Built-in"}));
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
    EXPECT_EQ(fetch(appItem("com.example.NotRunning")).listGeneration, 0);
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
    startTask(world.scheduler.main(), into(service->descriptor(safari.itemID, front.windowID), found));
    world.scheduler.runUntilIdle();
    EXPECT_EQ(found, withoutPermission);

    // One point further the window has another revision.
    world.mac->windowWorld().setBounds(world.number("Front"), Rect{101, 200, 800, 600});
    EXPECT_NE(fetch(safari).windows.front().contentRevision, front.contentRevision);
}

// Invalidates on the service's queue while the fetch started before it is under way, then renames a
// window on the main queue and fetches again before that fetch has finished.
Task<WindowListSnapshot> invalidateRenameAndFetch(std::shared_ptr<WindowListService> service, DockItem item,
                                                  Queue& main, sim::SimWindowWorld& windows,
                                                  std::uint32_t number) {
    co_await service->invalidate(item.itemID);
    co_await main.hop();
    auto window = *windows.window(number);
    window.name = "Renamed";
    windows.setWindow(number, window);
    co_return co_await service->fetch(std::move(item), true);
}

TEST_F(WindowListServiceTest, WhileFetchesWaitOnTheMainQueueTheServiceGoesOnAndTheLaterFinisherKeepsItsList) {
    const auto before = fetch(safari);
    std::optional<WindowListSnapshot> first;
    std::optional<WindowListSnapshot> second;
    startTask(world.scheduler.main(), into(service->fetch(safari, true), first));
    startTask(world.scheduler.main(),
              into(invalidateRenameAndFetch(service, safari, world.scheduler.main(), world.mac->windowWorld(),
                                            world.number("Front")),
                   second));
    world.scheduler.runUntilIdle();
    ASSERT_TRUE(first && second);

    // Each keeps the list it built and its own generation; the invalidation in between took nothing
    // from either, and the later one is kept.
    EXPECT_EQ(first->listGeneration, before.listGeneration + 1);
    EXPECT_EQ(first->windows.front().title, "Front");
    EXPECT_EQ(second->listGeneration, before.listGeneration + 2);
    EXPECT_EQ(second->windows.front().title, "Renamed");
    std::optional<WindowListService::CachedList> kept;
    startTask(world.scheduler.main(), into(service->cachedList(safari.itemID), kept));
    world.scheduler.runUntilIdle();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->generation, second->listGeneration);
    EXPECT_EQ(kept->windows, second->windows);
}

TEST_F(WindowListServiceTest, EachWindowSaysWhatItSupportsAndOnlyANumberedOneGetsAToken) {
    const auto editor = world.launch("com.example.Editor");
    world.add(editor, "Alert", Rect{100, 100, 600, 400}, [](sim::SimWindow& w) {
        w.ax.subrole = "AXSystemDialog";
        w.ax.fullScreen = true;  // a dialog standing alone is a user window
        w.ax.fullScreenButton = false;
    });
    world.add(editor, "Docked", Rect{700, 100, 300, 200}, [](sim::SimWindow& w) {
        w.listed = false;  // nothing to join it to
        w.ax.minimized = true;
        w.ax.hidden = true;  // a minimized window stays listed while its application is hidden
    });
    const auto item = appItem("com.example.Editor");
    const auto list = fetch(item);
    ASSERT_EQ(list.windows.size(), 2u);

    const auto& docked = list.windows[0];
    EXPECT_EQ(docked.title, "Docked");
    EXPECT_EQ(docked.state, WindowState::minimized);
    EXPECT_FALSE(parseCGWindowID(docked.windowID));
    EXPECT_EQ(docked.thumbnailToken, std::nullopt);
    EXPECT_TRUE(docked.frame && docked.supportsClose && docked.supportsFullScreen);
    EXPECT_FALSE(docked.supportsResize || docked.supportsTile);
    EXPECT_NE(fetch(item).windows[0].windowID, docked.windowID);

    const auto& alert = list.windows[1];
    EXPECT_EQ(alert.state, WindowState::fullscreen);
    EXPECT_TRUE(alert.supportsFullScreen);
    EXPECT_TRUE(alert.frame.has_value());
    EXPECT_FALSE(alert.supportsResize || alert.supportsTile);
    EXPECT_EQ(alert.thumbnailToken, "w:" + alert.windowID.rawValue() + ":" + std::to_string(alert.contentRevision));
}

TEST_F(WindowListServiceTest, ABrowserWhoseWindowsAreAllFilteredOutListsItsLiveWindows) {
    const auto browser = world.launch("com.google.Chrome");
    world.add(browser, "Inbox", Rect{100, 100, 800, 600}, [](sim::SimWindow& w) { w.listed = false; });
    for (const auto* title : {"Away", "Asleep"}) {
        world.add(browser, title, Rect{100, 100, 800, 600}, [](sim::SimWindow& w) {
            w.listed = false;
            w.ax.hidden = true;
        });
    }
    world.add(browser, "Bubble", Rect{100, 100, 800, 600}, [](sim::SimWindow& w) {
        w.listed = false;
        w.ax.role = "AXPopover";
    });
    const auto list = fetch(appItem("com.google.Chrome"));
    ASSERT_EQ(list.windows.size(), 1u);
    EXPECT_EQ(list.windows[0].title, "Inbox");
    EXPECT_EQ(world.actionLog.lines(), (std::vector<std::string>{
        "windowList drop offscreen-only removed=1 bundle=com.google.Chrome",
        "windowList filtered all axRaw=4 afterAX=1 merged=0 skipInclude=1 skipHidden=2 bundle=com.google.Chrome",
        "windowList fetch empty; AX fallback count=1 bundle=com.google.Chrome",
    }));
}

TEST_F(WindowListServiceTest, AFoldersListIsTheFindersAndAnEmptyOneUsesAGenerationAndIsLogged) {
    const auto finder = world.launch(std::string(kFinderBundleID));
    DockItem folder;
    folder.itemID = ItemID("item-documents");
    folder.kind = DockItemKind::folder;
    folder.path = "/Users/me/Documents";

    const auto list = fetch(folder);
    EXPECT_TRUE(list.windows.empty());
    EXPECT_EQ(list.listGeneration, 1);
    EXPECT_EQ(list.connectedDisplays->size(), 2u);
    const auto pid = std::to_string(finder);
    EXPECT_EQ(world.actionLog.lines().back(), "windowList fetch empty bundle=com.apple.finder pid=" + pid);
    EXPECT_EQ(world.systemLog.lines().back(), "Tavelin windowList: no windows for pid=" + pid + " item=item-documents");

    // Finder's rule holds for the folder: a titled dialog is listed, though any other application's
    // would be a phantom.
    world.add(finder, "Copy", Rect{100, 100, 400, 200}, [](sim::SimWindow& w) { w.ax.subrole = "AXDialog"; });
    const auto withDialog = fetch(folder);
    ASSERT_EQ(withDialog.windows.size(), 1u);
    EXPECT_EQ(withDialog.windows[0].title, "Copy");
}

// The Mac's window server, counting the lists asked of it.
class CountingWindowServer : public WindowServer {
  public:
    explicit CountingWindowServer(WindowServer& server) : server_(server) {}
    std::optional<PlistValue> copyWindowInfo(WindowListOption option,
                                             std::uint32_t relativeToWindow) const override {
        ++lists;
        return server_.copyWindowInfo(option, relativeToWindow);
    }
    std::optional<Bitmap> createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                            std::uint32_t windowID, WindowImageOption imageOption) override {
        return server_.createWindowImage(bounds, option, windowID, imageOption);
    }
    mutable int lists = 0;

  private:
    WindowServer& server_;
};

TEST_F(WindowListServiceTest, EachWindowServerListIsReadOnceHoweverManyWindowsAndALongListKeepsItsOrder) {
    const auto editor = world.launch("com.example.Editor");
    CountingWindowServer counting(world.mac->windowServer());
    service = std::make_shared<WindowListService>(world.platform(counting));
    int fewWindowsLists = 0;
    const auto hiddenSpace = world.mac->windowWorld().displaySpaces().front().spaces.back();
    // In the order added: the application and the window server list them the other way round.
    std::vector<sim::SimWindowKey> accessible;
    std::vector<sim::SimWindowKey> parked;
    for (int i = 0; i < 60; ++i) {
        if (i == 5) {
            fetch(appItem("com.example.Editor"));
            fewWindowsLists = std::exchange(counting.lists, 0);
        }
        const Rect cell{static_cast<double>(i % 12) * 120, 30 + static_cast<double>(i / 12) * 160, 100, 70};
        const auto name = std::to_string(i);
        accessible.push_back(world.add(editor, "Doc " + name, cell));
        if (i % 4 == 0) {
            // Without a number of its own, over two window-server windows: joined by its frame once "Doc"
            // has its own, or by its title where a parked window lies under it as well.
            accessible.push_back(world.add(editor, "Draft " + name, Rect{cell.x + 8, cell.y + 80, 100, 70},
                                           [](sim::SimWindow& w) {
                                               w.ax.exposesWindowNumber = false;
                                               w.ax.privateWindowNumber = std::unexpected(AXError::failure);
                                           }));
            world.editWindow(accessible[accessible.size() - 2],
                             [&](sim::SimWindow& w) { w.bounds.height = 150; });
        }
        if (i % 6 == 0) {
            parked.push_back(world.add(editor, "Parked " + name, Rect{cell.x, cell.y + 75, 100, 70},
                                       [&](sim::SimWindow& w) {
                                           w.ax.accessible = false;
                                           w.space = hiddenSpace;
                                       }));
        }
    }

    const auto list = fetch(appItem("com.example.Editor"));

    // One list of every window and one without the desktop's, after 5 documents as after 60.
    EXPECT_EQ(fewWindowsLists, 2);
    EXPECT_EQ(counting.lists, fewWindowsLists);
    std::vector<std::string> ids;
    for (const auto& window : list.windows) ids.push_back(window.windowID.rawValue());
    std::vector<std::string> expected;
    for (auto key = accessible.rbegin(); key != accessible.rend(); ++key)
        expected.push_back(world.idOf(*key));
    for (auto key = parked.rbegin(); key != parked.rend(); ++key) expected.push_back(world.idOf(*key));
    EXPECT_EQ(ids, expected);
}

}  // namespace
}  // namespace tavelin
