#pragma once

// The scheduler of the program: real threads, real time. The thread that makes it is the main thread;
// run() turns that thread into the main queue's run loop, which also runs the world's events. Each
// serial queue has a worker thread of its own. Any thread may submit work.
//
// Destroying the scheduler stops and joins the workers (a job that is running finishes) and drops the
// work that has not run.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "runtime/Scheduler.h"

namespace tavelin {

class LiveScheduler final : public Scheduler {
public:
    LiveScheduler();
    ~LiveScheduler() override;
    LiveScheduler(const LiveScheduler&) = delete;
    LiveScheduler& operator=(const LiveScheduler&) = delete;

    Queue& main() override;
    Queue& serialQueue(std::string_view label) override;
    const Clock& clock() const override;
    // On the main thread the world's events keep running meanwhile; elsewhere a plain sleep.
    void sleepBlocking(Duration duration) override;
    WorkItem scheduleWorldEvent(Duration delay, Job event) override;

    // Runs the main queue and the world's events on the main thread until stop().
    void run();
    // Makes the running (or the next) run() return once its current job is done. Any thread.
    void stop();

private:
    class Lane;
    class LiveQueue;
    class LiveClock;

    std::unique_ptr<LiveClock> clock_;
    std::thread::id mainThread_;
    std::unique_ptr<Lane> mainLane_;
    std::unique_ptr<LiveQueue> main_;
    std::mutex queuesMutex_;
    std::map<std::string, std::unique_ptr<LiveQueue>, std::less<>> queues_;
};

}  // namespace tavelin
