#pragma once

// Which of the simulated Mac's installed applications open a file: a folder opens with the Finder, a
// file with every installed application that opens its extension, in the order they were installed.
// Any thread may ask, while the installed applications do not change.

#include "platform/LaunchServices.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimLaunchServices final : public LaunchServices {
  public:
    explicit SimLaunchServices(const SimWorkspace& workspace) : workspace_(workspace) {}

    std::vector<std::filesystem::path> applicationURLsForURL(const std::filesystem::path& file,
                                                             std::uint32_t roleMask) const override;

  private:
    const SimWorkspace& workspace_;
};

}  // namespace tavelin::sim
