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
// An observable object is not copied or moved: its Published members point back at it.

#include <variant>

#include "runtime/Publisher.h"
#include "runtime/Subject.h"

namespace tavelin {

template <class T>
class Published;

class ObservableObject {
public:
    ObservableObject() = default;
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

    Subject<std::monostate> objectWillChange_;
};

}  // namespace tavelin
