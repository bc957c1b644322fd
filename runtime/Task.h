#pragma once

// Asynchronous operations as C++20 coroutines.
//
//     Task<void> WallpaperService::pollLoop(std::weak_ptr<WallpaperService> weak) {
//         for (;;) {
//             if (auto self = weak.lock()) {  // held only for the pass, never across the sleep
//                 self->refreshIfDesktopChanged(false);
//             } else {
//                 co_return;
//             }
//             co_await sleepFor(120s);
//         }
//     }
//     pollTask_ = startTask(scheduler.main(), pollLoop(weak_from_this()));
//
// A Task starts only when started on a queue (startTask, startChildTask) or awaited by another task,
// whose queue and cancellation it then shares. Inside a task, `co_await queue.hop()` moves the rest
// onto `queue`, `co_await sleepFor(d)` resumes on the current queue after `d` on the scheduler's clock,
// `co_await other()` runs another task and gives its result, and `co_await child.join()` waits for a
// started child's end; every one of these suspends, so the rest runs later as a job of the queue.
//
// Cancellation comes in two kinds, chosen per started task (and shared by every task it awaits and
// every child it starts), because the kind is a property of the task's whole code, not of one sleep:
//   - Cancellation::stop (the default): TaskHandle::cancel() ends the task at its next suspension
//     point: it is never resumed again; its frames (and their locals, in reverse order) are destroyed
//     instead, on the task's queue. A sleeping task is woken for that at once. For loops that only
//     need to stop, such as a periodic refresh.
//   - Cancellation::cooperative: the task is never stopped by the runtime. It sees the cancellation
//     through isCancelled(); its sleeps, the one under way included, end at once and normally; and it
//     runs to its end, clean-up included. For work that must finish what it began (release a pin).
// Either way, once cancel() returns no step of the task starts without seeing the cancellation, and a
// step running on another thread has come to its suspension (cancel() waits for it, unless called
// from that step itself; two steps running at once must therefore not cancel each other's tasks).
// Cancelling a task cancels the children it started, in its own kind.
//
// Lifetimes: a started task's frames live until it ends, or, when nothing can resume it any more (its
// scheduler is gone with the pending wake-up), until its last TaskHandle goes. A child is held only by
// what can resume it. A Task that never started destroys its frame with it. Coroutine parameters are
// copied into the frame; a lambda's captures are not: never make a coroutine of a lambda that
// captures, pass what it needs as parameters instead.
// Exceptions must not leave a task: an escaping one terminates the program.

#include <condition_variable>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/Clock.h"
#include "runtime/Queue.h"
#include "runtime/WorkItem.h"

namespace tavelin {

enum class Cancellation { stop, cooperative };

namespace detail {

// What the frames of one started task share: where it runs, whether it is cancelled, and who resumes it.
class TaskContext : public std::enable_shared_from_this<TaskContext> {
public:
    TaskContext(std::coroutine_handle<> root, Cancellation kind) : root_(root), kind_(kind) {}
    ~TaskContext();
    TaskContext(const TaskContext&) = delete;
    TaskContext& operator=(const TaskContext&) = delete;

    // The task whose step runs on this thread now; none outside tasks.
    static TaskContext* current();

    void start(Queue& queue) { resumeLater(root_, &queue, Duration::zero()); }
    // For awaiters, from await_suspend: `frame` resumes on `queue` (none: the current one) after `delay`.
    // Gives the suspension's number, for wakeEarly().
    std::uint64_t resumeLater(std::coroutine_handle<> frame, Queue* queue, Duration delay);
    // Ends that suspension's sleep now, when the task still sleeps in it.
    void wakeEarly(std::uint64_t suspension);
    void cancel();
    bool isCancelled() const;
    bool isFinished() const;
    Cancellation kind() const { return kind_; }
    // The root frame has come to its end (or is to be ended): destroy it, then tell the joiners.
    void finish();
    // `child` is cancelled with this task (at once when this one is cancelled already).
    void adopt(const std::shared_ptr<TaskContext>& child);
    // Runs `onFinished` once the task has finished; false, and nothing kept, when it has already.
    bool whenFinished(std::move_only_function<void()> onFinished);

private:
    void resume(std::coroutine_handle<> frame, std::uint64_t suspension);
    void post(Queue& queue, std::coroutine_handle<> frame, std::uint64_t suspension);

