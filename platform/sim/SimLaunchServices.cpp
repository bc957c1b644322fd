#include "platform/sim/SimLaunchServices.h"

#include <algorithm>
#include <system_error>

namespace tavelin::sim {

std::vector<std::filesystem::path> SimLaunchServices::applicationURLsForURL(const std::filesystem::path& file,
                                                                            std::uint32_t roleMask) const {
    if (roleMask == 0) return {};
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        // The world's own table: the workspace's answer is for the main thread only.
        const auto* finder = workspace_.installedApplication("com.apple.finder");
        return finder ? std::vector{finder->path} : std::vector<std::filesystem::path>{};
    }
    auto extension = file.extension().string();
    if (extension.size() < 2) return {};
    extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    std::vector<std::filesystem::path> applications;
    for (const auto& application : workspace_.installedApplications()) {
        if (std::ranges::find(application.opens, extension) != application.opens.end()) {
            applications.push_back(application.path);
        }
    }
    return applications;
}

}  // namespace tavelin::sim
