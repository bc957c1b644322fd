#pragma once

// The program's own application object on the simulated Mac. It starts as an accessory, as the
// program's bundle says; activating it brings the program's process to the front of the simulated
// workspace. The world finishes the launch (finishLaunching), which tells the delegate; terminating
// tells the delegate, records the end and calls the world's termination handler, through which the
// program's loop stops. Every request is recorded in the world's call trace. Main thread.

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/Application.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimProgram final : public Application {
  public:
    SimProgram(SimWorkspace& workspace, std::string bundleIdentifier, SimCallTrace& trace)
        : workspace_(workspace),
          mainThread_(workspace.mainThread()),
          bundleIdentifier_(std::move(bundleIdentifier)),
          trace_(trace) {}

    RawActivationPolicy activationPolicy() const override {
        mainThread_.check();
        return policy_;
    }
    void setActivationPolicy(RawActivationPolicy policy) override;
    void activate(bool ignoringOtherApps) override;
    void setDelegate(ApplicationDelegate* delegate) override {
        mainThread_.check();
        delegate_ = delegate;
    }
    ApplicationDelegate* delegate() const override {
        mainThread_.check();
        return delegate_;
    }
    void terminate() override;
    void relaunch(const std::filesystem::path& bundlePath) override;

    // --- The world's side ---

    // Tells the delegate that launching has finished.
    void finishLaunching();
    bool isTerminated() const { return terminated_; }
    // The bundle a relaunch was asked from, if any.
    const std::optional<std::filesystem::path>& relaunchedFrom() const { return relaunchedFrom_; }
    // Called once the application has ended.
    void setTerminationHandler(std::function<void()> handler) { terminationHandler_ = std::move(handler); }

  private:
    SimWorkspace& workspace_;
    SequenceChecker mainThread_;
    const std::string bundleIdentifier_;
    SimCallTrace& trace_;
    RawActivationPolicy policy_ = RawActivationPolicy::accessory;
    ApplicationDelegate* delegate_ = nullptr;
    bool terminated_ = false;
    std::optional<std::filesystem::path> relaunchedFrom_;
    std::function<void()> terminationHandler_;
};

}  // namespace tavelin::sim