    mutable std::mutex mutex_;
    std::condition_variable stepEnded_;
    std::coroutine_handle<> root_;
    const Cancellation kind_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::uint64_t suspension_ = 0;       // counts suspensions, so that a stale wake-up is ignored
    std::coroutine_handle<> suspended_;  // the frame to resume; none while running
    Queue* queue_ = nullptr;             // where the task runs or will resume
    WorkItem pendingSleep_;
    std::thread::id runningOn_;  // the thread running a step now; none between steps
    std::vector<std::weak_ptr<TaskContext>> children_;
    std::vector<std::move_only_function<void()>> joiners_;
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

// Starts `task` on `queue` in its own context, cancelled with `parent` when one is given.
std::shared_ptr<TaskContext> start(Queue& queue, Task<void> task, Cancellation kind, TaskContext* parent);

// What a joinable task ends with: its result, or for a Task<void> whether it ran to its end.
template <class T>
using JoinResult = std::conditional_t<std::is_void_v<T>, bool, std::optional<T>>;

template <class T>
class JoinSlot {
public:
    using Value = std::conditional_t<std::is_void_v<T>, bool, T>;
    void set(Value value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    JoinResult<T> result() const {
        std::lock_guard lock(mutex_);
        if constexpr (std::is_void_v<T>) {
            return value_.has_value();
        } else {
            return value_;
        }
    }

private:
    mutable std::mutex mutex_;
    std::optional<Value> value_;
};

template <class T>
Task<void> keepResult(Task<T> task, std::shared_ptr<JoinSlot<T>> slot) {
    if constexpr (std::is_void_v<T>) {
        co_await std::move(task);
        slot->set(true);
    } else {
        slot->set(co_await std::move(task));
    }
}

// Suspends `frame` of `waiter` until `joined` has finished; false when it has already.
bool suspendUntilFinished(const std::weak_ptr<TaskContext>& joined, TaskContext& waiter,
                          std::coroutine_handle<> frame);

template <class T>
struct JoinAwaiter {
    std::weak_ptr<TaskContext> joined;
    std::shared_ptr<JoinSlot<T>> slot;

    bool await_ready() noexcept { return false; }
    template <class P>
    bool await_suspend(std::coroutine_handle<P> frame) {
        return suspendUntilFinished(joined, *frame.promise().context, frame);
    }
    JoinResult<T> await_resume() { return slot->result(); }
};

}  // namespace detail

inline detail::ResumeAwaiter operator co_await(QueueHop hop) { return {&hop.queue, Duration::zero()}; }

// In a cooperatively cancelled task, ends at once (also when the task is cancelled while it sleeps).
inline detail::ResumeAwaiter sleepFor(Duration duration) { return {nullptr, duration}; }

// Whether the task running this code has been cancelled; false outside tasks.
bool isCancelled();

// A started task. Copies share the task; dropping them does not cancel it.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<detail::TaskContext> context) : context_(std::move(context)) {}

    // Any thread; see runtime/Task.h's header for what holds when it returns.
    void cancel() const {
        if (context_) context_->cancel();
    }
    bool isCancelled() const { return context_ && context_->isCancelled(); }
    // Ran to its end, or was ended by cancellation.
    bool isFinished() const { return !context_ || context_->isFinished(); }

private:
    std::shared_ptr<detail::TaskContext> context_;
};

// A child started by startChildTask. It holds the child weakly: the child lives as long as something
// can resume it. Copies share the child; dropping them neither cancels nor ends it.
template <class T>
class JoinHandle {
public:
    JoinHandle() = default;
    JoinHandle(std::weak_ptr<detail::TaskContext> context, std::shared_ptr<detail::JoinSlot<T>> slot)
        : context_(std::move(context)), slot_(std::move(slot)) {}

    void cancel() const { TaskHandle(context_.lock()).cancel(); }
    bool isFinished() const { return TaskHandle(context_.lock()).isFinished(); }

    // Inside a task: `co_await child.join()` waits for the child's end and gives its result, none when it
    // was stopped (for a Task<void>: whether it ran to its end). The result is copied to each joiner.
    detail::JoinAwaiter<T> join() const { return {context_, slot_}; }

private:
    std::weak_ptr<detail::TaskContext> context_;
    std::shared_ptr<detail::JoinSlot<T>> slot_;
};

// Runs the task on `queue`, starting later as a job of the queue (never inside this call).
TaskHandle startTask(Queue& queue, Task<void> task, Cancellation kind = Cancellation::stop);

// Inside a task: runs `task` on `queue` as a child of the current task, of the same kind, cancelled
// with it; its result is awaited with join(). (Outside a task: a task of the stop kind, with no parent.)
template <class T>
JoinHandle<T> startChildTask(Queue& queue, Task<T> task) {
    auto* parent = detail::TaskContext::current();
    auto slot = std::make_shared<detail::JoinSlot<T>>();
    auto context = detail::start(queue, detail::keepResult(std::move(task), slot),
                                 parent ? parent->kind() : Cancellation::stop, parent);
    return JoinHandle<T>(context, std::move(slot));
}

}  // namespace tavelin
