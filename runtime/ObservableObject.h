#pragma once

// Base of an object whose published values others observe as a whole. objectWillChange() fires before
// any of the object's Published values is assigned (also with an unchanged value), while the old value
// still holds; subscribers that need the new value debounce or receive on a queue.
//
//     class AppSettings : public ObservableObject {
//     public:
//         Published<bool> showHiddenApps{*this, false};
//     };
//
// An observable object is not copied or moved: its Published members point back at it. One that lives
// on a queue (a main-thread service) is built with that queue; reading or assigning any of its
// Published values from another queue then stops in builds with assertions (see SequenceChecker).

#include <variant>

#include "runtime/Publisher.h"
#include "runtime/SequenceChecker.h"
#include "runtime/Subject.h"

namespace tavelin {

template <class T>
class Published;

class ObservableObject {
public:
    ObservableObject() = default;
    explicit ObservableObject(const Queue& confinedTo) : sequence_(confinedTo) {}
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;

    Publisher<std::monostate> objectWillChange() const { return objectWillChange_.publisher(); }

protected:
    ~ObservableObject() = default;

    // For a change that does not go through a Published member.
    void sendObjectWillChange() const { objectWillChange_.send(std::monostate{}); }

private:
    template <class T>
    friend class Published;

    SequenceChecker sequence_;
    Subject<std::monostate> objectWillChange_;
};

}  // namespace tavelin
