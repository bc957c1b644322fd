#pragma once

// Asynchronous operations as C++20 coroutines.
//
//     Task<void> WallpaperService::pollLoop(std::weak_ptr<WallpaperService> weak) {
//         auto self = weak.lock();
//         if (!self) co_return;
//         for (;;) {
//             self->refreshIfDesktopChanged(false);
//             co_await sleepFor(120s);
//         }
//     }
//     pollTask_ = startTask(scheduler.main(), pollLoop(weak_from_this()));
//
// A Task starts only when started on a queue (startTask) or awaited by another task, whose queue it
// then shares. Inside a task, `co_await queue.hop()` moves the rest onto `queue`, `co_await
// sleepFor(d)` resumes on the current queue after `d` on the scheduler's clock, and `co_await
// other()` runs another task and gives its result; every one of these suspends, so the rest runs
// later as a job of the queue.
//
// Cancellation: TaskHandle::cancel() ends the task at its next suspension point: a cancelled task is
// never resumed again; its frames (and their locals, in reverse order) are destroyed instead, on the
// task's queue. A sleeping task is woken for that at once; it does not wait out its sleep.
//
// Lifetimes: a started task's frames live until it ends, or, when nothing can resume it any more (its
// scheduler is gone with the pending wake-up), until its last handle goes. A Task that never started
// destroys its frame with it. Coroutine parameters are copied into the frame; a lambda's captures are
// not: never make a coroutine of a lambda that captures, pass what it needs as parameters instead.
// Exceptions must not leave a task: an escaping one terminates the program.

#include <coroutine>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "runtime/Clock.h"
#include "runtime/Queue.h"
#include "runtime/WorkItem.h"

namespace tavelin {

namespace detail {

// What the frames of one started task share: where it runs, whether it is cancelled, and who resumes it.
class TaskContext : public std::enable_shared_from_this<TaskContext> {
public:
    explicit TaskContext(std::coroutine_handle<> root) : root_(root) {}
    ~TaskContext();
    TaskContext(const TaskContext&) = delete;
    TaskContext& operator=(const TaskContext&) = delete;

    void start(Queue& queue) { resumeLater(root_, &queue, Duration::zero()); }
    // For awaiters, from await_suspend: `frame` resumes on `queue` (none: the current one) after `delay`.
    void resumeLater(std::coroutine_handle<> frame, Queue* queue, Duration delay);
    void cancel();
    bool isFinished() const;
    // The root frame has come to its end (or is to be ended): destroy it.
    void finish();

private:
    void resume(std::coroutine_handle<> frame, std::uint64_t suspension);

    mutable std::mutex mutex_;
    std::coroutine_handle<> root_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::uint64_t suspension_ = 0;       // counts suspensions, so that a stale wake-up is ignored
    std::coroutine_handle<> suspended_;  // the frame to resume; none while running
    Queue* queue_ = nullptr;             // where the task runs or will resume
    WorkItem pendingSleep_;
};

struct FinalAwaiter {
    bool await_ready() noexcept { return false; }
    template <class Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> frame) noexcept {
        auto& promise = frame.promise();
        if (promise.continuation) return promise.continuation;
        promise.context->finish();  // a started task's root: its context destroys the frame
        return std::noop_coroutine();
    }
    void await_resume() noexcept {}
};

struct PromiseBase {
    TaskContext* context = nullptr;
    std::coroutine_handle<> continuation;  // the awaiting task's frame; none for a started task

    std::suspend_always initial_suspend() noexcept { return {}; }
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() noexcept { std::terminate(); }
};

template <class T>
struct Promise;

// Awaiting a Task runs it on the awaiting task's queue and context, and resumes the awaiting task
// (by symmetric transfer) with its result.
template <class T>
struct TaskAwaiter {
    std::coroutine_handle<Promise<T>> child;

    bool await_ready() noexcept { return false; }
    template <class ParentPromise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<ParentPromise> parent) noexcept {
        child.promise().context = parent.promise().context;
        child.promise().continuation = parent;
        return child;
    }
    T await_resume() { return child.promise().takeResult(); }
};

}  // namespace detail

template <class T = void>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;

    explicit Task(std::coroutine_handle<promise_type> frame) : frame_(frame) {}
    Task(Task&& other) noexcept : frame_(std::exchange(other.frame_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (frame_) frame_.destroy();
            frame_ = std::exchange(other.frame_, {});
        }
        return *this;
    }
    ~Task() {
        if (frame_) frame_.destroy();
    }

    detail::TaskAwaiter<T> operator co_await() && noexcept { return {frame_}; }

    // For startTask: the frame leaves this Task's ownership.
    std::coroutine_handle<promise_type> release() { return std::exchange(frame_, {}); }

private:
    std::coroutine_handle<promise_type> frame_;
};

namespace detail {

template <class T>
struct Promise : PromiseBase {
    std::optional<T> result;

    Task<T> get_return_object() { return Task<T>(std::coroutine_handle<Promise>::from_promise(*this)); }
    void return_value(T value) { result = std::move(value); }
    T takeResult() { return std::move(*result); }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object() { return Task<void>(std::coroutine_handle<Promise>::from_promise(*this)); }
    void return_void() {}
    void takeResult() {}
};

struct ResumeAwaiter {
    Queue* queue;  // none: stay on the current queue
    Duration delay;

    bool await_ready() noexcept { return false; }
    template <class P>
    void await_suspend(std::coroutine_handle<P> frame) {
        frame.promise().context->resumeLater(frame, queue, delay);
    }
    void await_resume() noexcept {}
};

}  // namespace detail

inline detail::ResumeAwaiter operator co_await(QueueHop hop) { return {&hop.queue, Duration::zero()}; }

inline detail::ResumeAwaiter sleepFor(Duration duration) { return {nullptr, duration}; }

// A started task. Copies share the task; dropping them does not cancel it.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<detail::TaskContext> context) : context_(std::move(context)) {}

    void cancel() const {
        if (context_) context_->cancel();
    }
    // Ran to its end, or was ended by cancellation.
    bool isFinished() const { return !context_ || context_->isFinished(); }

private:
    std::shared_ptr<detail::TaskContext> context_;
};

// Runs the task on `queue`, starting later as a job of the queue (never inside this call).
TaskHandle startTask(Queue& queue, Task<void> task);

}  // namespace tavelin
