#pragma once

// The simulated workspace: the installed applications and the running processes of the simulated Mac.
// Tests (and the world) start, quit, activate and hide processes through it; every such change takes
// effect at once and posts its workspace notification on the main queue, to be delivered when the main
// queue runs, as the platform delivers them. An attention change posts nothing: the platform has no
// notification for it.
//
// Main thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RunningApplicationActions.h"
#include "platform/Workspace.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/Clock.h"
#include "runtime/Queue.h"

namespace tavelin::sim {

// An application installed on the simulated Mac; `path` is its bundle on disk.
struct SimApplication {
    std::string bundleIdentifier;
    std::string name;
    std::filesystem::path path;
    std::int64_t activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::regular);
    // File name extensions, in lower case, of the documents it opens ("pdf").
    std::vector<std::string> opens;
    friend bool operator==(const SimApplication&, const SimApplication&) = default;
};

class SimWorkspace final : public Workspace, public RunningApplicationActions {
  public:
    SimWorkspace(Queue& mainQueue, const Clock& clock);

    std::vector<RunningApplication> runningApplications() const override {
        if (trace_) trace_->record("Workspace.runningApplications");
        return processes_;
    }
    std::optional<RunningApplication> frontmostApplication() const override;
    NotificationCenter& notificationCenter() override { return *notificationCenter_; }
    std::optional<std::filesystem::path> urlForApplication(std::string_view bundleIdentifier) const override;
    // A folder opens with the Finder, a file with the first installed application that opens its
    // extension.
    std::optional<std::filesystem::path> urlForApplicationToOpen(
        const std::filesystem::path& path) const override;
    bool accessibilityDisplayShouldReduceMotion() const override { return reduceMotion_; }

    // --- The world's side ---

    void install(SimApplication application);
    const std::vector<SimApplication>& installedApplications() const { return installed_; }
    const SimApplication* installedApplication(std::string_view bundleIdentifier) const;

    // Starts an installed application, launched now, unless it runs already; not active. Gives its
    // process identifier, or none for an application that is not installed.
    std::optional<std::int32_t> launch(std::string_view bundleIdentifier);
    // Starts a process as given (any bundle identifier or none, any policy, a second process of one
    // application), not active; its process identifier is assigned here and returned.
    std::int32_t launchProcess(RunningApplication process);
    // A process that was running when the world began: no notification; it is the frontmost one when
    // it says it is active.
    std::int32_t addRunningProcess(RunningApplication process);

    // Each is false for a process that does not run.
    bool terminate(std::int32_t processIdentifier);
    // Makes it the frontmost application; the previous one becomes inactive.
    bool activate(std::int32_t processIdentifier);
    // The program's request, recorded ("RunningApplication.activate <pid> options=<bits>").
    bool activate(std::int32_t processIdentifier, std::uint32_t options) override;
    // Hiding the active application deactivates it; nothing else comes to the front.
    bool hide(std::int32_t processIdentifier);
    bool unhide(std::int32_t processIdentifier);
    void setReduceMotion(bool reduce) { reduceMotion_ = reduce; }
    // The user switched Spaces; the Mac goes to sleep. Each posts its notification, without an
    // application.
    void activeSpaceDidChange() { post(kWorkspaceActiveSpaceDidChange); }
    void willSleep() { post(kWorkspaceWillSleep); }
    // Sets one keyed property that the application answers (a value of nothing answers with nothing).
    bool setKeyedValue(std::int32_t processIdentifier, std::string key, std::optional<PlistValue> value);

    // The running processes, in the workspace's order, without recording a call.
    const std::vector<RunningApplication>& processes() const { return processes_; }
    std::optional<RunningApplication> process(std::int32_t processIdentifier) const;
    std::optional<RunningApplication> process(std::string_view bundleIdentifier) const;

    // Called at once after every change of the processes (the simulated Dock follows them).
    void setProcessesChangedHandler(std::function<void()> handler) { processesChanged_ = std::move(handler); }
    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }

  private:
    RunningApplication* find(std::int32_t processIdentifier);
    void changed(std::string_view notification, const RunningApplication& application);
    void post(std::string_view notification);

    Queue& mainQueue_;
    const Clock& clock_;
    // Shared with the notifications queued for posting, which may outlive the workspace.
    std::shared_ptr<NotificationCenter> notificationCenter_ = std::make_shared<NotificationCenter>();
    std::vector<SimApplication> installed_;
    std::vector<RunningApplication> processes_;
    std::optional<std::int32_t> frontmost_;
    std::int32_t nextProcessIdentifier_ = 501;
    std::function<void()> processesChanged_;
    SimCallTrace* trace_ = nullptr;
    bool reduceMotion_ = false;
};

}  // namespace tavelin::sim
