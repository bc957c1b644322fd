#pragma once

// Which application shows a Dock item's windows, and which processes they belong to. An application
// item is its own host; a folder's windows are the Finder's; a file's or a link's are those of the
// application that opens it. The processes are the host's running instances, then (for any host but
// a Chromium-family browser or a web app of one) its helper processes: those whose bundle identifier
// extends the host's ("com.example.App.Helper") and those whose program lies inside the first
// instance's bundle. Stateless: every call asks the workspace and the disk afresh. Main thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mac/windows/ProcessIDSet.h"
#include "platform/FileSystem.h"
#include "platform/RunningApplication.h"
#include "platform/Workspace.h"
#include "protocol/DockItem.h"

namespace tavelin {

inline constexpr std::string_view kFinderBundleID = "com.apple.finder";

class DockItemWindowHost {
  public:
    DockItemWindowHost(const Workspace& workspace, const FileSystem& files)
        : workspace_(workspace), files_(files) {}

    // The item's own non-empty bundle identifier; else, by its path: the Finder for a folder item or an
    // existing folder, the application that opens a web link (http or https) for that link, the
    // application that opens the file for any other path; none without either or without an opener.
    std::optional<std::string> hostBundleID(const DockItem& item) const;

    // The running instances of the host, in the workspace's order.
    std::vector<RunningApplication> runningApps(const DockItem& item) const;
    std::vector<RunningApplication> runningApps(const std::optional<std::string>& hostBundleID) const;
    // The instances first, then the helpers, each once.
    ProcessIDSet processIDs(const DockItem& item) const;
    ProcessIDSet processIDs(const std::optional<std::string>& hostBundleID) const;

  private:
    const Workspace& workspace_;
    const FileSystem& files_;
};

}  // namespace tavelin
