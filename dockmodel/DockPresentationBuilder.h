#pragma once

// Turns a dock snapshot, the folders open in the panel, the folder search hits and the presentation
// options into the panel's tiers of cells. Pure: no state, no failure.
//
// Without a search the Dock's separators cut the tiles into tiers (each kept separator is the last cell
// of the tier it closes; a tier's region comes from its position: fixedApps, runningApps, then
// dockOthers); tiles are ordered by region, then dock index, since each region may number its tiles on
// its own. With a search (any filter text at all, a single blank included) there is one tier "search":
// the matching applications, also those found in folders, before every other match.

#include <unordered_map>
#include <vector>

#include "dockmodel/DockPresentation.h"
#include "dockmodel/PresentationOptions.h"
#include "protocol/DockSnapshot.h"
#include "protocol/FolderSnapshot.h"

namespace tavelin {

// The listing of each folder tile that is open inside the panel, by the tile's item ID.
using ExpandedFolders = std::unordered_map<ItemID, FolderSnapshot>;
// Per folder tile, the children that matched the current search, in their order.
using FolderSearchHits = std::unordered_map<ItemID, std::vector<FolderChild>>;

namespace DockPresentationBuilder {

DockPresentation build(const DockSnapshot& snapshot, const ExpandedFolders& expanded,
                       const PresentationOptions& options, const FolderSearchHits& searchFolderHits);

// Whether the options keep `item`: available (or unavailable items shown), not a hidden application
// that is to be left out, and not a background-only application of the running region that is to be
// left out (the recent-applications tile always stays).
bool passesItemFilter(const DockItem& item, const PresentationOptions& options);

}  // namespace DockPresentationBuilder

}  // namespace tavelin
