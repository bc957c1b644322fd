#pragma once

// TCP listeners on the local network, and the Bonjour service a listener advertises. A listener
// reports its state changes on the queue it was made with: ready (with its port), failed (with the
// system's reason) or cancelled. Any thread may make, change and cancel a listener.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/Queue.h"

namespace tavelin {

// A Bonjour service: its instance name, its type ("_tavelin._tcp") and its TXT record.
struct BonjourService {
    std::string name;
    std::string type;
    std::map<std::string, std::string> txtRecord;
    friend bool operator==(const BonjourService&, const BonjourService&) = default;
};

enum class ListenerState { ready, failed, cancelled };

class NetworkListener {
  public:
    virtual ~NetworkListener() = default;

    // None until the listener is ready.
    virtual std::optional<std::uint16_t> port() const = 0;
    // Advertises the service for this listener's port (replacing what was advertised); none stops.
    virtual void setService(std::optional<BonjourService> service) = 0;
    // Stops listening; the state handler hears `cancelled`. Destroying the handle cancels too.
    virtual void cancel() = 0;
};

class NetworkListeners {
  public:
    using StateHandler = std::function<void(ListenerState, const std::optional<std::string>& error)>;

    virtual ~NetworkListeners() = default;

    // Listens on `port` (none: a free port the system picks); `label` names the listener in logs.
    virtual std::unique_ptr<NetworkListener> listen(std::string_view label, std::optional<std::uint16_t> port,
                                                    Queue& queue, StateHandler stateHandler) = 0;
};

}  // namespace tavelin
