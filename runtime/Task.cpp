#include "runtime/Task.h"

namespace tavelin {

namespace detail {
namespace {

thread_local TaskContext* currentTask = nullptr;

}  // namespace

TaskContext::~TaskContext() {
    // Nothing can resume the task any more; its frames go with the last reference, and its joiners
    // with them, unwoken: what would resume them is gone too.
    if (root_) root_.destroy();
}

TaskContext* TaskContext::current() { return currentTask; }

std::uint64_t TaskContext::resumeLater(std::coroutine_handle<> frame, Queue* queue, Duration delay) {
    std::uint64_t suspension = 0;
    Queue* target = nullptr;
    {
        std::lock_guard lock(mutex_);
        suspension = ++suspension_;
        suspended_ = frame;
        if (queue) queue_ = queue;
        target = queue_;
        if (cancelled_) delay = Duration::zero();  // to be ended, or to end its sleep, at once
    }
    // The job may run (on another thread) before this call returns; only this context is touched after
    // posting, and the caller's own job keeps it alive.
    if (delay <= Duration::zero()) {
        post(*target, frame, suspension);
        return suspension;
    }
    WorkItem sleep = target->asyncAfter(
        delay, [self = shared_from_this(), frame, suspension] { self->resume(frame, suspension); });
    std::lock_guard lock(mutex_);
    if (suspension_ == suspension && suspended_) pendingSleep_ = sleep;
    return suspension;
}

void TaskContext::post(Queue& queue, std::coroutine_handle<> frame, std::uint64_t suspension) {
    queue.async([self = shared_from_this(), frame, suspension] { self->resume(frame, suspension); });
}

void TaskContext::wakeEarly(std::uint64_t suspension) {
    std::coroutine_handle<> frame;
    Queue* queue = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (finished_ || suspension != suspension_ || !suspended_) return;
        frame = suspended_;
        queue = queue_;
        std::exchange(pendingSleep_, {}).cancel();
    }
    post(*queue, frame, suspension);
}

void TaskContext::resume(std::coroutine_handle<> frame, std::uint64_t suspension) {
    bool stop = false;
    {
        std::lock_guard lock(mutex_);
        if (finished_ || suspension != suspension_ || !suspended_) return;  // stale: woken already
        suspended_ = {};
        pendingSleep_ = {};
        stop = cancelled_ && kind_ == Cancellation::stop;
        runningOn_ = std::this_thread::get_id();
    }
    TaskContext* const previous = std::exchange(currentTask, this);
    if (stop) {
        finish();
    } else {
        frame.resume();
    }
    currentTask = previous;
    {
        // The step may have hopped to another thread, which runs the next one already.
        std::lock_guard lock(mutex_);
        if (runningOn_ == std::this_thread::get_id()) runningOn_ = {};
    }
    stepEnded_.notify_all();
}

void TaskContext::cancel() {
    std::coroutine_handle<> frame;
    std::uint64_t suspension = 0;
    Queue* queue = nullptr;
    std::vector<std::weak_ptr<TaskContext>> children;
    {
        std::lock_guard lock(mutex_);
        if (!finished_ && !cancelled_) {
            cancelled_ = true;
            children = children_;
            // A sleeping or hopping task is woken at once, to be ended or to end its sleep; a running one
            // sees the cancellation when it next suspends; one waiting for a completion or a join, when
            // that comes.
            if (suspended_) {
                frame = suspended_;
                suspension = suspension_;
                queue = queue_;
                std::exchange(pendingSleep_, {}).cancel();
            }
        }
    }
    if (frame) post(*queue, frame, suspension);
    {
        const auto self = std::this_thread::get_id();
        std::unique_lock lock(mutex_);
        stepEnded_.wait(lock, [&] { return runningOn_ == std::thread::id() || runningOn_ == self; });
    }
    for (const auto& child : children) {
        if (auto strong = child.lock()) strong->cancel();
    }
}

bool TaskContext::isCancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool TaskContext::isFinished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void TaskContext::finish() {
    std::coroutine_handle<> root;
    std::vector<std::move_only_function<void()>> joiners;
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        root = std::exchange(root_, {});
        joiners = std::move(joiners_);
    }
    if (root) root.destroy();
    for (auto& joiner : joiners) joiner();
}

void TaskContext::adopt(const std::shared_ptr<TaskContext>& child) {
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_) {
            std::erase_if(children_, [](const auto& known) { return known.expired(); });
            children_.push_back(child);
            return;
        }
    }
    child->cancel();
}

bool TaskContext::whenFinished(std::move_only_function<void()> onFinished) {
    std::lock_guard lock(mutex_);
    if (finished_) return false;
    joiners_.push_back(std::move(onFinished));
    return true;
}

std::shared_ptr<TaskContext> start(Queue& queue, Task<void> task, Cancellation kind, TaskContext* parent) {
    auto frame = task.release();
    auto context = std::make_shared<TaskContext>(frame, kind);
    frame.promise().context = context.get();
    if (parent) parent->adopt(context);
    context->start(queue);
    return context;
}

bool suspendUntilFinished(const std::weak_ptr<TaskContext>& joined, TaskContext& waiter,
                          std::coroutine_handle<> frame) {
    auto task = joined.lock();
    return task && task->whenFinished([waiter = waiter.shared_from_this(), frame] {
        waiter->resumeLater(frame, nullptr, Duration::zero());
    });
}

}  // namespace detail

bool isCancelled() {
    const auto* task = detail::TaskContext::current();
    return task && task->isCancelled();
}

TaskHandle startTask(Queue& queue, Task<void> task, Cancellation kind) {
    return TaskHandle(detail::start(queue, std::move(task), kind, nullptr));
}

}  // namespace tavelin
