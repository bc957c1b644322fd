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
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimWindowServerConnection final : public WindowServerConnection {
  public:
    SimWindowServerConnection(SimCallTrace& trace, SequenceChecker mainThread)
        : trace_(trace), mainThread_(mainThread) {}

    std::int32_t mainConnectionID() override {
        mainThread_.check();
        trace_.record("WindowServer.mainConnectionID");
        return kConnectionID;
    }

    static constexpr std::int32_t kConnectionID = 0x1d03;

  private:
    SimCallTrace& trace_;
    SequenceChecker mainThread_;
};

class SimLoginItems final : public LoginItems {
  public:
    SimLoginItems(SimCallTrace& trace, SequenceChecker mainThread)
        : trace_(trace), mainThread_(mainThread) {}

    std::expected<void, LoginItemError> registerMainApp() override { return change("register", true); }
    std::expected<void, LoginItemError> unregisterMainApp() override { return change("unregister", false); }

    // --- The world's side ---

    bool isRegistered() const { return registered_; }
    // While set, every request fails with it and changes nothing.
    void setFailure(std::optional<LoginItemError> error) { failure_ = std::move(error); }

  private:
    std::expected<void, LoginItemError> change(const char* call, bool registered) {
        mainThread_.check();
        trace_.record(std::string("LoginItems.") + call);
        if (failure_) return std::unexpected(*failure_);
        registered_ = registered;
        return {};
    }

    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    bool registered_ = false;
    std::optional<LoginItemError> failure_;
};

class SimSoftwareUpdater final : public SoftwareUpdater {
  public:
    SimSoftwareUpdater(SimCallTrace& trace, SequenceChecker mainThread)
        : trace_(trace), mainThread_(mainThread) {}

    void start() override {
        mainThread_.check();
        trace_.record("Updater.start");
        ++starts_;
    }
    void checkForUpdates() override {
        mainThread_.check();
        trace_.record("Updater.checkForUpdates");
        ++checks_;
    }

    // --- The world's side ---

    int starts() const { return starts_; }
    int checks() const { return checks_; }

  private:
    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    int starts_ = 0;
    int checks_ = 0;
};

}  // namespace tavelin::sim
