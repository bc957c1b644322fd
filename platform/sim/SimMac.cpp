#include "platform/sim/SimMac.h"

#include <system_error>

#include "platform/PlistFile.h"

namespace tavelin::sim {
namespace {

BundleInfo onDisk(const std::filesystem::path& homeFolder, BundleInfo program) {
    program.path = diskPath(homeFolder, program.path);
    return program;
}

}  // namespace

std::expected<std::unique_ptr<SimMac>, SimMacError> SimMac::load(const std::filesystem::path& desktopFile,
                                                                 const std::filesystem::path& homeFolder,
                                                                 Scheduler& scheduler, SystemLog& log) {
    auto desktop = loadDesktopFile(desktopFile);
    if (!desktop) return std::unexpected(SimMacError{std::move(desktop.error().message)});
    std::error_code error;
    if (!std::filesystem::is_directory(homeFolder, error)) {
        return std::unexpected(
            SimMacError{homeFolder.string() + ": the home folder is missing or not a folder"});
    }
    return std::make_unique<SimMac>(std::move(*desktop), homeFolder, scheduler, log);
}

SimMac::SimMac(Desktop desktop, std::filesystem::path homeFolder, Scheduler& scheduler, SystemLog& log)
    : homeFolder_(std::move(homeFolder)),
      log_(log),
      mainThread_(scheduler.main()),
      host_(std::move(desktop.host), onDisk(homeFolder_, std::move(desktop.program)), mainThread_),
      userDefaults_(homeFolder_, log),
      folders_(homeFolder_),
      workspace_(scheduler),
      systemQueue_(scheduler.serialQueue("sim.system")),
      windowWorld_(scheduler),
      screenCapture_(windowWorld_, privacy_, scheduler),
      displays_(desktop.screens, desktop.mouseLocation, homeFolder_, windowWorld_, scheduler.main(),
                {notificationCenter_, workspace_.notificationCenter()}, log),
      eventTaps_(accessibility_, scheduler.main(), calls_),
      input_(SimInputStream::World{scheduler, eventTaps_, hotKeys_, symbolicHotKeys_, workspace_, displays_,
                                   host_.mainBundle().identifier, calls_, windowWorld_}) {
    input_.setKeyResponder([this] { return appWindows_.keyResponder(); });
    input_.setProgramWindowAt([this](Point point) -> std::optional<SimInputStream::ProgramWindow> {
        const auto window = appWindows_.windowAt(point);
        if (!window) return std::nullopt;
        return SimInputStream::ProgramWindow{window->first, window->second};
    });
    std::error_code error;
    std::filesystem::create_directories(*folders_.trashDirectory(), error);
    if (error) log_.log("SimMac: " + folders_.trashDirectory()->string() + ": " + error.message());
    for (const auto& file : desktop.files) copyIfMissing(file);

    if (const auto written = symbolicHotKeys_.setHomeFolder(homeFolder_); !written) {
        log_.log("SimMac: " + written.error().message);
    }

    const auto program = host_.mainBundle();
    makeBundle(program.path, PlistDict{{"CFBundleIdentifier", program.identifier},
                                       {"CFBundleName", program.path.stem().string()},
                                       {"CFBundleShortVersionString", program.version}});
    const auto ownProcess = workspace_.addRunningProcess(RunningApplication{
        .bundleIdentifier = program.identifier,
        .localizedName = program.path.stem().string(),
        .bundlePath = program.path,
        .activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::accessory),
        .launchDate = scheduler.clock().now(),
    });

    for (auto& application : desktop.applications) {
        const auto path = diskPath(application.path);
        makeBundle(path, PlistDict{{"CFBundleIdentifier", application.bundleIdentifier},
                                   {"CFBundleName", application.name},
                                   {"CFBundlePackageType", "APPL"}});
        workspace_.install(SimApplication{application.bundleIdentifier, application.name, path,
                                          static_cast<std::int64_t>(application.activationPolicy),
                                          application.opens});
        if (!application.running) continue;
        workspace_.addRunningProcess(RunningApplication{
            .bundleIdentifier = application.bundleIdentifier,
            .localizedName = application.name,
            .bundlePath = path,
            .activationPolicy = static_cast<std::int64_t>(application.activationPolicy),
            .launchDate = application.launchDate,
            .isActive = application.bundleIdentifier == desktop.frontmost,
        });
    }

