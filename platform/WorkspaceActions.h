#pragma once

// What the program asks the workspace to do, beyond reading it (see Workspace.h): open a link, open
// files with an application, move items to the Trash. The two file operations complete later, once,
// on a queue of the system's, with the error that stopped them.
//
// Main thread.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    virtual ~WorkspaceActions() = default;

    // Opens a link ("x-apple.systempreferences:..." opens a pane of System Settings); false when
    // nothing opens it.
    virtual bool openURL(std::string_view url) = 0;
    // One request for all the files, with the application whose bundle is at `application`.
    virtual void open(std::vector<std::filesystem::path> files, std::filesystem::path application,
                      OpenConfiguration configuration, Completion completion) = 0;
    // One operation for all the items.
    virtual void recycle(std::vector<std::filesystem::path> items, Completion completion) = 0;
};

}  // namespace tavelin
