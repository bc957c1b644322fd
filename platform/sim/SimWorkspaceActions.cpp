#include "platform/sim/SimWorkspaceActions.h"

#include "platform/FileURL.h"
#include "platform/sim/Desktop.h"

namespace tavelin::sim {
namespace {

bool isWebLink(std::string_view url) { return url.starts_with("http://") || url.starts_with("https://"); }

}  // namespace

bool SimWorkspaceActions::openURL(std::string_view url) {
    mainThread_.check();
    if (openURLRefused_ || !isValidURL(url)) return false;
    if (const auto path = filePathFromURL(url); path && installed(droppingTrailingSlash(*path))) {
        // An application opened by itself starts and comes to the front, as a double click does.
        if (launch(droppingTrailingSlash(*path), true)) return false;
    } else if (path) {
        const auto application = files_.itemType(*path) == ItemType::missing
                                     ? std::nullopt
                                     : workspace_.urlForApplicationToOpen(*path);
        const auto* opener = application ? installed(*application) : nullptr;
        if (opener == nullptr) return false;
        openWith(*opener, std::filesystem::path(droppingTrailingSlash(*path)).filename().string());
    } else if (isWebLink(url)) {
        const auto browserPath = workspace_.urlForApplicationToOpenURL(url);
        const auto* browser = browserPath ? installed(*browserPath) : nullptr;
        if (browser == nullptr) return false;
        openWith(*browser, std::string(url));
    }
    openedURLs_.emplace_back(url);
    return true;
}

void SimWorkspaceActions::openWith(const SimApplication& application, std::string windowTitle) {
    const auto processIdentifier = workspace_.launch(application.bundleIdentifier);
    if (!processIdentifier) return;
    workspace_.activate(*processIdentifier);
    workspace_.whenFinishedLaunching(*processIdentifier,
                                     [this, pid = *processIdentifier, title = std::move(windowTitle)] {
                                         workspace_.showWindow(pid, title);
                                     });
}

void SimWorkspaceActions::openApplication(std::filesystem::path application, OpenConfiguration configuration,
                                          LaunchCompletion completion) {
    mainThread_.check();
    openRequests_.push_back({{}, application, configuration});
    auto error = openError_ ? openError_ : launch(application, configuration.activates);
    auto& main = workspace_.scheduler().main();
    const auto* opened = error ? nullptr : installed(application);
    const auto process = opened ? workspace_.process(opened->bundleIdentifier) : std::nullopt;
    if (!process) {
        main.async([completion = std::move(completion), error = std::move(error)]() mutable {
            completion(
                std::unexpected(error.value_or(WorkspaceError{"The application quit while launching."})));
        });
        return;
    }
    workspace_.whenFinishedLaunching(
        process->processIdentifier,
        [this, &main, pid = process->processIdentifier, completion = std::move(completion)]() mutable {
            main.async([completion = std::move(completion), launched = workspace_.process(pid)]() mutable {
                if (launched) {
                    completion(*launched);
                } else {
                    completion(std::unexpected(WorkspaceError{"The application quit while launching."}));
                }
            });
        });
}

void SimWorkspaceActions::activateFileViewerSelectingURLs(std::vector<std::filesystem::path> items) {
    mainThread_.check();
    revealed_.push_back(std::move(items));
    if (const auto finder = workspace_.launch("com.apple.finder")) workspace_.activate(*finder);
}

void SimWorkspaceActions::open(std::vector<std::filesystem::path> files, std::filesystem::path application,
                               OpenConfiguration configuration, Completion completion) {
    mainThread_.check();
    openRequests_.push_back({files, application, configuration});
    auto error = openError_ ? openError_ : launch(application, configuration.activates);
    complete(std::move(completion), std::move(error));
}

void SimWorkspaceActions::recycle(std::vector<std::filesystem::path> items, Completion completion) {
    mainThread_.check();
    recycleRequests_.push_back(items);
    std::optional<WorkspaceError> error = recycleError_;
    for (const auto& item : items) {
        if (error) break;
        error = moveToTrash(item);
    }
    complete(std::move(completion), std::move(error));
}

const SimApplication* SimWorkspaceActions::installed(const std::filesystem::path& application) const {
    const auto onDisk = diskPath(folders_.homeDirectory(), application);
    for (const auto& installed : workspace_.installedApplications()) {
        if (installed.path == application || installed.path == onDisk) return &installed;
    }
    return nullptr;
}

std::optional<WorkspaceError> SimWorkspaceActions::launch(const std::filesystem::path& application,
                                                          bool activates) {
    if (const auto* found = installed(application)) {
        if (const auto processIdentifier = workspace_.launch(found->bundleIdentifier)) {
            if (activates) workspace_.activate(*processIdentifier);
            return std::nullopt;
        }
    }
    return WorkspaceError{"The application “" + application.filename().string() + "” can’t be opened."};
}

std::optional<WorkspaceError> SimWorkspaceActions::moveToTrash(const std::filesystem::path& item) {
    const auto trash = folders_.trashDirectory();
    if (!trash) return WorkspaceError{"There is no Trash."};
    const auto stem = item.stem().string();
    const auto extension = item.extension().string();
    auto destination = *trash / item.filename();
    for (int number = 2; files_.itemType(destination) != ItemType::missing; ++number) {
        destination = *trash / (stem + " " + std::to_string(number) + extension);
    }
    if (auto moved = files_.moveItem(item, destination); !moved) {
        return WorkspaceError{moved.error().localizedDescription};
    }
    return std::nullopt;
}

void SimWorkspaceActions::complete(Completion completion, std::optional<WorkspaceError> error) {
    systemQueue_.async([completion = std::move(completion), error = std::move(error)]() mutable {
        completion(std::move(error));
    });
}

}  // namespace tavelin::sim
