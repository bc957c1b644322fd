#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "mac/core/DockStateService.h"
#include "mac/core/tests/DockStateWorld.h"
#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/InotifyFileWatcher.h"
#include "platform/ManualFileWatcher.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/JsonCoding.h"
#include "runtime/LiveScheduler.h"
#include "runtime/VirtualScheduler.h"
#include "runtime/tests/RunLoopWithWatchdog.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

}  // namespace

inline void PrintTo(const DockItem& item, std::ostream* out) {
    const auto json = encodeJSON(item);
    *out << (json ? *json : json.error().message);
}

namespace {

// One publication of the snapshot, as a subscriber saw it.
struct Publication {
    std::int64_t dockGeneration = 0;
    std::int64_t eventSequence = 0;
    Duration at{};                               // uptime
    std::optional<std::int64_t> diffGeneration;  // lastDiff's toGeneration at that moment
    friend bool operator==(const Publication&, const Publication&) = default;
};

void PrintTo(const Publication& p, std::ostream* out) {
    *out << "{generation " << p.dockGeneration << ", sequence " << p.eventSequence << ", at "
         << std::chrono::duration_cast<std::chrono::milliseconds>(p.at).count() << " ms, diff to "
         << (p.diffGeneration ? std::to_string(*p.diffGeneration) : "none") << "}";
}

class DockStateServiceTest : public ::testing::Test {
  protected:
    DockStateService& start() {
        auto& service = world_.start();
        subscriptions_.push_back(service.snapshotPublisher().dropFirst().sink([this](const auto& snapshot) {
            ASSERT_TRUE(snapshot);
            const auto& diff = world_.service->lastDiff();
            published_.push_back({snapshot->dockGeneration, snapshot->eventSequence, now(),
                                  diff ? std::optional(diff->toGeneration) : std::nullopt});
        }));
        subscriptions_.push_back(world_.mac.notificationCenter().addObserver(
            std::string(kIconInvalidatedNotification), nullptr, nullptr, [this](const Notification& note) {
                invalidated_.push_back(*note.userInfoValue<std::vector<IconToken>>("tokens"));
            }));
        subscriptions_.push_back(world_.mac.notificationCenter().addObserver(
            std::string(kTrashIconPushedNotification), nullptr, nullptr, [this](const Notification& note) {
                pushed_.push_back(*note.userInfoValue<std::vector<IconData>>("icons"));
            }));
        return service;
    }

    Duration now() const { return scheduler_.clock().uptime(); }
    DockStateService& service() { return *world_.service; }
    std::vector<std::int64_t> generations() const {
        std::vector<std::int64_t> result;
        for (const auto& publication : published_) result.push_back(publication.dockGeneration);
        return result;
    }
    const DockItem* item(std::string_view bundleID) const {
        for (const auto& item : world_.service->snapshot()->items) {
            if (item.bundleID == bundleID) return &item;
        }
        return nullptr;
    }
    std::optional<IconToken> trashToken() const {
        for (const auto& item : world_.service->snapshot()->items) {
            if (item.kind == DockItemKind::trash) return item.iconToken;
        }
        return std::nullopt;
    }
    void fillTrash() { std::ofstream(world_.trash() / "old.txt") << "x"; }
    void emptyTrash() { std::filesystem::remove(world_.trash() / "old.txt"); }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    ManualFileWatcher watcher_;
    DockStateWorld world_{home_.path(), scheduler_, watcher_};
    std::vector<Publication> published_;
    std::vector<std::vector<IconToken>> invalidated_;
    std::vector<std::vector<IconData>> pushed_;
    std::vector<Subscription> subscriptions_;
};

TEST_F(DockStateServiceTest, TheConstructorRebuildsOnceAndEachRebuildRaisesBothCounters) {
    world_.settings.runningAppsSort.set(RunningAppsSort::name);
    start();
    const auto& first = *service().snapshot();
    EXPECT_EQ(first.dockGeneration, 1);
    EXPECT_EQ(first.eventSequence, 1);
    EXPECT_EQ(first.generatedAt, scheduler_.clock().now());
    EXPECT_EQ(first.runningSort, RunningAppsSort::recentlyUsed);
    EXPECT_EQ(service().lastDiff(), std::nullopt);
    ASSERT_NE(item("com.apple.Safari"), nullptr);
    EXPECT_EQ(item("com.apple.Safari")->iconToken, world_.icons.tokenForBundleID("com.apple.Safari"));
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenEmpty));
    EXPECT_THAT(first.separators, Not(IsEmpty()));

    scheduler_.advance(1s);
    service().rebuild();
    // The diff was in place before the snapshot it leads to was announced.
    EXPECT_THAT(published_, ElementsAre(Publication{2, 2, 1s, 2}));
    EXPECT_EQ(service().lastDiff()->fromGeneration, 1);
    EXPECT_THAT(service().lastDiff()->upserts, IsEmpty());
}

