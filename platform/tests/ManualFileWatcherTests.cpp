#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/ManualFileWatcher.h"
#include "platform/tests/FileEventsPrinting.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ManualFileWatcherTest : public ::testing::Test {
  protected:
    ManualFileWatcherTest() { std::ofstream(file) << "x"; }

    // Watches `file` on the dock-state queue, noting what arrives and whether it arrived there.
    FileWatch watchFile(FileEvents events) {
        auto watch = watcher.watch(file, events, dockState, [this](FileEvents happened) {
            received.push_back(happened);
            onItsQueue = onItsQueue && dockState.isCurrent();
        });
        EXPECT_TRUE(watch) << watch.error().message;
        return watch ? std::move(*watch) : FileWatch();
    }

    TemporaryFolder folder;
    std::filesystem::path file = folder / "com.apple.dock.plist";
    VirtualScheduler scheduler;
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");
    ManualFileWatcher watcher;
    std::vector<FileEvents> received;
    bool onItsQueue = true;
};

TEST_F(ManualFileWatcherTest, EventsArriveOnTheNamedQueueAsTheyWereAskedFor) {
    FileWatch watch = watchFile(FileEvent::write | FileEvent::deleteSelf);
    EXPECT_THAT(watcher.watches(),
                ElementsAre(ManualFileWatcher::Watched{file, FileEvent::write | FileEvent::deleteSelf}));

    watcher.emit(file, FileEvent::write | FileEvent::attrib);
    watcher.emit(file, FileEvent::attrib);
    watcher.emit(folder / "other", FileEvent::write);
    EXPECT_THAT(received, IsEmpty());  // not before the queue runs
    scheduler.runUntilIdle();
    EXPECT_THAT(received, ElementsAre(FileEvents(FileEvent::write)));
    EXPECT_TRUE(onItsQueue);
}

TEST_F(ManualFileWatcherTest, CancellingDropsWhatIsQueuedAndEndsTheWatch) {
    FileWatch cancelled = watchFile(FileEvent::write);
    FileWatch kept = watchFile(FileEvent::write);
    watcher.emit(file, FileEvent::write);
    cancelled.cancel();
    scheduler.runUntilIdle();
    EXPECT_THAT(received, ElementsAre(FileEvents(FileEvent::write)));
    EXPECT_EQ(watcher.watches().size(), 1u);

    { FileWatch dropped = std::move(kept); }
    EXPECT_THAT(watcher.watches(), IsEmpty());
    watcher.emit(file, FileEvent::write);
    scheduler.runUntilIdle();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(ManualFileWatcherTest, ADeletedFileEndsItsWatchUntilTheOwnerWatchesAgain) {
    FileWatch first = watchFile(FileEvent::write | FileEvent::deleteSelf);
    FileWatch blind = watchFile(FileEvent::write);
    watcher.emit(file, FileEvent::deleteSelf);
    watcher.emit(file, FileEvent::write);
    scheduler.runUntilIdle();
    EXPECT_THAT(received, ElementsAre(FileEvents(FileEvent::deleteSelf)));
    EXPECT_THAT(watcher.watches(), IsEmpty());

    FileWatch again = watchFile(FileEvent::write);
    watcher.emit(file, FileEvent::write);
    scheduler.runUntilIdle();
    EXPECT_THAT(received, ElementsAre(FileEvents(FileEvent::deleteSelf), FileEvents(FileEvent::write)));
}

TEST_F(ManualFileWatcherTest, AMissingPathCannotBeWatched) {
    auto watch = watcher.watch(folder / "missing.plist", FileEvent::write, dockState, [](FileEvents) {});
    ASSERT_FALSE(watch);
    EXPECT_EQ(watch.error().message, (folder / "missing.plist").string() + ": No such file or directory");
    EXPECT_THAT(watcher.watches(), IsEmpty());
}

}  // namespace
}  // namespace tavelin
