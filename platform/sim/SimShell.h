#pragma once

// The small system facilities of the simulated Mac that the program's shell uses, each recording what
// it was asked into the world's call trace: the window-server connection, the login item and the
// updater (the symbolic hot keys are in SimSymbolicHotKeys.h). Tests set their answers through the
// world's side. Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/LoginItems.h"
#include "platform/SoftwareUpdater.h"
#include "platform/WindowServerConnection.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimSymbolicHotKeys.h"

namespace tavelin::sim {

class SimWindowServerConnection final : public WindowServerConnection {
  public:
    explicit SimWindowServerConnection(SimCallTrace& trace) : trace_(trace) {}

    std::int32_t mainConnectionID() override {
        trace_.record("WindowServer.mainConnectionID");
        return kConnectionID;
    }

    static constexpr std::int32_t kConnectionID = 0x1d03;

  private:
    SimCallTrace& trace_;
};

class SimLoginItems final : public LoginItems {
  public:
    explicit SimLoginItems(SimCallTrace& trace) : trace_(trace) {}

    std::expected<void, LoginItemError> registerMainApp() override { return change("register", true); }
    std::expected<void, LoginItemError> unregisterMainApp() override { return change("unregister", false); }

    // --- The world's side ---

    bool isRegistered() const { return registered_; }
    // While set, every request fails with it and changes nothing.
    void setFailure(std::optional<LoginItemError> error) { failure_ = std::move(error); }

  private:
    std::expected<void, LoginItemError> change(const char* call, bool registered) {
        trace_.record(std::string("LoginItems.") + call);
        if (failure_) return std::unexpected(*failure_);
        registered_ = registered;
        return {};
    }

    SimCallTrace& trace_;
    bool registered_ = false;
    std::optional<LoginItemError> failure_;
};

class SimSoftwareUpdater final : public SoftwareUpdater {
  public:
    explicit SimSoftwareUpdater(SimCallTrace& trace) : trace_(trace) {}

    void start() override {
        trace_.record("Updater.start");
        ++starts_;
    }
    void checkForUpdates() override {
        trace_.record("Updater.checkForUpdates");
        ++checks_;
    }

    // --- The world's side ---

    int starts() const { return starts_; }
    int checks() const { return checks_; }

  private:
    SimCallTrace& trace_;
    int starts_ = 0;
    int checks_ = 0;
};

}  // namespace tavelin::sim