TEST_F(DockStateServiceTest, OnlyAChangeOfTheRunningApplicationsRebuildsWithin150ms) {
    start();
    scheduler_.advance(10s);
    service().rebuild();
    scheduler_.advance(10s);
    EXPECT_THAT(generations(), ElementsAre(2));
    EXPECT_EQ(service().generation(), 2);

    const Duration launched = now();
    world_.mac.workspace().launch("com.apple.mail");
    scheduler_.advance(149ms);
    EXPECT_EQ(service().generation(), 2);
    scheduler_.advance(1ms);
    ASSERT_EQ(service().generation(), 3);
    EXPECT_EQ(published_.back().at, launched + 150ms);
    ASSERT_NE(item("com.apple.mail"), nullptr);
    EXPECT_TRUE(item("com.apple.mail")->isRunning);

    scheduler_.advance(10s);
    EXPECT_EQ(service().generation(), 3);

    // Announced, but as the last rebuild read it (this program's own activation): no rebuild.
    world_.runningApps.refresh();
    scheduler_.advance(1s);
    EXPECT_EQ(service().generation(), 3);
}

TEST_F(DockStateServiceTest, ABurstOfLaunchesRebuildsOnce150msAfterItsLastChange) {
    start();
    const Duration first = now();
    world_.mac.workspace().launch("com.apple.mail");
    scheduler_.advance(100ms);
    world_.mac.workspace().launch("com.apple.Terminal");
    scheduler_.advance(1s);
    EXPECT_THAT(published_, ElementsAre(Publication{2, 2, first + 250ms, 2}));
    EXPECT_NE(item("com.apple.Terminal"), nullptr);
}

TEST_F(DockStateServiceTest, SettingsRebuildOnce50msAfterTheLastChangeWithTheNewValues) {
    world_.mac.workspace().launch("com.apple.mail");
    scheduler_.runUntilIdle();
    start();
    ASSERT_NE(item("com.apple.mail"), nullptr);

    const Duration first = now();
    world_.settings.hiddenApps.set(HiddenAppsSetting::hide);
    scheduler_.advance(30ms);
    world_.settings.excludedBundleIDs.set({"com.apple.mail"});
    scheduler_.advance(1s);
    EXPECT_THAT(generations(), ElementsAre(2));
    EXPECT_EQ(published_[0].at, first + 80ms);
    EXPECT_EQ(item("com.apple.mail"), nullptr);
}

