#pragma once

// Waiting for an operation's answer for at most a given time on the scheduler's clock. The operation
// gets an Answer and gives its value through it once, from any thread; an answer that comes after the
// wait has ended is dropped (give() says so), and the operation may ask isAwaited() before a costly
// next step.
//
//     std::optional<Bitmap> picture = co_await awaitWithTimeout<Bitmap>(3s, [&](Answer<Bitmap> answer) {
//         capture.start([answer](Bitmap image) { answer.give(std::move(image)); });
//     });
//     if (!picture) { /* timed out */ }
//
// Inside a task the time-out is a sleep of the task: cancelled cooperatively, the task stops waiting at
// once, as on a time-out; cancelled to stop, it ends there. Outside tasks, waitBlockingWithTimeout()
// blocks the calling thread as Scheduler::sleepBlocking() does: only the world's own events go on.

#include <coroutine>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "runtime/Scheduler.h"
#include "runtime/Task.h"

namespace tavelin {

namespace detail {

// Who ended the wait first: the answer, or the waiter giving up. Any thread.
class AnswerDecision {
public:
    bool isDecided() const;
    // Ends the wait without an answer; false when the answer came first.
    bool abandon();

protected:
    mutable std::mutex mutex_;
    bool decided_ = false;
};

template <class T>
class AnswerSlot : public AnswerDecision {
public:
    // Set before the operation starts: what wakes the waiter.
    std::move_only_function<void()> onGiven;

    bool give(T value) {
        {
            std::lock_guard lock(mutex_);
            if (decided_) return false;
            decided_ = true;
            value_ = std::move(value);
        }
        if (onGiven) onGiven();
        return true;
    }
    // The answer when it came; otherwise the wait ends here, and a later answer is dropped.
    std::optional<T> takeOrAbandon() {
        std::lock_guard lock(mutex_);
        decided_ = true;
        return std::exchange(value_, std::nullopt);
    }

private:
    std::optional<T> value_;
};

// Blocks until `decision` is decided or `limit` has passed on the scheduler's clock; false when the
// wait was abandoned for the time-out.
bool waitBlocking(Scheduler& scheduler, Duration limit, AnswerDecision& decision);

}  // namespace detail

// The operation's side of a wait. Copies share it; any thread.
template <class T>
class Answer {
public:
    explicit Answer(std::shared_ptr<detail::AnswerSlot<T>> slot) : slot_(std::move(slot)) {}

    // True when the answer was taken; false when it came too late, or a second time, and was dropped.
    bool give(T value) const { return slot_->give(std::move(value)); }
    // False once the wait is over, answered or not.
    bool isAwaited() const { return !slot_->isDecided(); }

private:
    std::shared_ptr<detail::AnswerSlot<T>> slot_;
};

template <class T>
using StartAnswering = std::move_only_function<void(Answer<T>)>;

template <class T>
class TimeoutAwaiter {
public:
    TimeoutAwaiter(Duration limit, StartAnswering<T> start) : limit_(limit), start_(std::move(start)) {}
    // Also when a stopped task's frame goes in the middle of the wait: the answer then comes too late.
    ~TimeoutAwaiter() { slot_->abandon(); }
    TimeoutAwaiter(const TimeoutAwaiter&) = delete;
    TimeoutAwaiter& operator=(const TimeoutAwaiter&) = delete;

    bool await_ready() noexcept { return false; }
    template <class P>
    void await_suspend(std::coroutine_handle<P> frame) {
        auto& context = *frame.promise().context;
        // The time-out is a sleep on the task's own queue, which runs nothing else before this job ends.
        const auto suspension = context.resumeLater(frame, nullptr, limit_);
        slot_->onGiven = [context = context.weak_from_this(), suspension] {
            if (auto strong = context.lock()) strong->wakeEarly(suspension);
        };
        start_(Answer<T>(slot_));
    }
    // None on time-out.
    std::optional<T> await_resume() { return slot_->takeOrAbandon(); }

private:
    Duration limit_;
    StartAnswering<T> start_;
    std::shared_ptr<detail::AnswerSlot<T>> slot_ = std::make_shared<detail::AnswerSlot<T>>();
};

// Inside a task: starts the operation and waits for its answer for at most `limit`; none on time-out.
template <class T>
TimeoutAwaiter<T> awaitWithTimeout(Duration limit, StartAnswering<T> start) {
    return TimeoutAwaiter<T>(limit, std::move(start));
}

// Outside tasks: the same, blocking the calling thread.
template <class T>
std::optional<T> waitBlockingWithTimeout(Scheduler& scheduler, Duration limit, StartAnswering<T> start) {
    auto slot = std::make_shared<detail::AnswerSlot<T>>();
    start(Answer<T>(slot));
    if (!detail::waitBlocking(scheduler, limit, *slot)) return std::nullopt;
    return slot->takeOrAbandon();
}

}  // namespace tavelin
