#pragma once

// What the simulated workspace does when asked: a link is recorded as opened; the URL of an installed
// application starts it and brings it to the front; another file URL starts the
// application that opens the file (a folder: the Finder), brings it to the front and shows a window
// named after the file once the application has finished launching; a web link does the same with the
// default browser (the application set for its scheme), its window named after the link; files opened with an
// installed application start it (and bring it to the front when asked); an application opened by itself
// completes once it has finished launching, on the main queue; recycled items are moved into the Trash
// folder, a clashing name getting a number ("a 2.txt"); revealed items are recorded and bring the Finder
// forward. Tests make either file operation, and opening URLs, fail. The file operations complete later on
// the system queue given. An application is named by its bundle on disk or by its path on the simulated Mac
// ("/System/Library/...").
//
// Main thread.

#include <vector>

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"
#include "platform/WorkspaceActions.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimWorkspaceActions final : public WorkspaceActions {
  public:
    struct OpenRequest {
        std::vector<std::filesystem::path> files;
        std::filesystem::path application;
        OpenConfiguration configuration;
        friend bool operator==(const OpenRequest&, const OpenRequest&) = default;
    };

    SimWorkspaceActions(SimWorkspace& workspace, FileSystem& files, const UserFolders& folders,
                        Queue& systemQueue)
        : workspace_(workspace),
          mainThread_(workspace.mainThread()),
          files_(files),
          folders_(folders),
          systemQueue_(systemQueue) {}

    bool openURL(std::string_view url) override;
    void openApplication(std::filesystem::path application, OpenConfiguration configuration,
                         LaunchCompletion completion) override;
    void open(std::vector<std::filesystem::path> files, std::filesystem::path application,
              OpenConfiguration configuration, Completion completion) override;
    void recycle(std::vector<std::filesystem::path> items, Completion completion) override;
    void activateFileViewerSelectingURLs(std::vector<std::filesystem::path> items) override;

    // --- The world's side ---

    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    const std::vector<OpenRequest>& openRequests() const { return openRequests_; }
    const std::vector<std::vector<std::filesystem::path>>& recycleRequests() const {
        return recycleRequests_;
    }
    const std::vector<std::vector<std::filesystem::path>>& revealed() const { return revealed_; }
    // While set, openURL opens nothing and answers false (the link is not recorded).
    void setOpenURLRefused(bool refused) { openURLRefused_ = refused; }
    // Every later request fails with the error, doing nothing; none lets them work again.
    void setOpenError(std::optional<WorkspaceError> error) { openError_ = std::move(error); }
    void setRecycleError(std::optional<WorkspaceError> error) { recycleError_ = std::move(error); }

  private:
    const SimApplication* installed(const std::filesystem::path& application) const;
    std::optional<WorkspaceError> launch(const std::filesystem::path& application, bool activates);
    // Starts the application if needed, brings it forward and shows the window once it is launched.
    void openWith(const SimApplication& application, std::string windowTitle);
    std::optional<WorkspaceError> moveToTrash(const std::filesystem::path& item);
    void complete(Completion completion, std::optional<WorkspaceError> error);

    SimWorkspace& workspace_;
    SequenceChecker mainThread_;
    FileSystem& files_;
    const UserFolders& folders_;
    Queue& systemQueue_;
    std::vector<std::string> openedURLs_;
    std::vector<OpenRequest> openRequests_;
    std::vector<std::vector<std::filesystem::path>> recycleRequests_;
    std::vector<std::vector<std::filesystem::path>> revealed_;
    bool openURLRefused_ = false;
    std::optional<WorkspaceError> openError_;
    std::optional<WorkspaceError> recycleError_;
};

}  // namespace tavelin::sim
