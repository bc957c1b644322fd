#pragma once

// The simulated workspace: the installed applications and the running processes of the simulated Mac.
// Tests (and the world) start, quit, activate and hide processes through it; every such change takes
// effect at once and posts its workspace notification on the main queue, to be delivered when the main
// queue runs, as the platform delivers them. An attention change posts nothing: the platform has no
// notification for it.
//
// The program's requests to a running application (RunningApplicationActions) are recorded in the call
// trace and can be refused per process. An application launched by its bundle identifier takes its
// launch delay to finish launching and then shows its launch window, if it has one; asked to quit, it
// ends after its quit delay, or never. The windows themselves belong to the window world: the world
// shows them through the window handler (SimMac sets it).
//
// Main thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/RunningApplicationActions.h"
#include "platform/Workspace.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/Scheduler.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

// An application installed on the simulated Mac; `path` is its bundle on disk.
struct SimApplication {
    std::string bundleIdentifier;
    std::string name;
    std::filesystem::path path;
    std::int64_t activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::regular);
    // File name extensions, in lower case, of the documents it opens ("pdf").
    std::vector<std::string> opens;
    // From a launch by bundle identifier to its end; the window it then shows, if any.
    Duration launchDelay{};
    std::optional<std::string> launchWindow;
    // How it answers the reopen event: after the reply delay, with a window of this title or nothing.
    std::optional<std::string> reopenWindow;
    Duration reopenReplyDelay{};
    // Asked to quit, it ends this much later; never when none.
    std::optional<Duration> quitDelay = Duration::zero();
    friend bool operator==(const SimApplication&, const SimApplication&) = default;
};

// The program's requests to a running application, for refusing them.
enum class SimApplicationRequest { activate, hide, unhide, terminate, forceTerminate };

class SimWorkspace final : public Workspace, public RunningApplicationActions {
  public:
    explicit SimWorkspace(Scheduler& scheduler);
    ~SimWorkspace() override;

    std::vector<RunningApplication> runningApplications() const override {
        mainThread_.check();
        if (trace_) trace_->record("Workspace.runningApplications");
        return processes_;
    }
    std::vector<RunningApplication> runningApplications(std::string_view bundleIdentifier) const override;
    std::optional<RunningApplication> runningApplication(std::int32_t processIdentifier) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    NotificationCenter& notificationCenter() override { return *notificationCenter_; }
    std::optional<std::filesystem::path> urlForApplication(std::string_view bundleIdentifier) const override;
    // A folder opens with the Finder, a file with the first installed application that opens its
    // extension.
    std::optional<std::filesystem::path> urlForApplicationToOpen(
        const std::filesystem::path& path) const override;
    // The application set for the URL's scheme (any letter case); for a web link without one, the first
    // installed application that opens "html"; none when none is set or installed.
    std::optional<std::filesystem::path> urlForApplicationToOpenURL(std::string_view url) const override;
    bool accessibilityDisplayShouldReduceMotion() const override {
        mainThread_.check();
        return reduceMotion_;
    }

    // --- The world's side ---

    void install(SimApplication application);
    const std::vector<SimApplication>& installedApplications() const { return installed_; }
    const SimApplication* installedApplication(std::string_view bundleIdentifier) const;
    // For tests to set up how it launches, reopens and quits.
    SimApplication* installedApplication(std::string_view bundleIdentifier) {
        return const_cast<SimApplication*>(std::as_const(*this).installedApplication(bundleIdentifier));
    }
    // The application that opens URLs of a scheme ("https": the default browser).
    void setDefaultApplication(std::string_view scheme, std::string bundleIdentifier);

