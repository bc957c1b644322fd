#include "platform/sim/SimNetwork.h"

#include <utility>

namespace tavelin::sim {
namespace {

std::string describe(const BonjourService& service) {
    std::string text = service.name + " " + service.type;
    for (const auto& [key, value] : service.txtRecord) text += " " + key + "=" + value;
    return text;
}

}  // namespace

class SimNetwork::Listener final : public NetworkListener {
  public:
    Listener(SimNetwork& network, std::shared_ptr<ListenerRecord> record, Queue& queue, StateHandler handler)
        : network_(network), record_(std::move(record)), queue_(queue), handler_(std::move(handler)) {}
    ~Listener() override { cancel(); }

    std::optional<std::uint16_t> port() const override {
        return ready_ && !record_->cancelled ? record_->port : std::nullopt;
    }

    void setService(std::optional<BonjourService> service) override {
        network_.trace_.record("Network.advertise " + record_->label + " " +
                               (service ? describe(*service) : std::string("none")));
        record_->service = std::move(service);
    }

    void cancel() override {
        if (record_->cancelled || record_->failed) return;
        network_.trace_.record("Network.cancel " + record_->label);
        record_->cancelled = true;
        if (record_->port) network_.portsInUse_.erase(*record_->port);
        report(ListenerState::cancelled, std::nullopt);
    }

    // Ready or failed, a moment after listening began.
    void begin(std::optional<std::string> failure) {
        const auto record = record_;
        auto* self = this;
        queue_.async([record, self, failure, handler = handler_] {
            if (record->cancelled) return;
            if (failure) {
                record->failed = true;
            } else {
                // The handle lives while the record is not cancelled (its destructor cancels it).
                self->ready_ = true;
            }
            handler(failure ? ListenerState::failed : ListenerState::ready, failure);
        });
    }

  private:
    void report(ListenerState state, std::optional<std::string> error) {
        queue_.async([handler = handler_, state, error] { handler(state, error); });
    }

    SimNetwork& network_;
    std::shared_ptr<ListenerRecord> record_;
    Queue& queue_;
    StateHandler handler_;
    bool ready_ = false;
};

std::unique_ptr<NetworkListener> SimNetwork::listen(std::string_view label, std::optional<std::uint16_t> port,
                                                    Queue& queue, StateHandler stateHandler) {
    trace_.record("Network.listen " + std::string(label) + (port ? " port " + std::to_string(*port) : ""));
    auto record = std::make_shared<ListenerRecord>();
    record->label = std::string(label);
    std::optional<std::string> failure = std::exchange(nextFailure_, std::nullopt);
    if (!failure && port && portsInUse_.contains(*port)) failure = "Address already in use";
    if (!failure) {
        record->port = port.value_or(freePort());
        portsInUse_.insert(*record->port);
    }
    listeners_.push_back(record);
    auto listener = std::make_unique<Listener>(*this, std::move(record), queue, std::move(stateHandler));
    listener->begin(std::move(failure));
    return listener;
}

std::vector<SimNetwork::ListenerRecord> SimNetwork::listeners() const {
    std::vector<ListenerRecord> records;
    for (const auto& record : listeners_) records.push_back(*record);
    return records;
}

std::vector<SimNetwork::ListenerRecord> SimNetwork::liveListeners(std::string_view label) const {
    std::vector<ListenerRecord> records;
    for (const auto& record : listeners_) {
        if (record->label == label && !record->cancelled && !record->failed) records.push_back(*record);
    }
    return records;
}

std::uint16_t SimNetwork::freePort() {
    while (portsInUse_.contains(nextPort_)) ++nextPort_;
    return nextPort_++;
}

}  // namespace tavelin::sim
