#pragma once

// Named in-process notifications with user info, as the system posts them ("tavelin.iconInvalidated"
// with the user info "tokens", "tavelin.trashIconPushed" with "icons"). The program has a default
// centre; the simulated workspace has its own. Posting and observing may happen on any thread.

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/Queue.h"
#include "runtime/Subject.h"
#include "runtime/Subscription.h"

namespace tavelin {

using UserInfo = std::map<std::string, std::any, std::less<>>;

struct Notification {
    std::string name;
    const void* sender = nullptr;  // who posted it, compared by identity; none when absent
    UserInfo userInfo;

    // The value under `key`, or none when it is missing or of another type.
    template <class T>
    const T* userInfoValue(std::string_view key) const {
        auto it = userInfo.find(key);
        return it == userInfo.end() ? nullptr : std::any_cast<T>(&it->second);
    }
};

// Removes its observer when destroyed or cancelled, from any thread; after that nothing more is
// delivered to it, also not a notification already queued for it, and it is not running on another
// thread (runtime/DeliveryGate.h).
using ObserverToken = Subscription;

class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes the notifications of that name, only those of `sender` when one is given. With a queue
    // the observer runs on it: inside post() when the poster already runs there (as a post from the main
    // thread reaches observers on the main queue), otherwise later as a job of the queue. Without a
    // queue it runs inside post(), on the posting thread.
    [[nodiscard]] ObserverToken addObserver(std::string name, const void* sender, Queue* queue,
                                            Observer observer);

    void post(Notification notification);

private:
    Subject<std::shared_ptr<const Notification>> posted_;
};

}  // namespace tavelin