TEST_F(DockStateServiceTest, EachPreferenceFileEventRebuilds200msLater) {
    start();
    const Duration first = now();
    for (int i = 0; i < 10; ++i) {
        watcher_.emit(world_.preferenceFile(), FileEvent::write | FileEvent::extend);
        scheduler_.advance(10ms);
    }
    scheduler_.advance(99ms);  // up to 199 ms after the first event
    EXPECT_THAT(published_, IsEmpty());
    scheduler_.advance(1s);
    ASSERT_EQ(published_.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(published_[i].at, first + 200ms + i * 10ms) << i;
    EXPECT_EQ(service().generation(), 11);
}

TEST_F(DockStateServiceTest, AReplacedPreferenceFileIsWatchedAgainAfterItsRebuild) {
    start();
    const ManualFileWatcher::Watched preferences{
        world_.preferenceFile(),
        FileEvent::write | FileEvent::extend | FileEvent::deleteSelf | FileEvent::moveSelf};
    EXPECT_THAT(watcher_.watches(), Contains(preferences));
    watcher_.emit(world_.preferenceFile(), FileEvent::deleteSelf);
    scheduler_.advance(200ms);
    EXPECT_THAT(generations(), ElementsAre(2));
    EXPECT_EQ(std::ranges::count(watcher_.watches(), preferences), 1);

    watcher_.emit(world_.preferenceFile(), FileEvent::write);
    scheduler_.advance(200ms);
    EXPECT_THAT(generations(), ElementsAre(2, 3));

    // Renamed away, the file took its watch along: the new one at the path is watched too.
    watcher_.emit(world_.preferenceFile(), FileEvent::moveSelf);
    scheduler_.advance(200ms);
    EXPECT_EQ(std::ranges::count(watcher_.watches(), preferences), 1);
    watcher_.emit(world_.preferenceFile(), FileEvent::write);
    scheduler_.advance(200ms);
    EXPECT_THAT(generations(), ElementsAre(2, 3, 4, 5));
}

TEST_F(DockStateServiceTest, EachChangeOfTheDocksDefaultsRebuilds250msLater) {
    start();
    auto dock = world_.mac.dock()->configuration();
    dock.others.push_back({sim::DesktopDockTileKind::url, "https://example.org/", "Example"});
    const Duration first = now();
    world_.mac.dock()->configure(dock);
    scheduler_.advance(100ms);
    world_.mac.dock()->configure(dock);
    scheduler_.advance(249ms - 100ms);
    EXPECT_THAT(published_, IsEmpty());
    scheduler_.advance(1s);
    EXPECT_THAT(published_,
                ElementsAre(Publication{2, 2, first + 250ms, 2}, Publication{3, 3, first + 350ms, 3}));
    EXPECT_THAT(
        service().snapshot()->items,
        Contains(::testing::Field(&DockItem::path, std::optional<std::string>("https://example.org/"))));
}

TEST_F(DockStateServiceTest, UnreadablePreferencesChangeNothing) {
    auto desktop = DockStateWorld::standardDesktop();
    desktop.dock.reset();
    DockStateWorld world(home_.path() / "bare", scheduler_, watcher_, [&] {
        std::filesystem::create_directories(home_.path() / "bare");
        return desktop;
    }());
    auto& service = world.start();
    EXPECT_EQ(service.snapshot(), std::nullopt);
    EXPECT_EQ(service.generation(), 0);
    EXPECT_EQ(service.eventSequence(), 0);

    // The Dock writes its preferences later; its defaults' change rebuilds.
    sim::SimDock dock(world.mac.workspace(), world.mac.accessibility(),
                      *world.mac.userDefaults().domain("com.apple.dock"), world.mac.homeFolder());
    dock.start(*DockStateWorld::standardDesktop().dock);
    scheduler_.advance(250ms);
    ASSERT_TRUE(service.snapshot());
    EXPECT_EQ(service.snapshot()->dockGeneration, 1);

    // Emptied defaults over a damaged file: the next rebuild reads nothing and keeps what it has.
    const auto before = *service.snapshot();
    world.mac.userDefaults().domain("com.apple.dock")->setPersistentDomain({});
    std::ofstream(world.preferenceFile(), std::ios::trunc) << "not a plist";
    scheduler_.advance(1s);
    EXPECT_EQ(service.snapshot(), before);
    EXPECT_EQ(service.generation(), 1);
    EXPECT_EQ(service.lastDiff(), std::nullopt);
}

TEST_F(DockStateServiceTest, ATrashSwapRaisesOnlyTheServicesCounterSoTheNextRebuildSkipsOne) {
    start();
    fillTrash();
    // The old pictures are forgotten before the new one goes out.
    std::vector<std::string> posted;
    std::vector<ObserverToken> observers;
    for (const auto name : {kIconInvalidatedNotification, kTrashIconPushedNotification}) {
        observers.push_back(world_.mac.notificationCenter().addObserver(
            std::string(name), nullptr, nullptr, [&](const Notification& note) { posted.push_back(note.name); }));
    }
    service().refreshTrashIconIfChanged();
    EXPECT_THAT(posted, ElementsAre("tavelin.iconInvalidated", "tavelin.trashIconPushed"));
    EXPECT_THAT(published_, ElementsAre(Publication{1, 1, 0s, std::nullopt}));
    EXPECT_EQ(service().eventSequence(), 2);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenFull));
    EXPECT_THAT(invalidated_, ElementsAre(ElementsAre(IconToken(kTrashTokenEmpty), IconToken(kTrashToken))));
    ASSERT_EQ(pushed_.size(), 1u);
    ASSERT_EQ(pushed_[0].size(), 1u);
    EXPECT_EQ(pushed_[0][0].token, IconToken(kTrashTokenFull));
    EXPECT_EQ(pushed_[0][0].pixelSize, 128);
    const auto png = base64Decode(pushed_[0][0].pngBase64);
    EXPECT_EQ(png, world_.icons.trashPNG128());
    const auto bitmap = decodePNG(png->data);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 128);
    EXPECT_EQ(bitmap->height, 128);

    service().rebuild();
    EXPECT_EQ(published_.back(), (Publication{2, 3, 0s, 2}));
    EXPECT_EQ(service().lastDiff()->eventSequence, 3);

    // Emptying swaps back; a refresh that finds the right token does nothing at all.
    emptyTrash();
    service().refreshTrashIconIfChanged();
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenEmpty));
    EXPECT_EQ(invalidated_.back(), (std::vector{IconToken(kTrashTokenFull), IconToken(kTrashToken)}));
    EXPECT_EQ(pushed_.back()[0].token, IconToken(kTrashTokenEmpty));
    const auto publications = published_.size();
    service().refreshTrashIconIfChanged();
    EXPECT_EQ(published_.size(), publications);
    EXPECT_EQ(invalidated_.size(), 2u);
    EXPECT_EQ(pushed_.size(), 2u);
    EXPECT_EQ(service().eventSequence(), 4);
}

