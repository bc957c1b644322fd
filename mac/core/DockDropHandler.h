#pragma once

// Files dragged onto an item of the switcher panel: whether they may be dropped there, and the drop.
// Files dropped on an application are opened with it, files dropped on a Dock folder are copied or
// moved into it (replacing items of the same name), files dropped on the Trash go to the Trash.
// Dropped items are URL texts; only file URLs count.
//
//     bool highlight = drops.canAcceptDrop(urls, item);             // often, while the drag hovers
//     auto result = co_await drops.performDrop(urls, item, optionKeyHeld);
//
// Replacing never loses the user's data: the dropped file goes to a hidden temporary name in the
// folder first, and only once it is whole there does it take the place of the old item; any failure
// puts things back as they were. A folder is never dropped into itself or a folder below it.
//
// Holds no state of its own. canAcceptDrop and fileURLsOnDragPasteboard run on the main thread;
// performDrop is a task that may run anywhere, and the handler must outlive it.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/LaunchServices.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"
#include "platform/WorkspaceActions.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/DockItem.h"
#include "runtime/Task.h"

namespace tavelin {

class DockDropHandler {
  public:
    struct Platform {
        const Workspace& workspace;
        const LaunchServices& launchServices;
        FileSystem& files;
        WorkspaceActions& actions;
        const Pasteboard& dragPasteboard;
    };

    explicit DockDropHandler(Platform platform) : platform_(platform) {}

    // The file URLs on the drag pasteboard; empty when there are none or it cannot be read.
    std::vector<std::string> fileURLsOnDragPasteboard() const;

    bool canAcceptDrop(const std::vector<std::string>& urls, const DockItem& target) const;
    // `copy` decides for a folder: copy (the Option key held) or move.
    Task<CommandResultPayload> performDrop(std::vector<std::string> urls, DockItem target, bool copy) const;

    // The applications that can open the file, in the system's order.
    std::vector<std::filesystem::path> applicationURLsForOpening(const std::filesystem::path& file) const;
    bool canApplication(const DockItem& item, const std::filesystem::path& file) const;
    bool folderDestinationAllowsDrop(const std::filesystem::path& folder) const;
    bool canImportIntoFolder(const std::vector<std::filesystem::path>& files, const DockItem& item) const;

  private:
    std::optional<std::filesystem::path> applicationLocation(const DockItem& item) const;
    Task<CommandResultPayload> open(std::vector<std::filesystem::path> files, DockItem item) const;
    CommandResultPayload importIntoFolder(const std::vector<std::filesystem::path>& files,
                                          const DockItem& item, bool copy) const;
    std::expected<void, FileSystemError> importOne(const std::filesystem::path& file,
                                                   const std::filesystem::path& folder, bool copy) const;
    std::expected<void, FileSystemError> transfer(const std::filesystem::path& from,
                                                  const std::filesystem::path& to, bool copy) const;
    void undoTransfer(const std::filesystem::path& from, const std::filesystem::path& to, bool copy) const;
    Task<CommandResultPayload> moveToTrash(std::vector<std::filesystem::path> files) const;

    Platform platform_;
};

}  // namespace tavelin
