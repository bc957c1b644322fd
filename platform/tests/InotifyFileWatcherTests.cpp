// With real files, real inotify and real threads. Each test stops the run loop itself when what it
// waits for has arrived; the watchdog only ends a run that went wrong, and fails it. Where a test
// checks that nothing arrived, it edits a second, watched file last: the kernel reports events in
// order, so once that edit is heard, whatever came before it has been heard too.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <string>

#include "platform/InotifyFileWatcher.h"
#include "platform/tests/FileEventsPrinting.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/LiveScheduler.h"
#include "runtime/tests/RunLoopWithWatchdog.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

void append(const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::app) << text;
}

class InotifyFileWatcherTest : public ::testing::Test {
  protected:
    InotifyFileWatcherTest() {
        EXPECT_TRUE(writeFileAtomically(preferences, "first"));
        append(marker, "m");
    }

    void runWithWatchdog() {
        ASSERT_TRUE(testing::runLoopWithWatchdog(scheduler)) << "the run did not end by itself";
    }

    FileWatch watch(const std::filesystem::path& path, FileEvents events, Queue& queue,
                    FileWatcher::Handler handler) {
        auto watch = watcher.watch(path, events, queue, std::move(handler));
        EXPECT_TRUE(watch) << watch.error().message;
        return watch ? std::move(*watch) : FileWatch();
    }

    // Stops the run loop when the marker file is written.
    FileWatch stopAtMarker() {
        return watch(marker, FileEvent::write, main, [this](FileEvents) { scheduler.stop(); });
    }

    TemporaryFolder folder;
    std::filesystem::path preferences = folder / "Library/Preferences/com.apple.dock.plist";
    std::filesystem::path marker = folder / "marker";
    LiveScheduler scheduler;
    Queue& main = scheduler.main();
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");
    InotifyFileWatcher watcher;  // after the scheduler, so that its reader stops before the queues go
};

constexpr FileEvents kPreferenceFileEvents =
    FileEvent::write | FileEvent::extend | FileEvent::deleteSelf | FileEvent::moveSelf;

TEST_F(InotifyFileWatcherTest, AnAtomicReplaceIsSeenAndWatchingAgainHearsLaterEdits) {
    std::vector<FileEvents> seen;  // on the main thread only
    FileWatch current;
    std::function<void()> arm = [&] {
        // As the dock-state service does: heard on its queue, acted on on the main thread.
        current = watch(preferences, kPreferenceFileEvents, dockState, [&](FileEvents events) {
            EXPECT_TRUE(dockState.isCurrent());
            main.async([&, events] {
                seen.push_back(events);
                if (events.contains(FileEvent::deleteSelf) || events.contains(FileEvent::moveSelf)) {
                    current.cancel();
                    arm();
                    append(preferences, " edited");
                } else {
                    scheduler.stop();
                }
            });
        });
    };
    main.async([&] {
        arm();
        ASSERT_TRUE(writeFileAtomically(preferences, "second"));
    });
    runWithWatchdog();
    EXPECT_THAT(seen, ElementsAre(FileEvents(FileEvent::deleteSelf), FileEvent::write | FileEvent::extend));
}

TEST_F(InotifyFileWatcherTest, AReplacedFileIsNotHeardWithoutWatchingAgain) {
    std::vector<FileEvents> seen;
    FileWatch old =
        watch(preferences, kPreferenceFileEvents, main, [&](FileEvents events) { seen.push_back(events); });
    FileWatch barrier = stopAtMarker();
    main.async([&] {
        ASSERT_TRUE(writeFileAtomically(preferences, "second"));
        append(preferences, " edited");
        append(marker, "m");
    });
    runWithWatchdog();
    EXPECT_THAT(seen, ElementsAre(FileEvents(FileEvent::deleteSelf)));
}