TEST_F(DockStateServiceTest, ABurstOfTrashEventsGivesOneRefresh120msAfterItsLastEvent) {
    start();
    fillTrash();
    const Duration first = now();
    for (int i = 0; i < 10; ++i) {
        watcher_.emit(world_.trash(), FileEvent::entryCreated);
        scheduler_.advance(10ms);
    }
    scheduler_.advance(119ms - 10ms);  // 119 ms after the last event
    EXPECT_THAT(published_, IsEmpty());
    scheduler_.advance(1s);
    EXPECT_THAT(published_, ElementsAre(Publication{1, 1, first + 90ms + 120ms, std::nullopt}));
    EXPECT_EQ(pushed_.size(), 1u);
}

TEST_F(DockStateServiceTest, ATrashDeletedOrRenamedAndMadeAgainIsStillFollowed) {
    start();
    const auto trash = world_.trash();
    const auto home = trash.parent_path();

    // Made again at once: watched again where it is.
    std::filesystem::rename(trash, home / "Old Trash");
    watcher_.emit(trash, FileEvent::moveSelf);
    std::filesystem::create_directory(trash);
    scheduler_.advance(120ms);
    fillTrash();
    watcher_.emit(trash, FileEvent::entryCreated);
    scheduler_.advance(120ms);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenFull));

    // Made again later: the home folder tells.
    std::filesystem::remove_all(trash);
    watcher_.emit(trash, FileEvent::deleteSelf);
    scheduler_.advance(120ms);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenEmpty));
    // Made anew or moved into place.
    EXPECT_THAT(watcher_.watches(), Contains(ManualFileWatcher::Watched{
                                        home, FileEvent::entryCreated | FileEvent::entryMovedTo}));
    std::filesystem::create_directory(trash);
    watcher_.emit(home, FileEvent::entryCreated);
    scheduler_.advance(120ms);
    fillTrash();
    watcher_.emit(trash, FileEvent::entryCreated);
    scheduler_.advance(120ms);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenFull));
    emptyTrash();
    watcher_.emit(trash, FileEvent::entryDeleted);
    scheduler_.advance(120ms);
    EXPECT_EQ(trashToken(), IconToken(kTrashTokenEmpty));
    EXPECT_EQ(std::ranges::count(watcher_.watches(), trash, &ManualFileWatcher::Watched::path), 1);
    EXPECT_EQ(std::ranges::count(watcher_.watches(), home, &ManualFileWatcher::Watched::path), 0);
}

