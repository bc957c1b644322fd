#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

struct Settings : ObservableObject {
    Published<bool> showHiddenApps{*this, false};
    Published<std::string> theme{*this, "system"};

    void reload() { sendObjectWillChange(); }
};

TEST(PublishedTest, ANewSubscriberReceivesTheCurrentValueFirst) {
    Published<std::string> theme("system");
    auto publisher = theme.publisher();
    theme = "dark";  // a publisher made earlier still starts from the value at subscription
    std::vector<std::string> received;
    auto subscription = publisher.sink([&](const std::string& value) { received.push_back(value); });
    EXPECT_EQ(received, (std::vector<std::string>{"dark"}));
    theme.set("light");
    EXPECT_EQ(received, (std::vector<std::string>{"dark", "light"}));
    EXPECT_EQ(theme.value(), "light");
}

TEST(PublishedTest, EveryAssignmentIsAnnouncedBeforeItIsStoredAlsoAnUnchangedOne) {
    Published<int> state(1);
    std::vector<std::pair<int, int>> seen;  // (received, value() during the announcement)
    auto subscription = state.publisher().dropFirst().sink(
        [&](const int& value) { seen.emplace_back(value, state.value()); });
    state = 1;
    state = 2;
    state = 2;
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {2, 2}}));
    EXPECT_EQ(state.value(), 2);
}

TEST(PublishedTest, ObjectWillChangeFiresFirstWhileTheOldValueHolds) {
    Settings settings;
    std::vector<std::string> events;
    auto willChange = settings.objectWillChange().sink([&](const std::monostate&) {
        events.push_back(std::string("will change, theme ") + settings.theme.value());
    });
    auto theme = settings.theme.publisher().dropFirst().sink(
        [&](const std::string& value) { events.push_back("theme " + value); });
    settings.theme = "dark";
    settings.showHiddenApps = false;
    settings.reload();
    EXPECT_EQ(events, (std::vector<std::string>{"will change, theme system", "theme dark",
                                                "will change, theme dark", "will change, theme dark"}));
}

TEST(PublishedTest, ASubscriberMayJoinDuringAnAnnouncement) {
    Published<int> state(0);
    std::vector<int> late;
    Subscription lateSubscription;
    auto subscription = state.publisher().dropFirst().sink([&](const int& value) {
        if (value == 1) {
            lateSubscription = state.publisher().sink([&](const int& v) { late.push_back(v); });
        }
    });
    state = 1;
    state = 5;
    EXPECT_EQ(late, (std::vector<int>{0, 5}));  // it joined while 0 was still the value
}

struct Permissions : ObservableObject {
    explicit Permissions(const Queue& main) : ObservableObject(main) {}
    Published<bool> screenRecordingGranted{*this, false};
};

bool readOnTheWindowListsQueue(const Permissions& permissions) { return permissions.screenRecordingGranted.value(); }

TEST(PublishedTest, AValueOfAnObjectOnTheMainQueueIsReadThereOnlyAndAReadElsewhereNamesTheReader) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked only in builds with assertions";
#endif
    VirtualScheduler scheduler;
    Permissions permissions(scheduler.main());
    bool granted = false;
    scheduler.main().async([&] {
        permissions.screenRecordingGranted = true;
        granted = permissions.screenRecordingGranted.value();
    });
    scheduler.runUntilIdle();
    EXPECT_TRUE(granted);

    scheduler.serialQueue("tavelin.window-list").async([&] { readOnTheWindowListsQueue(permissions); });
    EXPECT_DEATH(scheduler.runUntilIdle(), "readOnTheWindowListsQueue.* called off the main queue");
}

}  // namespace
}  // namespace tavelin
