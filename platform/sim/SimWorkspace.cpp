#include "platform/sim/SimWorkspace.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "platform/FileURL.h"

namespace tavelin::sim {
namespace {

std::string lowerCaseASCII(std::string text) {
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

SimWorkspace::SimWorkspace(Scheduler& scheduler) : scheduler_(scheduler), mainThread_(scheduler.main()) {}

SimWorkspace::~SimWorkspace() {
    for (const auto& work : pending_) work.cancel();
}

std::vector<RunningApplication> SimWorkspace::runningApplications(std::string_view bundleIdentifier) const {
    mainThread_.check();
    if (trace_) trace_->record("Workspace.runningApplications " + std::string(bundleIdentifier));
    std::vector<RunningApplication> found;
    for (const auto& process : processes_) {
        if (process.bundleIdentifier == bundleIdentifier) found.push_back(process);
    }
    return found;
}

std::optional<RunningApplication> SimWorkspace::runningApplication(std::int32_t processIdentifier) const {
    mainThread_.check();
    if (trace_) trace_->record("Workspace.runningApplication " + std::to_string(processIdentifier));
    return process(processIdentifier);
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
    mainThread_.check();
    return frontmost_ ? process(*frontmost_) : std::nullopt;
}

std::optional<std::filesystem::path> SimWorkspace::urlForApplication(
    std::string_view bundleIdentifier) const {
    mainThread_.check();
    const auto* application = installedApplication(bundleIdentifier);
    return application ? std::optional(application->path) : std::nullopt;
}

std::optional<std::filesystem::path> SimWorkspace::urlForApplicationToOpen(
    const std::filesystem::path& path) const {
    mainThread_.check();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return urlForApplication("com.apple.finder");
    const auto extension = path.extension().string();
    if (extension.size() < 2) return std::nullopt;
    return firstOpening(lowerCaseASCII(extension.substr(1)));
}

std::optional<std::filesystem::path> SimWorkspace::firstOpening(std::string_view extension) const {
    for (const auto& application : installed_) {
        if (std::ranges::find(application.opens, extension) != application.opens.end()) return application.path;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> SimWorkspace::urlForApplicationToOpenURL(std::string_view url) const {
    mainThread_.check();
    if (const auto path = filePathFromURL(url)) return urlForApplicationToOpen(*path);
    const auto colon = url.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto scheme = lowerCaseASCII(std::string(url.substr(0, colon)));
    if (const auto handler = schemeHandlers_.find(scheme); handler != schemeHandlers_.end()) {
        return urlForApplication(handler->second);
    }
    // A Mac always has a default browser: unless one is set, the first application that opens web pages.
    return scheme == "http" || scheme == "https" ? firstOpening("html") : std::nullopt;
}

void SimWorkspace::setDefaultApplication(std::string_view scheme, std::string bundleIdentifier) {
    schemeHandlers_.insert_or_assign(lowerCaseASCII(std::string(scheme)), std::move(bundleIdentifier));
}

void SimWorkspace::install(SimApplication application) {
    std::erase_if(installed_, [&](const SimApplication& installed) {
        return installed.bundleIdentifier == application.bundleIdentifier;
    });
    installed_.push_back(std::move(application));
}

const SimApplication* SimWorkspace::installedApplication(std::string_view bundleIdentifier) const {
    const auto found = std::ranges::find(installed_, bundleIdentifier, &SimApplication::bundleIdentifier);
    return found == installed_.end() ? nullptr : &*found;
}

std::optional<std::int32_t> SimWorkspace::launch(std::string_view bundleIdentifier) {
    if (const auto running = process(bundleIdentifier)) return running->processIdentifier;
    const auto* application = installedApplication(bundleIdentifier);
    if (application == nullptr) return std::nullopt;
    const auto processIdentifier = launchProcess(RunningApplication{
        .bundleIdentifier = application->bundleIdentifier,
        .localizedName = application->name,
        .bundlePath = application->path,
        .activationPolicy = application->activationPolicy,
        .launchDate = scheduler_.clock().now(),
        .isFinishedLaunching = false,
    });
    after(application->launchDelay, [this, processIdentifier] { finishLaunching(processIdentifier); });
    return processIdentifier;
}

void SimWorkspace::finishLaunching(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return;
    process->isFinishedLaunching = true;
    if (const auto* application = applicationOf(*process); application && application->launchWindow) {
        showWindow(processIdentifier, *application->launchWindow);
    }
    auto waiters = std::move(launchWaiters_[processIdentifier]);
    launchWaiters_.erase(processIdentifier);
    for (auto& job : waiters) job();
}

void SimWorkspace::whenFinishedLaunching(std::int32_t processIdentifier, Job job) {
    const auto* running = find(processIdentifier);
    if (running == nullptr) return;
    if (running->isFinishedLaunching) {
        job();
        return;
    }
    launchWaiters_[processIdentifier].push_back(std::move(job));
}

void SimWorkspace::showWindow(std::int32_t processIdentifier, const std::string& title) {
    if (windowHandler_ && find(processIdentifier) != nullptr) windowHandler_(processIdentifier, title);
}

void SimWorkspace::after(Duration delay, Job job) {
    if (delay <= Duration::zero()) {
        job();
        return;
    }
    pending_.push_back(scheduler_.scheduleWorldEvent(delay, std::move(job)));
}

std::int32_t SimWorkspace::launchProcess(RunningApplication process) {
    process.isActive = false;
    const auto processIdentifier = addRunningProcess(std::move(process));
    changed(kWorkspaceDidLaunchApplication, *find(processIdentifier));
    return processIdentifier;
}

std::int32_t SimWorkspace::addRunningProcess(RunningApplication process) {
    process.processIdentifier = nextProcessIdentifier_;
    // After the largest process identifier the count starts again, as the system's does.
    nextProcessIdentifier_ =
        nextProcessIdentifier_ == std::numeric_limits<std::int32_t>::max() ? 501 : nextProcessIdentifier_ + 1;
    process.isTerminated = false;
    if (process.isActive) {
        if (frontmost_) find(*frontmost_)->isActive = false;
        frontmost_ = process.processIdentifier;
        frontToBack_.insert(frontToBack_.begin(), process.processIdentifier);
    } else {
        frontToBack_.push_back(process.processIdentifier);
    }
    processes_.push_back(std::move(process));
    return processes_.back().processIdentifier;
}

bool SimWorkspace::terminate(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    auto ended = std::move(*process);
    ended.isActive = false;
    ended.isTerminated = true;
    std::erase_if(processes_,
                  [&](const RunningApplication& p) { return p.processIdentifier == processIdentifier; });
    if (frontmost_ == processIdentifier) frontmost_.reset();
    std::erase(frontToBack_, processIdentifier);
    launchWaiters_.erase(processIdentifier);
    changed(kWorkspaceDidTerminateApplication, ended);
    return true;
}

bool SimWorkspace::activate(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    if (frontmost_) {
        if (auto* previous = find(*frontmost_)) previous->isActive = false;
    }
    process->isActive = true;
    frontmost_ = processIdentifier;
    std::erase(frontToBack_, processIdentifier);
    frontToBack_.insert(frontToBack_.begin(), processIdentifier);
    changed(kWorkspaceDidActivateApplication, *process);
    return true;
}

bool SimWorkspace::activate(std::int32_t processIdentifier, std::uint32_t options) {
    mainThread_.check();
    if (trace_) {
        trace_->record("RunningApplication.activate " + std::to_string(processIdentifier) +
                       " options=" + std::to_string(options));
    }
    if (refusals_[processIdentifier].contains(SimApplicationRequest::activate)) return false;
    return activate(processIdentifier);
}

bool SimWorkspace::hide(const RunningApplication& application) {
    mainThread_.check();
    return takes(application, SimApplicationRequest::hide, "hide") && hide(application.processIdentifier);
}

bool SimWorkspace::unhide(const RunningApplication& application) {
    mainThread_.check();
    return takes(application, SimApplicationRequest::unhide, "unhide") &&
           unhide(application.processIdentifier);
}

bool SimWorkspace::terminate(const RunningApplication& application) {
    mainThread_.check();
    if (!takes(application, SimApplicationRequest::terminate, "terminate")) return false;
    const auto* installed = applicationOf(application);
    const auto delay = installed ? installed->quitDelay : std::optional(Duration::zero());
    if (delay) {
        after(*delay,
              [this, processIdentifier = application.processIdentifier] { terminate(processIdentifier); });
    }
    return true;
}

bool SimWorkspace::forceTerminate(const RunningApplication& application) {
    mainThread_.check();
    return takes(application, SimApplicationRequest::forceTerminate, "forceTerminate") &&
           terminate(application.processIdentifier);
}

void SimWorkspace::refuse(std::int32_t processIdentifier, SimApplicationRequest request, bool refused) {
    if (refused) {
        refusals_[processIdentifier].insert(request);
    } else {
        refusals_[processIdentifier].erase(request);
    }
}

const SimApplication* SimWorkspace::applicationOf(const RunningApplication& process) const {
    return process.bundleIdentifier ? installedApplication(*process.bundleIdentifier) : nullptr;
}

bool SimWorkspace::takes(const RunningApplication& application, SimApplicationRequest request,
                         std::string_view call) {
    const auto processIdentifier = application.processIdentifier;
    if (trace_)
        trace_->record("RunningApplication." + std::string(call) + " " + std::to_string(processIdentifier));
    return find(processIdentifier) != nullptr && !refusals_[processIdentifier].contains(request);
}

bool SimWorkspace::hide(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    process->isHidden = true;
    const bool wasActive = process->isActive;
    if (wasActive) {
        process->isActive = false;
        frontmost_.reset();
    }
    changed(kWorkspaceDidHideApplication, *process);
    if (!wasActive) return true;
    const auto next = std::ranges::find_if(frontToBack_, [&](std::int32_t candidate) {
        const auto* other = find(candidate);
        return other && !other->isHidden &&
               other->activationPolicy == static_cast<std::int64_t>(RawActivationPolicy::regular);
    });
    if (next != frontToBack_.end()) activate(*next);
    return true;
}

bool SimWorkspace::unhide(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    process->isHidden = false;
    changed(kWorkspaceDidUnhideApplication, *process);
    return true;
}

bool SimWorkspace::setKeyedValue(std::int32_t processIdentifier, std::string key,
                                 std::optional<PlistValue> value) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    process->keyedValues[std::move(key)] = std::move(value);
    return true;
}

std::optional<RunningApplication> SimWorkspace::process(std::int32_t processIdentifier) const {
    const auto found =
        std::ranges::find(processes_, processIdentifier, &RunningApplication::processIdentifier);
    return found == processes_.end() ? std::nullopt : std::optional(*found);
}

std::optional<RunningApplication> SimWorkspace::process(std::string_view bundleIdentifier) const {
    const auto found = std::ranges::find_if(
        processes_, [&](const RunningApplication& p) { return p.bundleIdentifier == bundleIdentifier; });
    return found == processes_.end() ? std::nullopt : std::optional(*found);
}

RunningApplication* SimWorkspace::find(std::int32_t processIdentifier) {
    const auto found =
        std::ranges::find(processes_, processIdentifier, &RunningApplication::processIdentifier);
    return found == processes_.end() ? nullptr : &*found;
}

void SimWorkspace::changed(std::string_view notification, const RunningApplication& application) {
    if (processesChanged_) processesChanged_(notification);
    scheduler_.main().async([center = notificationCenter_, name = std::string(notification), application,
                             sender = static_cast<const void*>(this)] {
        center->post(Notification{name, sender, {{std::string(kWorkspaceApplicationKey), application}}});
    });
}

void SimWorkspace::post(std::string_view notification) {
    scheduler_.main().async([center = notificationCenter_, name = std::string(notification),
                             sender = static_cast<const void*>(this)] {
        center->post(Notification{name, sender, {}});
    });
}

}  // namespace tavelin::sim
