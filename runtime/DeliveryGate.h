#pragma once

// What makes cancelling a subscription hold from any thread: each delivery passes the gate, and
// close() shuts it. Once close() has returned no delivery starts any more, and none is running on
// another thread: close() waits for those. A delivery running on the closing thread itself (a receiver
// cancelling its own subscription) is not waited for, so that it cannot deadlock on itself.
// Two threads must not close, from inside deliveries, each other's gates at once: each would wait for
// the other.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tavelin {

class DeliveryGate {
public:
    // Runs the delivery unless the gate is closed.
    template <class Deliver>
    void pass(Deliver&& deliver) {
        if (!enter()) return;
        struct Leave {
            DeliveryGate& gate;
            ~Leave() { gate.leave(); }
        } leave{*this};
        deliver();
    }

    void close();

private:
    bool enter();
    void leave();

    std::mutex mutex_;
    std::condition_variable left_;
    bool closed_ = false;
    std::vector<std::thread::id> delivering_;  // one entry per running delivery
};

}  // namespace tavelin
