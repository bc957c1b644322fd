#pragma once

// The small system facilities of the simulated Mac that the program's shell uses, each recording what
// it was asked into the world's call trace: the window-server connection, the login item, the
// symbolic hot keys and the updater. Tests set their answers through the world's side. Main thread.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/LoginItems.h"
#include "platform/SoftwareUpdater.h"
#include "platform/SymbolicHotKeys.h"
#include "platform/WindowServerConnection.h"
#include "platform/sim/SimCallTrace.h"

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

class SimSymbolicHotKeys final : public SymbolicHotKeys {
  public:
    explicit SimSymbolicHotKeys(SimCallTrace& trace) : trace_(trace) {}

    bool lookUpSetEnabled() override {
        trace_.record("SymbolicHotKeys.lookUp");
        return available_;
    }
    void setEnabled(std::uint32_t hotKey, bool enabled) override {
        trace_.record("SymbolicHotKeys.setEnabled " + std::to_string(hotKey) + (enabled ? " on" : " off"));
        enabled_[hotKey] = enabled;
    }

    // --- The world's side ---

    // The system's state of a hot key; every one is on until switched off.
    bool isEnabled(std::uint32_t hotKey) const {
        const auto found = enabled_.find(hotKey);
        return found == enabled_.end() || found->second;
    }
    // A system without the private call.
    void setAvailable(bool available) { available_ = available; }
    // The system turns every one on again (the Dock relaunched, the Mac woke).
    void restoreAll() { enabled_.clear(); }

  private:
    SimCallTrace& trace_;
    bool available_ = true;
    std::map<std::uint32_t, bool> enabled_;
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
