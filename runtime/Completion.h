#pragma once

// Awaiting, inside a Task, an operation that reports once through a completion handler, from any
// thread (a queue of the system's):
//
//     auto error = co_await awaitCompletion<std::optional<WorkspaceError>>(
//         [&](auto done) { workspace.recycle(items, std::move(done)); });
//
// The task suspends, the operation starts, and the task resumes on its own queue with the value the
// handler was given, after the handler has run. A second call of the handler is ignored. A handler
// that is dropped without being called leaves the task suspended until its last handle goes; a
// cancelled task ends when the handler runs.

#include <atomic>
#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "runtime/Task.h"

namespace tavelin {

template <class T>
class CompletionAwaiter {
  public:
    using Done = std::move_only_function<void(T)>;
    using Start = std::move_only_function<void(Done)>;

    explicit CompletionAwaiter(Start start) : start_(std::move(start)) {}

    bool await_ready() noexcept { return false; }

    template <class P>
    void await_suspend(std::coroutine_handle<P> frame) {
        auto context = frame.promise().context->shared_from_this();
        start_([state = state_, context = std::move(context), frame](T value) mutable {
            if (state->called.exchange(true)) return;
            state->value = std::move(value);
            // Posted to the task's queue: the value is read there after this write.
            context->resumeLater(frame, nullptr, Duration::zero());
        });
    }

    T await_resume() { return std::move(*state_->value); }

  private:
    struct State {
        std::atomic<bool> called{false};
        std::optional<T> value;
    };

    Start start_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

template <class T>
CompletionAwaiter<T> awaitCompletion(typename CompletionAwaiter<T>::Start start) {
    return CompletionAwaiter<T>(std::move(start));
}

}  // namespace tavelin
