#pragma once

// Turns the Dock's items into what a snapshot shows, and tells one snapshot from the next. The filter
// drops, for the running applications only, those that are not regular (but for recent-apps tiles),
// excluded or (with "hide") hidden; then every item that is not on disk, and every unavailable item
// unless the settings show those. The settings are read at each call.
//
// Owned by the service container, used by the dock state service's rebuild. Main thread.

#include <vector>

#include "mac/core/IconService.h"
#include "mac/settings/AppSettings.h"
#include "platform/FileSystem.h"
#include "platform/Workspace.h"
#include "protocol/DockDiff.h"
#include "protocol/DockItem.h"
#include "protocol/DockSnapshot.h"

namespace tavelin {

class SnapshotComposer {
  public:
    SnapshotComposer(const AppSettings& settings, IconService& icons, const Workspace& workspace,
                     const FileSystem& files)
        : settings_(settings), icons_(icons), workspace_(workspace), files_(files) {}

    // The icon service the rebuild attaches tokens with, after filtering.
    IconService& icons() const { return icons_; }

    // Keeps the items that pass, in their order.
    void applyFilters(std::vector<DockItem>& items) const;
    // An application at its path or installed elsewhere; a folder or file at its path; a web link, or
    // a link file that exists; always the Trash; never an unknown tile.
    bool isOnDisk(const DockItem& item) const;

    // Upserts are the new items that are new or changed against the first old item of their ID;
    // reorders always list every new ID; separators only when they changed.
    static DockDiff diff(const DockSnapshot& from, const DockSnapshot& to);

  private:
    bool passesRunningAppsRules(const DockItem& item) const;
    bool exists(const std::string& path) const { return files_.itemType(path) != ItemType::missing; }

    const AppSettings& settings_;
    IconService& icons_;
    const Workspace& workspace_;
    const FileSystem& files_;
};

}  // namespace tavelin
