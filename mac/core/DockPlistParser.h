#pragma once

// Reads the Dock's preferences into the Dock's items and separators. Two assemblies: from the
// preference file alone (parseLegacyPlist), numbering the regions independently and then interleaving
// them into one sequence (consumers order by region first, then by dock index); and in the order of the
// Dock's Accessibility tree (parse), where the preferences only complete what the tree shows and the
// dock indices are the positions in the tree, gaps included.
//
// Nothing is cached between calls: each is a function of its arguments and of a few read-only queries
// (files on disk, the workspace's applications, the Trash folder, the program's own bundle). Missing or
// mistyped preference values count as absent; nothing here fails or throws. Main thread.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mac/core/DockAXOrderReader.h"
#include "mac/core/RunningAppsService.h"
#include "mac/settings/AppSettings.h"
#include "platform/HostInfo.h"
#include "platform/PlistValue.h"
#include "platform/UserDefaultsDomains.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"
#include "protocol/DockItem.h"
#include "protocol/DockSeparator.h"

namespace tavelin {

class PlistTileMetadata;

// The text of "dock.trash".
inline constexpr std::string_view kDockTrashTitle = "Trash";

struct ParsedDock {
    std::vector<DockItem> items;
    std::vector<DockSeparator> separators;
    friend bool operator==(const ParsedDock&, const ParsedDock&) = default;
};

class DockPlistParser {
  public:
    using RunningState = RunningAppsService::State;

    DockPlistParser(UserDefaultsDomains& userDefaults, const UserFolders& folders, const Workspace& workspace,
                    const HostInfo& host)
        : userDefaults_(userDefaults), folders_(folders), workspace_(workspace), host_(host) {}

    // The path of a file reference ("_CFURLString", a URL when "_CFURLStringType" is 15 or it starts
    // with "file://"); a URL that is not a file URL comes back as it is. One trailing '/' is dropped.
    static std::optional<std::string> filePath(const PlistDict& fileReference);

    // The "com.apple.dock" defaults domain, else the file "Library/Preferences/com.apple.dock.plist" in
    // the home folder when its top level is a dictionary; else none.
    std::optional<PlistDict> loadDockPlist() const;

    ParsedDock parseLegacyPlist(const PlistDict& plist, const RunningState& running,
                                const AppSettings& settings) const;
    ParsedDock parse(const std::vector<DockAXOrderReader::Entry>& axEntries, const PlistDict& plist,
                     const RunningState& running, const AppSettings& settings) const;

    // --- The parts both assemblies share ---

    // The item of one file, folder, link or unknown tile (spacers are the caller's).
    DockItem parseTile(const PlistDict& tile, DockRegion region, std::int64_t index,
                       const RunningState& running, const std::set<std::string>& pinned) const;
    std::vector<DockItem> runningAppsInDockOrder(const RunningState& running,
                                                 const std::vector<std::string>& excludedBundleIDs,
                                                 const std::set<std::string>& pinned) const;
    std::optional<std::string> resolveRecentAppPath(const std::string& bundleID,
                                                    const std::optional<std::string>& plistPath) const;
    // Keeps the first running application of each bundle ID (active or asking for attention if a
    // dropped copy was) and refreshes the running facts of those kept.
    static void dedupeRunningAppsByBundle(std::vector<DockItem>& items, const RunningState& running);
    // Renumbers items and separators together by their dock index, items first at equal indices.
    static void reassignSequentialDockIndices(std::vector<DockItem>& items,
                                              std::vector<DockSeparator>& separators);
    // The Trash item at `dockIndex`.
    DockItem trashItem(std::string title, std::int64_t dockIndex) const;
    // The program's own display name: "CFBundleDisplayName", else "CFBundleName", else "Tavelin".
    static std::string mainBundleDisplayName(const HostInfo& host);

  private:
    DockItem madeUpFinder(const RunningState& running) const;
    // The item of an application entry at `position`, read with the region `state`; none when dropped.
    std::optional<DockItem> assembleApplication(const DockAXOrderReader::Application& application,
                                                std::size_t position, DockRegion state,
                                                const PlistTileMetadata& metadata,
                                                const RunningState& running,
                                                const std::vector<std::string>& excludedBundleIDs) const;

    UserDefaultsDomains& userDefaults_;
    const UserFolders& folders_;
    const Workspace& workspace_;
    const HostInfo& host_;
};

// The running facts of `bundleID` from the running state: running, active, hidden, policy, attention
// (without a record: not running, regular).
void applyRunningFacts(DockItem& item, const RunningAppsService::State& running,
                       const std::optional<std::string>& bundleID);

// The folder display and sort order for the Dock's raw "showas" and "arrangement" numbers.
FolderDisplayMode folderDisplayMode(std::optional<std::int64_t> showas);
FolderArrangement folderArrangement(std::optional<std::int64_t> arrangement);

}  // namespace tavelin
