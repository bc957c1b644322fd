#pragma once

// An observable value. Every assignment is announced, also one that leaves the value unchanged, and
// the announcement comes before the value is stored: during it value() still gives the old value, and
// the new one is what the subscribers receive. The owning ObservableObject's objectWillChange fires
// first. A new subscriber receives the current value at once, then every later assignment
// (`publisher().dropFirst()` when only changes matter).
//
// Read and assign on one thread (the main thread, for the services), which the owner's queue checks
// when it has one; subscriptions may be cancelled from anywhere, and outlive the Published harmlessly.

#include <memory>
#include <source_location>
#include <utility>

#include "runtime/ObservableObject.h"
#include "runtime/Publisher.h"
#include "runtime/Subject.h"

namespace tavelin {

template <class T>
class Published {
public:
    explicit Published(T initial = T{}) : value_(std::make_shared<T>(std::move(initial))) {}
    Published(ObservableObject& owner, T initial = T{}) : Published(std::move(initial)) { owner_ = &owner; }

    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& value(std::source_location call = std::source_location::current()) const {
        if (owner_) owner_->sequence_.check(call);
        return *value_;
    }

    void set(T newValue, std::source_location call = std::source_location::current()) {
        if (owner_) {
            owner_->sequence_.check(call);
            owner_->sendObjectWillChange();
        }
        changes_.send(newValue);
        *value_ = std::move(newValue);
    }
    Published& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }

    Publisher<T> publisher() const {
        return Publisher<T>([changes = changes_, value = value_](typename Publisher<T>::Receiver receiver) {
            // A copy, so that an assignment made by the receiver cannot change the value under it.
            const T current = *value;
            receiver(current);
            return changes.subscribe(std::move(receiver));
        });
    }

private:
    ObservableObject* owner_ = nullptr;
    std::shared_ptr<T> value_;
    Subject<T> changes_;
};

}  // namespace tavelin
