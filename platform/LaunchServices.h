#pragma once

// Which applications open a file, as the system's launch services know them. Any thread may ask.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tavelin {

// Every role: viewer, editor, shell, ...
inline constexpr std::uint32_t kLaunchServicesRolesAll = 0xFFFFFFFF;

class LaunchServices {
  public:
    virtual ~LaunchServices() = default;

    // The applications (their bundle paths) that can open the file in one of the roles, in the
    // system's order, the preferred one first; empty when none can.
    virtual std::vector<std::filesystem::path> applicationURLsForURL(const std::filesystem::path& file,
                                                                     std::uint32_t roleMask) const = 0;
};

}  // namespace tavelin
