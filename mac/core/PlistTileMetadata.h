#pragma once

// What the Dock's preferences tell about its tiles, gathered once per assembly in the Dock's
// Accessibility order: pinned bundle IDs, folders, files and links by path and label, applications by
// bundle ID and label. The tile lists are read in the order "persistent-apps", "recent-apps",
// "persistent-others"; a later tile replaces an earlier one's entry under the same key. The resolvers
// complete what the Accessibility tree shows of a tile.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mac/core/InsertionOrderedMap.h"
#include "mac/core/RunningAppsService.h"
#include "platform/HostInfo.h"
#include "platform/PlistValue.h"
#include "platform/Workspace.h"

namespace tavelin {

class PlistTileMetadata {
  public:
    struct FolderInfo {
        std::int64_t showas = 0;  // 0 when absent or not an integer
        std::optional<std::int64_t> arrangement;
        std::string label;
    };

    struct ResolvedApp {
        std::optional<std::string> path;
        std::optional<std::string> bundleID;
        friend bool operator==(const ResolvedApp&, const ResolvedApp&) = default;
    };

    // A document's path, or the link of a web-link tile that matched its title.
    struct ResolvedDocument {
        std::string path;
        bool isLink = false;
        friend bool operator==(const ResolvedDocument&, const ResolvedDocument&) = default;
    };

    PlistTileMetadata(const PlistDict& plist, const std::vector<std::string>& pinnedBundleIDs,
                      const Workspace& workspace, const HostInfo& host);

    // The running state's, and every file tile's of "persistent-apps" and "persistent-others".
    std::set<std::string> pinnedBundleIDs;
    InsertionOrderedMap<FolderInfo> folderInfoByPath;
    InsertionOrderedMap<std::string> labelByPath;
    InsertionOrderedMap<std::string> labelByURL;
    InsertionOrderedMap<std::string> pathByBundleID;
    InsertionOrderedMap<std::string> bundleIDByLabel;  // by lower-cased label

    ResolvedApp resolveApp(const std::optional<std::string>& path, const std::optional<std::string>& bundleID,
                           const std::string& title, const RunningAppsService::State& running) const;
    std::optional<std::string> resolveFolderPath(const std::optional<std::string>& axPath,
                                                 std::string_view title) const;
    std::optional<ResolvedDocument> resolveDocumentPath(const std::optional<std::string>& axPath,
                                                        std::string_view title) const;

  private:
    void read(const PlistDict& plist, std::string_view list, bool pinned);

    const Workspace& workspace_;
    const HostInfo& host_;
};

}  // namespace tavelin
