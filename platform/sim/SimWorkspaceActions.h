#pragma once

// What the simulated workspace does when asked: a link is recorded as opened; files opened with an
// installed application start it (and bring it to the front when asked); recycled items are moved
// into the Trash folder, a clashing name getting a number ("a 2.txt"). Tests make either file
// operation fail with the error they set. Completions run later on the system queue given.
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
        : workspace_(workspace), files_(files), folders_(folders), systemQueue_(systemQueue) {}

    bool openURL(std::string_view url) override;
    void open(std::vector<std::filesystem::path> files, std::filesystem::path application,
              OpenConfiguration configuration, Completion completion) override;
    void recycle(std::vector<std::filesystem::path> items, Completion completion) override;

    // --- The world's side ---

    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    const std::vector<OpenRequest>& openRequests() const { return openRequests_; }
    const std::vector<std::vector<std::filesystem::path>>& recycleRequests() const {
        return recycleRequests_;
    }
    // Every later request fails with the error, doing nothing; none lets them work again.
    void setOpenError(std::optional<WorkspaceError> error) { openError_ = std::move(error); }
    void setRecycleError(std::optional<WorkspaceError> error) { recycleError_ = std::move(error); }

  private:
    std::optional<WorkspaceError> launch(const std::filesystem::path& application, bool activates);
    std::optional<WorkspaceError> moveToTrash(const std::filesystem::path& item);
    void complete(Completion completion, std::optional<WorkspaceError> error);

    SimWorkspace& workspace_;
    FileSystem& files_;
    const UserFolders& folders_;
    Queue& systemQueue_;
    std::vector<std::string> openedURLs_;
    std::vector<OpenRequest> openRequests_;
    std::vector<std::vector<std::filesystem::path>> recycleRequests_;
    std::optional<WorkspaceError> openError_;
    std::optional<WorkspaceError> recycleError_;
};

}  // namespace tavelin::sim