    if (desktop.dock) {
        dock_ = std::make_unique<SimDock>(workspace_, accessibility_, *userDefaults_.domain("com.apple.dock"),
                                          homeFolder_);
        dock_->start(std::move(*desktop.dock));
    }
    windowWorld_.setOwnProcess(ownProcess);
    accessibility_.setWindowWorld(&windowWorld_);
    processesChanged();
    addWindows(desktop);
    workspace_.setWindowHandler([this](std::int32_t processIdentifier, const std::string& title) {
        showApplicationWindow(processIdentifier, title);
    });
    workspace_.setProcessesChangedHandler([this](std::string_view change) {
        // The Dock's tiles follow which applications run, not which one is in front or hidden.
        const bool launchedOrEnded =
            change == kWorkspaceDidLaunchApplication || change == kWorkspaceDidTerminateApplication;
        if (dock_ && launchedOrEnded) dock_->refreshAccessibility();
        processesChanged();
    });
    programActivation_ = workspace_.notificationCenter().addObserver(
        std::string(kWorkspaceDidActivateApplication), nullptr, &scheduler.main(),
        [this, program = host_.mainBundle().identifier](const Notification& notification) {
            const auto* application =
                notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
            if (application && application->bundleIdentifier == program)
                notificationCenter_.post(Notification{std::string(kApplicationDidBecomeActive)});
            // Another application in front: the program's key window resigns.
            else if (application)
                appWindows_.resignKeyWindow();
        });
    input_.setWindowReceiver([this](const InputEvent& event) { pointerRouter_.deliver(event); });
    input_.setWindowOwnerAt([this, program = host_.mainBundle().identifier](Point location) {
        return pointerRouter_.hasPanelAt(location) ? std::optional(program) : std::nullopt;
    });
    displays_.setOwnKeyWindowFrame([this] { return appWindows_.keyWindowFrame(); });
    accessibility_.setProcessTrusted(desktop.privacy.accessibility);
    privacy_.setScreenCaptureAccess(desktop.privacy.screenRecording);
    // Recorded from here on: what the world does to build itself is not the program's asking.
    accessibility_.setCallTrace(&calls_);
    privacy_.setCallTrace(&calls_);
    notifications_.setCallTrace(&calls_);
    workspace_.setCallTrace(&calls_);
    displays_.setCallTrace(&calls_);
}

void SimMac::wake() {
    symbolicHotKeys_.restoreAll();
    displays_.wake();
}

void SimMac::relaunchDock() {
    if (!dock_) return;
    dock_->relaunch();
    symbolicHotKeys_.restoreAll();
}

void SimMac::processesChanged() {
    std::vector<SimWindowWorld::Application> running;
    for (const auto& process : workspace_.processes()) {
        running.push_back({process.processIdentifier, process.isHidden});
    }
    const auto front = workspace_.frontmostApplication();
    windowWorld_.setApplications(running, front ? std::optional(front->processIdentifier) : std::nullopt);
}

void SimMac::showApplicationWindow(std::int32_t processIdentifier, const std::string& title) {
    // Each new window of an application a little below and right of the one before.
    const auto offset =
        22.0 * static_cast<double>(windowWorld_.applicationWindows(processIdentifier).size() % 10);
    windowWorld_.addWindow(SimWindow{
        .ownerPID = processIdentifier, .name = title, .bounds = {120 + offset, 100 + offset, 900, 620}});
}

void SimMac::addWindows(const Desktop& desktop) {
    const double primaryHeight = desktop.screens.empty() ? 0 : desktop.screens.front().frame.height;
    // Above every application: the Dock along the bottom and the menu bar along the top of the first
    // screen; neither shows a picture of its own here.
    if (!desktop.screens.empty()) {
        const double width = desktop.screens.front().frame.width;
        if (const auto dock = dock_ ? dock_->processIdentifier() : std::nullopt) {
            windowWorld_.addWindow(SimWindow{.ownerPID = *dock,
                                             .layer = kDockWindowLayer,
                                             .name = "Dock",
                                             .bounds = {0, primaryHeight - 70, width, 70}});
        }
        windowWorld_.addWindow(
            SimWindow{.layer = kMenuBarWindowLayer, .name = "Menubar", .bounds = {0, 0, width, 25}});
    }
    const auto spaces = windowWorld_.displaySpaces();
    // Listed front to back: the last is added first, each new one in front.
    for (auto it = desktop.windows.rbegin(); it != desktop.windows.rend(); ++it) {
        const auto process = workspace_.process(it->application);
        if (!process) continue;
        SimWindow window{.ownerPID = process->processIdentifier,
                         .name = it->title,
                         .bounds = windowServerRect(it->frame, primaryHeight)};
        window.ax.minimized = it->minimized;
        const auto screen = screenIndex(desktop, *it);
        if (screen < spaces.size()) {
            const auto& display = spaces[screen];
            window.space = it->space ? display.spaces.at(*it->space) : display.currentSpace;
        }
        windowWorld_.addWindow(std::move(window));
    }
}

UserDefaults& SimMac::standardUserDefaults() {
    // The desktop file admits only bundle identifiers that are valid domain names.
    return *userDefaults_.domain(host_.mainBundle().identifier);
}

void SimMac::copyIfMissing(const DesktopFile& file) {
    const auto target = diskPath(file.path);
    std::error_code error;
    if (std::filesystem::exists(target, error)) return;
    std::filesystem::create_directories(target.parent_path(), error);
    if (!error) std::filesystem::copy_file(file.from, target, error);
    if (error) log_.log("SimMac: " + target.string() + ": " + error.message());
}

void SimMac::makeBundle(const std::filesystem::path& path, PlistDict info) {
    const auto file = path / "Contents" / "Info.plist";
    std::error_code error;
    if (std::filesystem::exists(file, error)) return;
    const auto written = writePlistFile(file, PlistValue(std::move(info)), PlistFormat::xml);
    if (!written) log_.log("SimMac: " + written.error().message);
}

}  // namespace tavelin::sim
