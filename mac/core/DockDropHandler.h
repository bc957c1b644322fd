#pragma once

// Files dragged onto an item of the switcher panel: whether they may be dropped there, and the drop.
// Files dropped on an application are opened with it, files dropped on a Dock folder are copied or
// moved into it (replacing items of the same name), files dropped on the Trash go to the Trash.
// Dropped items are URL texts; only file URLs count.
//
//     bool highlight = drops.canAcceptDrop(urls, item);             // often, while the drag hovers
//     auto result = co_await drops.performDrop(urls, item, optionKeyHeld);
//
// What a folder drop promises:
// - Nothing is touched when the drop is refused: two dropped items of the same name (one would
//   replace the other), a folder dropped into itself or a folder below it.
// - An item that replaces one of its name is first made whole under a short hidden name in the
//   folder, then swapped in; when that fails, the old item is put back (what cannot go back stays
//   under its hidden name, and the log says where) and a moved source stays where it was. The old item is
//   then removed; when it cannot be, the new item stays, the old one is kept under its hidden name (the log
//   says where) and the drop goes on.
// - A move within a volume renames. A move across volumes copies, puts the copy in place, and only
//   then removes the source; when that removal fails, the new item stands under its own name, the
//   source keeps what is left of it, and the drop ends with the failure, which names the source.
// - Any other failure ends the drop: the items handled before it stay where they went.
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
#include "runtime/SystemLog.h"
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
        SystemLog& log;
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
    std::expected<bool, FileSystemError> bring(const std::filesystem::path& from,
                                               const std::filesystem::path& to, bool copy) const;
    std::expected<void, FileSystemError> swapIn(const std::filesystem::path& incoming,
                                                const std::filesystem::path& destination) const;
    // Renames back; what cannot go back stays where it is and the log says where.
    void restore(const std::filesystem::path& hidden, const std::filesystem::path& visible) const;
    Task<CommandResultPayload> moveToTrash(std::vector<std::filesystem::path> files) const;

    Platform platform_;
};

}  // namespace tavelin
