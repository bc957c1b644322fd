#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "runtime/Published.h"
#include "runtime/Publisher.h"
#include "runtime/Subject.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

class PublisherTest : public ::testing::Test {
protected:
    VirtualScheduler scheduler;
    Queue& main = scheduler.main();
    Subject<int> subject;
    std::vector<int> received;

    Publisher<int>::Receiver collect() {
        return [this](const int& value) { received.push_back(value); };
    }
};

TEST_F(PublisherTest, DropFirstAndFilterKeepTheirStatePerSubscription) {
    auto evenAfterTwo = subject.publisher().dropFirst(2).filter([](int value) { return value % 2 == 0; });
    auto first = evenAfterTwo.sink(collect());
    subject.send(2);
    subject.send(4);
    auto second = evenAfterTwo.sink(collect());  // drops its own first two
    for (int value : {5, 6, 8, 10}) subject.send(value);
    EXPECT_EQ(received, (std::vector<int>{6, 8, 8, 10, 10}));  // the second one dropped 5 and 6
}

TEST_F(PublisherTest, DebounceDeliversTheLastValueOfABurstOnce) {
    auto subscription = subject.publisher().debounce(main, 150ms).sink(collect());
    subject.send(1);
    scheduler.advance(100ms);
    subject.send(2);  // restarts the timer
    scheduler.advance(100ms);
    subject.send(3);
    scheduler.advance(149ms);
    EXPECT_TRUE(received.empty());
    scheduler.advance(1ms);
    EXPECT_EQ(received, (std::vector<int>{3}));

    subject.send(4);  // values further apart than the interval each come through
    scheduler.advance(150ms);
    subject.send(4);
    scheduler.advance(150ms);
    EXPECT_EQ(received, (std::vector<int>{3, 4, 4}));
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(PublisherTest, CancellingADebounceDropsItsPendingValue) {
    auto subscription = subject.publisher().debounce(main, 150ms).sink(collect());
    subject.send(1);
    subscription.cancel();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    subject.send(2);
    scheduler.advance(1s);
    EXPECT_TRUE(received.empty());
}

TEST_F(PublisherTest, DebounceDeliversOnItsQueue) {
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");
    bool onQueue = false;
    auto subscription = subject.publisher().debounce(dockState, 120ms).sink([&](const int&) {
        onQueue = dockState.isCurrent();
    });
    subject.send(1);
    scheduler.advance(120ms);
    EXPECT_TRUE(onQueue);
}

TEST_F(PublisherTest, ReceiveOnDeliversLaterOnTheQueueInOrder) {
    Queue& prefetch = scheduler.serialQueue("jp.fenwold.lomaret.folder.prefetch");
    std::vector<bool> onPrefetch;
    auto subscription = subject.publisher().receiveOn(prefetch).sink([&](const int& value) {
        received.push_back(value);
        onPrefetch.push_back(prefetch.isCurrent());
    });
    subject.send(1);
    subject.send(2);
    EXPECT_TRUE(received.empty());
    scheduler.runUntilIdle();
    EXPECT_EQ(received, (std::vector<int>{1, 2}));
    EXPECT_EQ(onPrefetch, (std::vector<bool>{true, true}));

    subject.send(3);
    subscription.cancel();  // what is queued for it is dropped
    scheduler.runUntilIdle();
    EXPECT_EQ(received, (std::vector<int>{1, 2}));
}

TEST_F(PublisherTest, SubscriptionsEndWithTheirHandle) {
    {
        auto subscription = subject.publisher().sink(collect());
        subject.send(1);
    }
    subject.send(2);

    Subscription replaced = subject.publisher().sink(collect());
    replaced = subject.publisher().filter([](int value) { return value > 10; }).sink(collect());
    subject.send(3);

    Subscription self;
    self = subject.publisher().sink([&](const int& value) {
        received.push_back(value);
        self.cancel();  // from inside its own receiver
    });
    subject.send(4);
    subject.send(5);
    EXPECT_EQ(received, (std::vector<int>{1, 4}));
}

TEST_F(PublisherTest, ASubscriptionOutlivesItsSourceHarmlessly) {
    Subscription subscription;
    {
        Published<int> published(1);
        subscription = published.publisher().debounce(main, 10ms).sink(collect());
        published = 2;
    }
    scheduler.advance(10ms);
    EXPECT_EQ(received, (std::vector<int>{2}));
    subscription.cancel();
}

// An owner that subscribes in its constructor, holding itself weakly in the receiver.
class RebuildingService : public std::enable_shared_from_this<RebuildingService> {
public:
    static std::shared_ptr<RebuildingService> make(Published<int>& state, Queue& main, int& rebuilds) {
        auto service = std::make_shared<RebuildingService>(rebuilds);
        service->subscription = state.publisher()
                                    .dropFirst()
                                    .debounce(main, 150ms)
                                    .sink([weak = service->weak_from_this()](const int&) {
                                        if (auto self = weak.lock()) self->rebuild();
                                    });
        return service;
    }
    explicit RebuildingService(int& rebuilds) : rebuilds_(rebuilds) {}
    void rebuild() { ++rebuilds_; }

    Subscription subscription;

private:
    int& rebuilds_;
};

TEST_F(PublisherTest, AReceiverHoldsItsOwnerWeakly) {
    Published<int> runningApps(0);
    int rebuilds = 0;
    auto service = RebuildingService::make(runningApps, main, rebuilds);
    scheduler.advance(1s);
    EXPECT_EQ(rebuilds, 0);  // the current value is not a change
    runningApps = 1;
    runningApps = 1;
    scheduler.advance(150ms);
    EXPECT_EQ(rebuilds, 1);

    // Someone else keeps the subscription alive; the owner dies while a value is pending.
    Subscription kept = std::move(service->subscription);
    std::weak_ptr<RebuildingService> watch = service;
    runningApps = 2;
    service.reset();
    EXPECT_TRUE(watch.expired());  // the subscription did not keep it
    scheduler.advance(150ms);
    EXPECT_EQ(rebuilds, 1);

    // And an owner that dies with its subscription ends it.
    auto second = RebuildingService::make(runningApps, main, rebuilds);
    second.reset();
    runningApps = 3;
    scheduler.advance(150ms);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

}  // namespace
}  // namespace tavelin
