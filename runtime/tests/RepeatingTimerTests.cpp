#include <gmock/gmock.h>

#include <memory>
#include <vector>

#include "runtime/RepeatingTimer.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RepeatingTimerTest, FiresEveryIntervalFromOneIntervalAfterItsStart) {
    VirtualScheduler scheduler;
    std::vector<Duration> firings;
    RepeatingTimer timer(scheduler.main(), 250ms, [&] { firings.push_back(scheduler.clock().uptime()); });

    scheduler.runUntilIdle();  // never chases a timer
    EXPECT_THAT(firings, IsEmpty());
    scheduler.advance(1s);
    EXPECT_THAT(firings, ElementsAre(250ms, 500ms, 750ms, 1000ms));
}

TEST(RepeatingTimerTest, NothingFiresAfterCancelOrDestructionAlsoFromInsideTheAction) {
    VirtualScheduler scheduler;
    int firings = 0;
    std::unique_ptr<RepeatingTimer> timer;
    timer = std::make_unique<RepeatingTimer>(scheduler.main(), 100ms, [&] {
        if (++firings == 2) timer.reset();
    });
    scheduler.advance(1s);
    EXPECT_EQ(firings, 2);

    int other = 0;
    RepeatingTimer cancelled(scheduler.main(), 100ms, [&] { ++other; });
    cancelled.cancel();
    scheduler.advance(1s);
    EXPECT_EQ(other, 0);
}

}  // namespace
}  // namespace tavelin
