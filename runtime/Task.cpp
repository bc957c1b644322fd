#include "runtime/Task.h"

namespace tavelin {

namespace detail {

TaskContext::~TaskContext() {
    // Nothing can resume the task any more; its frames go with the last reference.
    if (root_) root_.destroy();
}

void TaskContext::resumeLater(std::coroutine_handle<> frame, Queue* queue, Duration delay) {
    std::uint64_t suspension = 0;
    Queue* target = nullptr;
    {
        std::lock_guard lock(mutex_);
        suspension = ++suspension_;
        suspended_ = frame;
        if (queue) queue_ = queue;
        target = queue_;
        if (cancelled_) delay = Duration::zero();  // to be ended at once
    }
    // The job may run (on another thread) before this call returns; only this context is touched after
    // posting, and the caller's own job keeps it alive.
    auto wake = [self = shared_from_this(), frame, suspension] { self->resume(frame, suspension); };
    if (delay <= Duration::zero()) {
        target->async(std::move(wake));
        return;
    }
    WorkItem sleep = target->asyncAfter(delay, std::move(wake));
    std::lock_guard lock(mutex_);
    if (suspension_ == suspension && suspended_) pendingSleep_ = sleep;
}

void TaskContext::resume(std::coroutine_handle<> frame, std::uint64_t suspension) {
    bool cancelled = false;
    {
        std::lock_guard lock(mutex_);
        if (finished_ || suspension != suspension_ || !suspended_) return;  // stale: woken already
        suspended_ = {};
        pendingSleep_ = {};
        cancelled = cancelled_;
    }
    if (cancelled) {
        finish();
    } else {
        frame.resume();
    }
}

void TaskContext::cancel() {
    std::coroutine_handle<> frame;
    std::uint64_t suspension = 0;
    Queue* queue = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (finished_ || cancelled_) return;
        cancelled_ = true;
        if (!suspended_) return;  // running: it ends when it next suspends
        frame = suspended_;
        suspension = suspension_;
        queue = queue_;
        pendingSleep_.cancel();
    }
    queue->async([self = shared_from_this(), frame, suspension] { self->resume(frame, suspension); });
}

bool TaskContext::isFinished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void TaskContext::finish() {
    std::coroutine_handle<> root;
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        root = std::exchange(root_, {});
    }
    if (root) root.destroy();
}

}  // namespace detail

TaskHandle startTask(Queue& queue, Task<void> task) {
    auto frame = task.release();
    auto context = std::make_shared<detail::TaskContext>(frame);
    frame.promise().context = context.get();
    context->start(queue);
    return TaskHandle(std::move(context));
}

}  // namespace tavelin
