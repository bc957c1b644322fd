#pragma once

// Sends values to whoever subscribed before the value was sent. A Subject is a handle: copies share
// their subscribers. Any thread may send, subscribe and cancel; receivers run on the sending thread,
// outside any lock, so they may subscribe, cancel (themselves too) and send again. Once a cancel has
// returned, its receiver is not running on another thread and is not called any more.

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/DeliveryGate.h"
#include "runtime/Publisher.h"
#include "runtime/Subscription.h"

namespace tavelin {

template <class T>
class Subject {
public:
    using Receiver = typename Publisher<T>::Receiver;

    void send(const T& value) const {
        std::vector<std::shared_ptr<Entry>> entries;
        {
            std::lock_guard lock(registry_->mutex);
            entries = registry_->entries;
        }
        for (const auto& entry : entries) {
            entry->gate.pass([&] { entry->receive(value); });
        }
    }

    Subscription subscribe(Receiver receiver) const {
        auto entry = std::make_shared<Entry>(std::move(receiver));
        {
            std::lock_guard lock(registry_->mutex);
            registry_->entries.push_back(entry);
        }
        return Subscription([entry, registry = std::weak_ptr<Registry>(registry_)] {
            if (auto strong = registry.lock()) {
                std::lock_guard lock(strong->mutex);
                std::erase(strong->entries, entry);
            }
            entry->gate.close();
        });
    }

    // Whether a value sent now would reach anyone.
    bool hasReceivers() const {
        std::lock_guard lock(registry_->mutex);
        return !registry_->entries.empty();
    }

    Publisher<T> publisher() const {
        return Publisher<T>(
            [subject = *this](Receiver receiver) { return subject.subscribe(std::move(receiver)); });
    }

private:
    struct Entry {
        Receiver receive;
        DeliveryGate gate;
    };
    struct Registry {
        std::mutex mutex;
        std::vector<std::shared_ptr<Entry>> entries;
    };

    std::shared_ptr<Registry> registry_ = std::make_shared<Registry>();
};

}  // namespace tavelin