TEST_F(DockStateServiceTest, AfterAUserActionTheTrashIsCheckedNowAndAgainLater) {
    start();
    const Duration first = now();
    service().scheduleTrashIconRefreshAfterUserAction();
    scheduler_.advance(200ms);
    fillTrash();
    scheduler_.advance(300ms);
    emptyTrash();
    scheduler_.advance(1s);
    ASSERT_EQ(published_.size(), 2u);
    EXPECT_EQ(published_[0].at, first + 350ms);
    EXPECT_EQ(published_[1].at, first + 1000ms);
    EXPECT_EQ(service().eventSequence(), 3);
}

TEST_F(DockStateServiceTest, DestroyingTheServiceEndsItsWatchesAndDropsWhatIsPending) {
    start();
    EXPECT_EQ(watcher_.watches().size(), 2u);
    watcher_.emit(world_.trash(), FileEvent::entryCreated);
    service().scheduleTrashIconRefreshAfterUserAction();
    fillTrash();
    world_.mac.workspace().launch("com.apple.mail");
    world_.settings.hiddenApps.set(HiddenAppsSetting::hide);
    std::weak_ptr<DockStateService> weak = world_.service;
    world_.service.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_THAT(watcher_.watches(), IsEmpty());
    scheduler_.advance(2s);
    EXPECT_THAT(published_, IsEmpty());
    EXPECT_THAT(pushed_, IsEmpty());
}

// With the real file watcher, real threads and the real disk. Each test stops the run loop itself
// when what it waits for has arrived; the watchdog only ends a run that went wrong, and fails it.
class DockStateLiveTest : public ::testing::Test {
  protected:
    void runWithWatchdog() {
        ASSERT_TRUE(testing::runLoopWithWatchdog(scheduler_)) << "the run did not end by itself";
    }

    TemporaryFolder home_;
    LiveScheduler scheduler_;
    Queue& main_ = scheduler_.main();
    InotifyFileWatcher watcher_;  // after the scheduler, so that its reader stops before the queues go
    DockStateWorld world_{home_.path(), scheduler_, watcher_};
};

TEST_F(DockStateLiveTest, AnAtomicReplaceOfThePreferenceFileIsSeenAndSoAreLaterEdits) {
    auto& service = world_.start();
    ASSERT_EQ(service.generation(), 1);
    const auto file = world_.preferenceFile();
    const auto contents = readFileContents(file, std::size_t{1} << 20);
    ASSERT_TRUE(contents);

    // Only the watch of the file hears these writes: the Dock's defaults do not change.
    auto subscription =
        service.snapshotPublisher().dropFirst().sink([&](const std::optional<DockSnapshot>& snapshot) {
            // Queued, so that it runs after the watch was made again.
            main_.async([&, generation = snapshot->dockGeneration] {
                if (generation == 2) std::ofstream(file, std::ios::binary | std::ios::trunc) << *contents;
                if (generation == 3) scheduler_.stop();
            });
        });
    ASSERT_TRUE(writeFileAtomically(file, *contents));
    runWithWatchdog();
    EXPECT_GE(service.generation(), 3);
}

TEST_F(DockStateLiveTest, TheDocksOwnRewriteOfItsPreferencesReachesTheSnapshot) {
    auto& service = world_.start();
    auto dock = world_.mac.dock()->configuration();
    dock.others.push_back({sim::DesktopDockTileKind::folder, "~/Projects"});
    const auto projects = world_.mac.diskPath("~/Projects").string();
    auto subscription =
        service.snapshotPublisher().dropFirst().sink([&](const std::optional<DockSnapshot>& snapshot) {
            for (const auto& item : snapshot->items) {
                if (item.path == projects) scheduler_.stop();
            }
        });
    main_.async([&] { world_.mac.dock()->configure(dock); });
    runWithWatchdog();
}

}  // namespace
}  // namespace tavelin