TEST_F(InotifyFileWatcherTest, WatchesOfOneFileShareItUntilTheLastIsCancelled) {
    int firstHeard = 0, secondHeard = 0;
    FileWatch first = watch(preferences, FileEvent::write, main, [&](FileEvents) { ++firstHeard; });
    FileWatch second = watch(preferences, FileEvent::write | FileEvent::attrib, main, [&](FileEvents events) {
        ++secondHeard;
        EXPECT_EQ(events, FileEvents(FileEvent::write));  // only what happened, of what was asked
        scheduler.stop();
    });
    main.async([&] {
        first.cancel();
        append(preferences, " edited");
    });
    runWithWatchdog();
    EXPECT_EQ(firstHeard, 0);
    EXPECT_EQ(secondHeard, 1);

    second.cancel();
    FileWatch barrier = stopAtMarker();
    main.async([&] {
        append(preferences, " again");
        append(marker, "m");
    });
    runWithWatchdog();
    EXPECT_EQ(secondHeard, 1);
}

TEST_F(InotifyFileWatcherTest, AFolderReportsItsEntriesAndItsOwnDeletion) {
    const auto trash = folder / ".Trash";
    std::filesystem::create_directory(trash);
    FileEvents seen;
    FileWatch watchOfTrash =
        watch(trash, kFolderEntriesChanged | FileEvent::deleteSelf, dockState, [&](FileEvents events) {
            main.async([&, events] {
                seen = seen | events;
                if (events.contains(FileEvent::deleteSelf)) scheduler.stop();
            });
        });
    main.async([&] {
        append(trash / "Report.pdf", "pdf");
        std::filesystem::rename(trash / "Report.pdf", trash / "Report 2.pdf");
        std::filesystem::remove(trash / "Report 2.pdf");
        std::filesystem::remove(trash);
    });
    runWithWatchdog();
    EXPECT_EQ(seen, kFolderEntriesChanged | FileEvent::deleteSelf);
}

// The kernel makes a record of each change; a handler gets them merged, so that its owner reads the
// folder again once for a burst, not once for each file.
TEST_F(InotifyFileWatcherTest, ABurstOfChangesIsOneCallWithEveryKindOfEventInIt) {
    const auto downloads = folder / "Downloads";
    std::filesystem::create_directory(downloads);
    append(downloads / "old.txt", "old");
    std::vector<FileEvents> calls;  // on the main thread only
    FileWatch watchOfDownloads = watch(downloads, kFolderEntriesChanged, dockState, [&](FileEvents events) {
        main.async([&, events] {
            calls.push_back(events);
            scheduler.stop();
        });
    });
    // The handler's queue is busy until every change has been heard.
    std::promise<void> busy;
    dockState.async([done = busy.get_future().share()] { done.wait(); });
    FileWatch barrier = stopAtMarker();
    main.async([&] {
        for (int file = 0; file < 200; ++file) append(downloads / ("file " + std::to_string(file)), "x");
        std::filesystem::remove(downloads / "old.txt");
        append(marker, "m");
    });
    // Not fatal: the queue must be let go in any case.
    EXPECT_TRUE(testing::runLoopWithWatchdog(scheduler));
    busy.set_value();
    runWithWatchdog();
    EXPECT_THAT(calls, ElementsAre(FileEvent::entryCreated | FileEvent::entryDeleted));
}

TEST_F(InotifyFileWatcherTest, AMissingPathCannotBeWatched) {
    const auto missing = folder / "Library/Preferences/missing.plist";
    auto result = watcher.watch(missing, FileEvent::write, main, [](FileEvents) {});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message, missing.string() + ": No such file or directory");
}

TEST(InotifyFileWatcher, AWatchMayOutliveItsWatcher) {
    TemporaryFolder folder;
    append(folder / "file", "x");
    LiveScheduler scheduler;
    auto watcher = std::make_unique<InotifyFileWatcher>();
    auto watch = watcher->watch(folder / "file", FileEvent::write, scheduler.main(), [](FileEvents) {});
    ASSERT_TRUE(watch) << watch.error().message;
    watcher.reset();
    watch->cancel();
}

}  // namespace
}  // namespace tavelin
