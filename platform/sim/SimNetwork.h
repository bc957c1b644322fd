#pragma once

// The simulated local network: listeners get a port (the one asked for when it is free, otherwise the
// next free one from 49152) and report ready on their queue, later; a port in use, or a failure a test
// set, makes the listener fail instead. The Bonjour service a listener advertises is kept with it.
// Every request is recorded in the world's call trace. Main thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/NetworkListeners.h"
#include "platform/sim/SimCallTrace.h"

namespace tavelin::sim {

class SimNetwork final : public NetworkListeners {
  public:
    struct ListenerRecord {
        std::string label;
        std::optional<std::uint16_t> port;
        std::optional<BonjourService> service;
        bool cancelled = false;
        bool failed = false;
    };

    explicit SimNetwork(SimCallTrace& trace) : trace_(trace) {}

    std::unique_ptr<NetworkListener> listen(std::string_view label, std::optional<std::uint16_t> port,
                                            Queue& queue, StateHandler stateHandler) override;

    // --- The world's side ---

    // Every listener made, in order.
    std::vector<ListenerRecord> listeners() const;
    // The listeners of that label that neither failed nor were cancelled.
    std::vector<ListenerRecord> liveListeners(std::string_view label) const;
    // The next listener fails with this reason.
    void failNextListen(std::string reason) { nextFailure_ = std::move(reason); }

    static constexpr std::uint16_t kFirstFreePort = 49152;

  private:
    class Listener;

    std::uint16_t freePort();

    SimCallTrace& trace_;
    std::vector<std::shared_ptr<ListenerRecord>> listeners_;
    std::set<std::uint16_t> portsInUse_;
    std::uint16_t nextPort_ = kFirstFreePort;
    std::optional<std::string> nextFailure_;
};

}  // namespace tavelin::sim
