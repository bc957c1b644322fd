#include "mac/app/MoveToApplicationsFolder.h"

#include <system_error>

#include "mac/core/FolderService.h"

namespace tavelin {
namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

}  // namespace

bool MoveToApplicationsFolder::moveIfNecessary(const Platform& platform, bool force,
                                               bool authFailureTerminatesApp,
                                               const std::function<void()>& onDidInstall) {
    const auto bundle = platform.host.mainBundle().path;
    const auto applications = platform.folders.applicationsDirectory();
    if (isInside(bundle, applications)) return true;
    if (!force && platform.defaults.boolForKey(kSuppressKey)) return true;

    const auto answer = platform.alerts.runModal(ModalAlert{
        .messageKey = std::string(kMessageKey),
        .informativeKey = std::string(kInformativeKey),
        .buttonKeys = {std::string(kMoveButtonKey), std::string(kDoNotMoveButtonKey)},
        .showsSuppressionButton = !force,
    });
    if (answer.button != 0) {
        if (answer.suppressed) platform.defaults.set(kSuppressKey, PlistValue(true));
        return true;
    }

    const auto destination = applications / bundle.filename();
    std::error_code error;
    if (std::filesystem::exists(destination, error)) {
        // Replacing it could lose another version the user keeps there.
        platform.log.log("Tavelin: not moved to the Applications folder: " + destination.string() +
                         " exists");
        return true;
    }
    if (const auto moved = platform.files.moveItem(bundle, destination); !moved) {
        platform.log.log("Tavelin: moving to the Applications folder failed: " +
                         moved.error().localizedDescription);
        if (authFailureTerminatesApp && FolderService::isPermissionError(moved.error())) {
            platform.application.terminate();
            return false;
        }
        return true;
    }
    if (onDidInstall) onDidInstall();
    platform.application.relaunch(destination);
    return false;
}

}  // namespace tavelin
