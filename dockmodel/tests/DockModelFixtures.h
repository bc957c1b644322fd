#pragma once

// Small Dock worlds for the presentation-model tests, and a compact text form of a presentation:
// tiers as "segment-0:fixedApps[A B |]", cells as the item ID, "|" a separator line, "_" a spacer,
// "." a small spacer and "Parent/child" a folder child.

#include <sstream>
#include <string>
#include <vector>

#include "dockmodel/DockPresentation.h"
#include "dockmodel/PresentationOptions.h"
#include "protocol/DockSnapshot.h"

namespace tavelin::testing {

inline DockItem dockItem(std::string id, DockRegion region, std::int64_t dockIndex,
                         DockItemKind kind = DockItemKind::app) {
    DockItem item;
    item.itemID = ItemID(id);
    item.region = region;
    item.kind = kind;
    if (kind == DockItemKind::app) item.bundleID = "com.example." + id;
    if (kind != DockItemKind::trash) item.path = "/Users/me/" + id;
    item.title = id;
    item.dockIndex = dockIndex;
    item.isRunning = region == DockRegion::runningApps;
    return item;
}

inline DockItem fixedApp(std::string id, std::int64_t index) {
    return dockItem(std::move(id), DockRegion::fixedApps, index);
}
inline DockItem runningApp(std::string id, std::int64_t index) {
    return dockItem(std::move(id), DockRegion::runningApps, index);
}
inline DockItem other(std::string id, std::int64_t index, DockItemKind kind = DockItemKind::folder) {
    return dockItem(std::move(id), DockRegion::dockOthers, index, kind);
}

inline DockSeparator separator(std::int64_t index, DockRegion region = DockRegion::fixedApps,
                               SeparatorKind kind = SeparatorKind::separator) {
    return DockSeparator{"sep-" + std::to_string(index), region, index, kind};
}

inline DockSnapshot snapshotOf(std::vector<DockItem> items, std::vector<DockSeparator> separators = {}) {
    DockSnapshot snapshot;
    snapshot.dockGeneration = 1;
    snapshot.items = std::move(items);
    snapshot.separators = std::move(separators);
    return snapshot;
}

// Everything shown: the options under which the builder keeps the most.
inline PresentationOptions showAll() {
    PresentationOptions options;
    options.showSeparators = options.reproduceSpacers = options.showUnavailableItems = true;
    options.backgroundOnlyAppsMode = BackgroundOnlyAppsMode::show;
    return options;
}

template <class Change>
PresentationOptions showAllWith(const Change& change) {
    auto options = showAll();
    change(options);
    return options;
}

inline FolderChild folderChild(std::string id, FolderChildKind kind = FolderChildKind::file) {
    FolderChild child;
    child.childID = ChildID(id);
    child.kind = kind;
    child.title = id;
    child.path = "/Users/me/Folder/" + id;
    return child;
}

inline FolderSnapshot folderListing(std::string folderID, std::vector<FolderChild> children) {
    FolderSnapshot listing;
    listing.folderID = ItemID(folderID);
    listing.parentItemID = ItemID(folderID);
    listing.title = folderID;
    listing.children = std::move(children);
    return listing;
}

inline std::string describe(const DockPresentation::Cell& cell) {
    if (const auto* item = cell.asItem()) return item->itemID.rawValue();
    if (const auto* entry = cell.asFolderChild())
        return entry->parent.rawValue() + "/" + entry->child.childID.rawValue();
    switch (cell.asSpacer()->kind) {
        case SeparatorKind::separator:
            return "|";
        case SeparatorKind::spacer:
            return "_";
        case SeparatorKind::smallSpacer:
            return ".";
    }
    return "?";
}

inline std::string describe(const DockPresentation& presentation) {
    std::ostringstream text;
    for (const auto& tier : presentation.tiers) {
        if (text.tellp() > 0) text << ' ';
        text << tier.id.rawValue() << ':' << toString(tier.region) << '[';
        for (std::size_t i = 0; i < tier.cells.size(); ++i) text << (i ? " " : "") << describe(tier.cells[i]);
        text << ']';
    }
    return text.str();
}

// The inverse for hand-made presentations: "A B | _ C" as the cells of one tier; "P/c" is a folder
// child of "P"; other tokens are application items with that ID.
inline DockPresentation::Tier tierOf(std::string id, DockRegion region, const std::string& cells) {
    DockPresentation::Tier tier{TierID(std::move(id)), region, {}};
    std::istringstream tokens(cells);
    for (std::string token; tokens >> token;) {
        if (token == "|") {
            tier.cells.push_back(DockPresentation::Cell::spacer(SeparatorKind::separator));
        } else if (token == "_") {
            tier.cells.push_back(DockPresentation::Cell::spacer(SeparatorKind::spacer));
        } else if (const auto slash = token.find('/'); slash != std::string::npos) {
            tier.cells.push_back(DockPresentation::Cell::folderChild(folderChild(token.substr(slash + 1)),
                                                                     ItemID(token.substr(0, slash))));
        } else {
            tier.cells.push_back(DockPresentation::Cell::item(dockItem(token, region, 0)));
        }
    }
    return tier;
}

}  // namespace tavelin::testing
