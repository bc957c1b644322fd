#pragma once

// The simulated Mac: one world behind the platform interfaces, built from a desktop file and a home
// folder on disk. The home folder is real; the user-defaults domains are the preference files in it.
// Tests build the world in code (a `Desktop` value) or from a file and drive it through this class.
//
// Lives on the main thread, as the platform's own objects do; user defaults may be used from any thread.

#include <expected>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/UserDefaultsDomains.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimHost.h"

namespace tavelin::sim {

struct SimMacError {
    std::string message;
    friend bool operator==(const SimMacError&, const SimMacError&) = default;
};

class SimMac {
  public:
    // Fails when the desktop file cannot be read or checked, or when the home folder is no folder.
    static std::expected<std::unique_ptr<SimMac>, SimMacError> load(const std::filesystem::path& desktopFile,
                                                                    const std::filesystem::path& homeFolder,
                                                                    SystemLog& log);

    // `homeFolder` must be an existing folder.
    SimMac(Desktop desktop, std::filesystem::path homeFolder, SystemLog& log);

    SimMac(const SimMac&) = delete;
    SimMac& operator=(const SimMac&) = delete;

    const std::filesystem::path& homeFolder() const { return homeFolder_; }
    SimHost& host() { return host_; }
    UserDefaultsDomains& userDefaults() { return userDefaults_; }
    // The program's own domain, named after its bundle identifier.
    UserDefaults& standardUserDefaults();
    const std::vector<DesktopApplication>& installedApplications() const { return applications_; }

  private:
    const std::filesystem::path homeFolder_;
    SimHost host_;
    UserDefaultsDomains userDefaults_;
    std::vector<DesktopApplication> applications_;
};

}  // namespace tavelin::sim
