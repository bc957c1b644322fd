#include "platform/sim/SimWorkspace.h"

#include <algorithm>
#include <system_error>

namespace tavelin::sim {
namespace {

std::string lowerCaseASCII(std::string text) {
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

SimWorkspace::SimWorkspace(Queue& mainQueue, const Clock& clock) : mainQueue_(mainQueue), clock_(clock) {}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
    return frontmost_ ? process(*frontmost_) : std::nullopt;
}

std::optional<std::filesystem::path> SimWorkspace::urlForApplication(
    std::string_view bundleIdentifier) const {
    const auto* application = installedApplication(bundleIdentifier);
    return application ? std::optional(application->path) : std::nullopt;
}

std::optional<std::filesystem::path> SimWorkspace::urlForApplicationToOpen(
    const std::filesystem::path& path) const {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return urlForApplication("com.apple.finder");
    const auto extension = path.extension().string();
    if (extension.size() < 2) return std::nullopt;
    const auto wanted = lowerCaseASCII(extension.substr(1));
    for (const auto& application : installed_) {
        if (std::ranges::find(application.opens, wanted) != application.opens.end()) return application.path;
    }
    return std::nullopt;
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
    return launchProcess(RunningApplication{
        .bundleIdentifier = application->bundleIdentifier,
        .localizedName = application->name,
        .bundlePath = application->path,
        .activationPolicy = application->activationPolicy,
        .launchDate = clock_.now(),
    });
}

std::int32_t SimWorkspace::launchProcess(RunningApplication process) {
    process.isActive = false;
    const auto processIdentifier = addRunningProcess(std::move(process));
    changed(kWorkspaceDidLaunchApplication, *find(processIdentifier));
    return processIdentifier;
}

std::int32_t SimWorkspace::addRunningProcess(RunningApplication process) {
    process.processIdentifier = nextProcessIdentifier_++;
    process.isTerminated = false;
    if (process.isActive) {
        if (frontmost_) find(*frontmost_)->isActive = false;
        frontmost_ = process.processIdentifier;
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
    changed(kWorkspaceDidActivateApplication, *process);
    return true;
}

bool SimWorkspace::activate(std::int32_t processIdentifier, std::uint32_t options) {
    if (trace_) {
        trace_->record("RunningApplication.activate " + std::to_string(processIdentifier) +
                       " options=" + std::to_string(options));
    }
    return activate(processIdentifier);
}

bool SimWorkspace::hide(std::int32_t processIdentifier) {
    auto* process = find(processIdentifier);
    if (process == nullptr) return false;
    process->isHidden = true;
    if (process->isActive) {
        process->isActive = false;
        frontmost_.reset();
    }
    changed(kWorkspaceDidHideApplication, *process);
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
    if (processesChanged_) processesChanged_();
    mainQueue_.async([center = notificationCenter_, name = std::string(notification), application,
                      sender = static_cast<const void*>(this)] {
        center->post(Notification{name, sender, {{std::string(kWorkspaceApplicationKey), application}}});
    });
}

void SimWorkspace::post(std::string_view notification) {
    mainQueue_.async([center = notificationCenter_, name = std::string(notification),
                      sender = static_cast<const void*>(this)] { center->post(Notification{name, sender, {}}); });
}

}  // namespace tavelin::sim
