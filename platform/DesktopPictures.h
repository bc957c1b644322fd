#pragma once

// The workspace's desktop pictures: the picture file each screen shows, and where the system keeps its
// default desktop. Setting a picture posts kWorkspaceDidChangeDesktopImage on the workspace's
// notification centre, on the main queue. Main thread.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/Screens.h"

namespace tavelin {

inline constexpr std::string_view kWorkspaceDidChangeDesktopImage = "NSWorkspaceDidChangeDesktopImageNotification";

class DesktopPictures {
  public:
    virtual ~DesktopPictures() = default;

    // The picture file of that screen; none when the workspace names none. The file may be missing or
    // unreadable, and its name says nothing sure about its format.
    virtual std::optional<std::filesystem::path> desktopImageURL(const Screen& screen) const = 0;
    // "/System/Library/CoreServices/DefaultDesktop.heic".
    virtual std::filesystem::path defaultDesktopImageURL() const = 0;
};

}  // namespace tavelin
