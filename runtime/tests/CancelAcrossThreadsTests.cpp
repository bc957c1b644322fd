#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "runtime/LiveScheduler.h"
#include "runtime/NotificationCenter.h"
#include "runtime/Subject.h"
#include "runtime/Task.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

// What a receiver touches; the main thread destroys it as soon as the cancel has returned.
struct Receiver {
    int deliveries = 0;
};

using Connect = std::function<Subscription(Receiver&, int round)>;

class CancelAcrossThreadsTest : public ::testing::Test {
public:
    // A delivery of round `round`: it takes a while, then looks whether the cancel of its round has
    // returned meanwhile (a late delivery: counted, and a use after free under the sanitizers).
    void deliver(Receiver& receiver, int round) {
        delivered_ = true;
        const auto until = std::chrono::steady_clock::now() + 20us;
        while (std::chrono::steady_clock::now() < until) {
        }
        if (cancelledRound_ >= round) ++late_;
        ++receiver.deliveries;
    }

protected:
    static constexpr int kRounds = 200;

    // What the loops use outlives the scheduler, whose end waits for them to stop.
    std::atomic<bool> delivered_ = false, stopSending_ = false;
    std::atomic<int> cancelledRound_ = -1, late_ = 0;
    Subject<int> values;
    NotificationCenter center;
    LiveScheduler scheduler;
    Queue& sending = scheduler.serialQueue("tavelin.test.sending");
    Queue& delivering = scheduler.serialQueue("tavelin.test.delivering");

    // Each round connects a receiver, waits until deliveries run, cancels from this (the main) thread
    // and destroys the receiver at once.
    void expectNoDeliveryAfterCancel(const Connect& connect) {
        for (int round = 0; round < kRounds; ++round) {
            delivered_ = false;
            auto receiver = std::make_unique<Receiver>();
            Subscription subscription = connect(*receiver, round);
            const auto giveUp = std::chrono::steady_clock::now() + 10s;
            while (!delivered_ && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
            ASSERT_TRUE(delivered_) << "nothing was delivered in round " << round;
            subscription.cancel();
            cancelledRound_ = round;
            receiver.reset();
        }
        EXPECT_EQ(late_, 0);
    }

    // Sends on the sending queue until the test ends, with a short pause so that the deliveries keep up.
    template <class Send>
    void sendInALoop(Send send) {
        sending.async([this, send = std::move(send)] {
            while (!stopSending_) {
                send();
                std::this_thread::sleep_for(20us);
            }
        });
    }

    void TearDown() override { stopSending_ = true; }
};

TEST_F(CancelAcrossThreadsTest, ASubscriptionReceivedOnASerialQueue) {
    sendInALoop([this] { values.send(1); });
    expectNoDeliveryAfterCancel([&](Receiver& receiver, int round) {
        return values.publisher().receiveOn(delivering).sink(
            [this, &receiver, round](const int&) { deliver(receiver, round); });
    });
}

TEST_F(CancelAcrossThreadsTest, ANotificationObserverOnASerialQueue) {
    sendInALoop([this] { center.post(Notification{"tavelin.test.tick"}); });
    expectNoDeliveryAfterCancel([&](Receiver& receiver, int round) {
        return center.addObserver("tavelin.test.tick", nullptr, &delivering,
                                  [this, &receiver, round](const Notification&) { deliver(receiver, round); });
    });
}

Task<void> receiveInALoop(Queue& queue, CancelAcrossThreadsTest& test, Receiver& receiver, int round) {
    for (;;) {
        test.deliver(receiver, round);
        co_await queue.hop();
    }
}

TEST_F(CancelAcrossThreadsTest, ATaskLoopingOnASerialQueue) {
    expectNoDeliveryAfterCancel([&](Receiver& receiver, int round) {
        const TaskHandle task = startTask(delivering, receiveInALoop(delivering, *this, receiver, round));
        return Subscription([task] { task.cancel(); });
    });
}

}  // namespace
}  // namespace tavelin