    // Starts an installed application unless it runs already; not active; launched now and finished
    // launching after its launch delay. Gives its process identifier, or none for an application that
    // is not installed.
    std::optional<std::int32_t> launch(std::string_view bundleIdentifier);
    // Runs the job once the process has finished launching (at once when it has), unless it ends first.
    void whenFinishedLaunching(std::int32_t processIdentifier, Job job);
    // Starts a process as given (any bundle identifier or none, any policy, a second process of one
    // application), not active; its process identifier is assigned here and returned.
    std::int32_t launchProcess(RunningApplication process);
    // The process identifier the next started process gets (then counting up).
    void setNextProcessIdentifier(std::int32_t processIdentifier) {
        nextProcessIdentifier_ = processIdentifier;
    }
    // A process that was running when the world began: no notification; it is the frontmost one when
    // it says it is active.
    std::int32_t addRunningProcess(RunningApplication process);

    // Each is false for a process that does not run.
    bool terminate(std::int32_t processIdentifier);
    // Makes it the frontmost application; the previous one becomes inactive.
    bool activate(std::int32_t processIdentifier);
    // The program's requests, recorded ("RunningApplication.activate <pid> options=<bits>",
    // "RunningApplication.hide <pid>", ...).
    bool activate(std::int32_t processIdentifier, std::uint32_t options) override;
    bool hide(const RunningApplication& application) override;
    bool unhide(const RunningApplication& application) override;
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;
    // The process refuses that request from now on (or takes it again).
    void refuse(std::int32_t processIdentifier, SimApplicationRequest request, bool refused = true);
    // The installed application that a process belongs to, if any.
    const SimApplication* applicationOf(const RunningApplication& process) const;
    // Hiding the active application deactivates it, and the visible regular application that was most
    // recently in front becomes active (announced as any activation); with none, nothing is in front.
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

    // Called at once after every change of the processes, with the notification that tells of it (the
    // simulated Dock follows launches and terminations).
    void setProcessesChangedHandler(std::function<void(std::string_view)> handler) {
        processesChanged_ = std::move(handler);
    }
    // Shows a new window of a running process with that title, in front (SimMac sets the handler).
    void setWindowHandler(std::function<void(std::int32_t, const std::string&)> handler) {
        windowHandler_ = std::move(handler);
    }
    void showWindow(std::int32_t processIdentifier, const std::string& title);
    // Runs the job as a world event after the delay, or at once for a delay of 0; dropped when the
    // workspace goes first.
    void after(Duration delay, Job job);
    Scheduler& scheduler() { return scheduler_; }
    SequenceChecker mainThread() const { return mainThread_; }
    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }

  private:
    // The first installed application that opens documents with the extension (in lower case).
    std::optional<std::filesystem::path> firstOpening(std::string_view extension) const;
    RunningApplication* find(std::int32_t processIdentifier);
    void changed(std::string_view notification, const RunningApplication& application);
    void finishLaunching(std::int32_t processIdentifier);
    // Records the request; false when the process does not run or refuses it.
    bool takes(const RunningApplication& application, SimApplicationRequest request, std::string_view call);
    void post(std::string_view notification);

    Scheduler& scheduler_;
    SequenceChecker mainThread_;
    // Shared with the notifications queued for posting, which may outlive the workspace.
    std::shared_ptr<NotificationCenter> notificationCenter_ = std::make_shared<NotificationCenter>();
    std::vector<SimApplication> installed_;
    // Lower-case scheme to bundle identifier.
    std::map<std::string, std::string, std::less<>> schemeHandlers_;
    std::vector<RunningApplication> processes_;
    std::optional<std::int32_t> frontmost_;
    // Every process, the most recently active first; those never active in launch order behind.
    std::vector<std::int32_t> frontToBack_;
    std::int32_t nextProcessIdentifier_ = 501;
    std::function<void(std::string_view)> processesChanged_;
    std::function<void(std::int32_t, const std::string&)> windowHandler_;
    std::map<std::int32_t, std::set<SimApplicationRequest>> refusals_;
    std::map<std::int32_t, std::vector<Job>> launchWaiters_;
    std::vector<WorkItem> pending_;
    SimCallTrace* trace_ = nullptr;
    bool reduceMotion_ = false;
};

}  // namespace tavelin::sim
