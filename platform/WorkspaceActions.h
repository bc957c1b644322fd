#pragma once

// What the program asks the workspace to do, beyond reading it (see Workspace.h): open a link or a
// file, launch an application, open files with an application, move items to the Trash, reveal files
// in the file viewer. The two file operations complete later, once, on a queue of the system's, with
// the error that stopped them; a launch completes once on the main queue.
//
// Main thread.

#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RunningApplication.h"

namespace tavelin {

struct WorkspaceError {
    std::string localizedDescription;
    friend bool operator==(const WorkspaceError&, const WorkspaceError&) = default;
};

struct OpenConfiguration {
    bool activates = true;  // bring the application to the front
    friend bool operator==(const OpenConfiguration&, const OpenConfiguration&) = default;
};

class WorkspaceActions {
  public:
    using Completion = std::move_only_function<void(std::optional<WorkspaceError>)>;
    using LaunchCompletion = std::move_only_function<void(std::expected<RunningApplication, WorkspaceError>)>;

    virtual ~WorkspaceActions() = default;

    // Opens a link ("x-apple.systempreferences:..." opens a pane of System Settings, a web link the
    // default browser) or a file URL (with the application the system associates with the file);
    // false when nothing opens it.
    virtual bool openURL(std::string_view url) = 0;
    // Launches the application whose bundle is at `application`, or finds it running; completes with
    // the application once it has finished launching.
    virtual void openApplication(std::filesystem::path application, OpenConfiguration configuration,
                                 LaunchCompletion completion) = 0;
    // One request for all the files, with the application whose bundle is at `application`.
    virtual void open(std::vector<std::filesystem::path> files, std::filesystem::path application,
                      OpenConfiguration configuration, Completion completion) = 0;
    // One operation for all the items.
    virtual void recycle(std::vector<std::filesystem::path> items, Completion completion) = 0;
    // Brings the file viewer forward with the items selected; nothing to answer.
    virtual void activateFileViewerSelectingURLs(std::vector<std::filesystem::path> items) = 0;
};

}  // namespace tavelin
