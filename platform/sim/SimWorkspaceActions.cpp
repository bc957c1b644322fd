#include "platform/sim/SimWorkspaceActions.h"

#include "platform/FileURL.h"

namespace tavelin::sim {

bool SimWorkspaceActions::openURL(std::string_view url) {
    if (!isValidURL(url)) return false;
    openedURLs_.emplace_back(url);
    return true;
}

void SimWorkspaceActions::open(std::vector<std::filesystem::path> files, std::filesystem::path application,
                               OpenConfiguration configuration, Completion completion) {
    openRequests_.push_back({files, application, configuration});
    auto error = openError_ ? openError_ : launch(application, configuration.activates);
    complete(std::move(completion), std::move(error));
}

void SimWorkspaceActions::recycle(std::vector<std::filesystem::path> items, Completion completion) {
    recycleRequests_.push_back(items);
    std::optional<WorkspaceError> error = recycleError_;
    for (const auto& item : items) {
        if (error) break;
        error = moveToTrash(item);
    }
    complete(std::move(completion), std::move(error));
}

std::optional<WorkspaceError> SimWorkspaceActions::launch(const std::filesystem::path& application,
                                                          bool activates) {
    for (const auto& installed : workspace_.installedApplications()) {
        if (installed.path != application) continue;
        const auto processIdentifier = workspace_.launch(installed.bundleIdentifier);
        if (!processIdentifier) break;
        if (activates) workspace_.activate(*processIdentifier);
        return std::nullopt;
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
