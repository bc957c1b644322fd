#include "runtime/LiveScheduler.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <optional>

#include "runtime/TaskList.h"

namespace tavelin {

class LiveScheduler::LiveClock final : public Clock {
public:
    Duration uptime() const override { return std::chrono::steady_clock::now().time_since_epoch(); }
    Timestamp now() const override { return currentTimestamp(); }
};

// The jobs of one thread: a serial queue's, or the main thread's with the world's events.
class LiveScheduler::Lane {
public:
    explicit Lane(const Clock& clock) : clock_(clock) {}
    ~Lane() { clear(); }

    // Drops the jobs that have not run, outside the lock: what they capture may submit more.
    void clear() {
        for (auto dropped = takeAll(); !dropped.empty(); dropped = takeAll()) {
        }
    }

    TaskList::Entries takeAll() {
        std::lock_guard lock(mutex_);
        return tasks_.takeAll();
    }

    WorkItem add(const Queue* lane, Duration delay, Job job) {
        auto item = WorkItem::make();
        {
            std::lock_guard lock(mutex_);
            tasks_.add(clock_.uptime() + std::max(delay, Duration::zero()), lane, std::move(job), item);
        }
        wake_.notify_all();
        return item;
    }

    // Runs jobs as they fall due, until stop() or, for a blocking wait, until the deadline, then only
    // the world's events.
    void run(std::optional<Duration> deadline = std::nullopt) {
        const bool worldOnly = deadline.has_value();
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!deadline && std::exchange(stopping_, false)) return;
            const Duration now = clock_.uptime();
            // Events due before the deadline run even when this thread wakes late.
            if (auto entry = tasks_.takeDue(deadline ? std::min(now, *deadline) : now, worldOnly)) {
                lock.unlock();
                entry->job();
                entry.reset();
                lock.lock();
                continue;
            }
            if (deadline && now >= *deadline) return;
            std::optional<Duration> until = tasks_.nextDue(worldOnly);
            if (deadline) until = std::min(until.value_or(*deadline), *deadline);
            if (until) {
                wake_.wait_until(lock, std::chrono::steady_clock::time_point(*until));
            } else {
                wake_.wait(lock);
            }
        }
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
    }

private:
    const Clock& clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    TaskList tasks_;
    bool stopping_ = false;
};

class LiveScheduler::LiveQueue final : public Queue {
public:
    // The main queue: runs on the main thread, in the main lane.
    LiveQueue(std::string label, Lane& lane, std::thread::id thread)
        : label_(std::move(label)), lane_(lane), thread_(thread) {}
    // A serial queue with a worker thread and a lane of its own.
    LiveQueue(std::string label, const Clock& clock)
        : label_(std::move(label)),
          ownLane_(std::make_unique<Lane>(clock)),
          lane_(*ownLane_),
          worker_([this] { lane_.run(); }),
          thread_(worker_.get_id()) {}
    ~LiveQueue() override { stopWorker(); }

    void stopWorker() {
        if (worker_.joinable()) {
            lane_.stop();
            worker_.join();
        }
    }

    std::string_view label() const override { return label_; }
    void async(Job job) override { lane_.add(this, Duration::zero(), std::move(job)); }
    WorkItem asyncAfter(Duration delay, Job job) override { return lane_.add(this, delay, std::move(job)); }
    bool isCurrent() const override { return std::this_thread::get_id() == thread_; }

private:
    std::string label_;
    std::unique_ptr<Lane> ownLane_;
    Lane& lane_;
    std::thread worker_;
    std::thread::id thread_;
};

LiveScheduler::LiveScheduler()
    : clock_(std::make_unique<LiveClock>()),
      mainThread_(std::this_thread::get_id()),
      mainLane_(std::make_unique<Lane>(*clock_)),
      main_(std::make_unique<LiveQueue>("main", *mainLane_, mainThread_)) {}

LiveScheduler::~LiveScheduler() {
    // Workers first, all of them before any queue goes: their last jobs may still submit anywhere.
    decltype(queues_) queues;
    {
        std::lock_guard lock(queuesMutex_);
        queues = std::move(queues_);
    }
    for (auto& [label, queue] : queues) queue->stopWorker();
    queues.clear();
    mainLane_->clear();
}

Queue& LiveScheduler::main() { return *main_; }

Queue& LiveScheduler::serialQueue(std::string_view label) {
    std::lock_guard lock(queuesMutex_);
    auto it = queues_.find(label);
    if (it == queues_.end()) {
        it = queues_.emplace(std::string(label), std::make_unique<LiveQueue>(std::string(label), *clock_))
                 .first;
    }
    return *it->second;
}

const Clock& LiveScheduler::clock() const { return *clock_; }

void LiveScheduler::sleepBlocking(Duration duration) {
    if (std::this_thread::get_id() == mainThread_) {
        mainLane_->run(clock_->uptime() + duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

WorkItem LiveScheduler::scheduleWorldEvent(Duration delay, Job event) {
    return mainLane_->add(nullptr, delay, std::move(event));
}

void LiveScheduler::run() {
    assert(std::this_thread::get_id() == mainThread_ && "run() belongs to the main thread");
    mainLane_->run();
}

void LiveScheduler::stop() { mainLane_->stop(); }

}  // namespace tavelin
