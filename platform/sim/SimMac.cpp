#include "platform/sim/SimMac.h"

#include <system_error>

namespace tavelin::sim {

std::expected<std::unique_ptr<SimMac>, SimMacError> SimMac::load(const std::filesystem::path& desktopFile,
                                                                 const std::filesystem::path& homeFolder,
                                                                 SystemLog& log) {
    auto desktop = loadDesktopFile(desktopFile);
    if (!desktop) return std::unexpected(SimMacError{std::move(desktop.error().message)});
    std::error_code error;
    if (!std::filesystem::is_directory(homeFolder, error)) {
        return std::unexpected(
            SimMacError{homeFolder.string() + ": the home folder is missing or not a folder"});
    }
    return std::make_unique<SimMac>(std::move(*desktop), homeFolder, log);
}

SimMac::SimMac(Desktop desktop, std::filesystem::path homeFolder, SystemLog& log)
    : homeFolder_(std::move(homeFolder)),
      host_(std::move(desktop.host), std::move(desktop.program)),
      userDefaults_(homeFolder_, log),
      applications_(std::move(desktop.applications)) {}

UserDefaults& SimMac::standardUserDefaults() {
    // The desktop file admits only bundle identifiers that are valid domain names.
    return *userDefaults_.domain(host_.mainBundle().identifier);
}

}  // namespace tavelin::sim
