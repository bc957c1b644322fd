#include "runtime/NotificationCenter.h"

#include "runtime/DeliveryGate.h"

namespace tavelin {

ObserverToken NotificationCenter::addObserver(std::string name, const void* sender, Queue* queue,
                                              Observer observer) {
    struct Delivery {
        Observer observer;
        DeliveryGate gate;  // also stops what is already queued
    };
    auto delivery = std::make_shared<Delivery>(std::move(observer));
    auto subscription = posted_.subscribe([name = std::move(name), sender, queue, delivery](
                                              const std::shared_ptr<const Notification>& notification) {
        if (notification->name != name || (sender && notification->sender != sender)) return;
        if (!queue || queue->isCurrent()) {
            delivery->gate.pass([&] { delivery->observer(*notification); });
        } else {
            queue->async([delivery, notification] {
                delivery->gate.pass([&] { delivery->observer(*notification); });
            });
        }
    });
    return ObserverToken([delivery, subscription = std::move(subscription)]() mutable {
        delivery->gate.close();
        subscription.cancel();
    });
}

void NotificationCenter::post(Notification notification) {
    posted_.send(std::make_shared<const Notification>(std::move(notification)));
}

}  // namespace tavelin
