#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/NotificationCenter.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using Tokens = std::vector<std::string>;

class NotificationCenterTest : public ::testing::Test {
protected:
    VirtualScheduler scheduler;
    Queue& main = scheduler.main();
    NotificationCenter center;
    std::vector<std::string> seen;
};

TEST_F(NotificationCenterTest, DeliversByNameAndSenderWithUserInfo) {
    int dockDefaults = 0, otherDefaults = 0;
    auto any = center.addObserver("tavelin.iconInvalidated", nullptr, nullptr, [&](const Notification& n) {
        const Tokens* tokens = n.userInfoValue<Tokens>("tokens");
        seen.push_back("any " + (tokens ? tokens->front() : std::string("none")));
        EXPECT_EQ(n.userInfoValue<int>("tokens"), nullptr);  // of another type
    });
    auto fromDock = center.addObserver("NSUserDefaultsDidChangeNotification", &dockDefaults, nullptr,
                                       [&](const Notification&) { seen.push_back("dock defaults"); });

    center.post({"tavelin.iconInvalidated", nullptr, {{"tokens", Tokens{"0123456789abcdef"}}}});
    center.post({"tavelin.iconInvalidated", nullptr, {}});
    center.post({"NSUserDefaultsDidChangeNotification", &otherDefaults, {}});
    center.post({"NSUserDefaultsDidChangeNotification", &dockDefaults, {}});
    center.post({"tavelin.trashIconPushed", nullptr, {}});
    EXPECT_EQ(seen, (std::vector<std::string>{"any 0123456789abcdef", "any none", "dock defaults"}));
}

TEST_F(NotificationCenterTest, DeliversOnTheObserversQueue) {
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");
    auto observer = center.addObserver("tavelin.trashIconPushed", nullptr, &main, [&](const Notification&) {
        seen.push_back(scheduler.isMain() ? "on main" : "elsewhere");
    });
    center.post({"tavelin.trashIconPushed", nullptr, {}});  // posted on main: delivered inside post
    EXPECT_EQ(seen, (std::vector<std::string>{"on main"}));

    dockState.async([&] {
        center.post({"tavelin.trashIconPushed", nullptr, {}});
        seen.push_back("posted");
    });
    scheduler.runUntilIdle();
    EXPECT_EQ(seen, (std::vector<std::string>{"on main", "posted", "on main"}));
}

TEST_F(NotificationCenterTest, ARemovedObserverGetsNothingMoreNotEvenWhatWasQueued) {
    Queue& prefetch = scheduler.serialQueue("jp.fenwold.lomaret.folder.prefetch");
    ObserverToken queued = center.addObserver("tavelin.iconInvalidated", nullptr, &prefetch,
                                              [&](const Notification&) { seen.push_back("queued"); });
    ObserverToken direct = center.addObserver("tavelin.iconInvalidated", nullptr, nullptr,
                                              [&](const Notification&) { seen.push_back("direct"); });
    center.post({"tavelin.iconInvalidated", nullptr, {}});
    queued.cancel();
    scheduler.runUntilIdle();
    { ObserverToken gone = std::move(direct); }
    center.post({"tavelin.iconInvalidated", nullptr, {}});
    scheduler.runUntilIdle();
    EXPECT_EQ(seen, (std::vector<std::string>{"direct"}));
}

}  // namespace
}  // namespace tavelin
