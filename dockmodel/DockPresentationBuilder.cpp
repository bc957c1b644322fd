#include "dockmodel/DockPresentationBuilder.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <unordered_set>

#include "protocol/UnicodeText.h"

namespace tavelin {

namespace DockPresentationBuilder {

namespace {

// The sortable unit of a normal presentation: an item (with the folder children that follow it), a
// separator line or a spacer, in Dock order.
struct Slot {
    enum class Kind { item, separator, spacer };

    DockRegion region = DockRegion::fixedApps;
    std::int64_t dockIndex = 0;
    Kind kind = Kind::item;
    const DockItem* item = nullptr;                  // for items
    const DockSeparator* separator = nullptr;        // for separators and spacers
    const FolderSnapshot* listing = nullptr;         // an item's open folder listing
    const std::vector<FolderChild>* hits = nullptr;  // an item's folder search hits

    // At one index an item comes first.
    auto sortKey(bool byRegion) const {
        return std::tuple(byRegion ? region : DockRegion::fixedApps, dockIndex, kind != Kind::item);
    }
    // At most this many cells: the item, its children and its hits.
    std::size_t cellCount() const {
        return 1 + (listing ? listing->children.size() : 0) + (hits ? hits->size() : 0);
    }
};

// The Dock's Accessibility order numbers the whole Dock left to right and is the only source of separator
// lines; the preference file numbers each region on its own, so without a line the region leads the order.
bool ordersByRegion(const DockSnapshot& snapshot) {
    return std::none_of(snapshot.separators.begin(), snapshot.separators.end(),
                        [](const DockSeparator& s) { return s.kind == SeparatorKind::separator; });
}

// Tiers take their region from their position, not from their items.
DockRegion regionForTier(std::size_t tierNumber) {
    switch (tierNumber) {
        case 0:
            return DockRegion::fixedApps;
        case 1:
            return DockRegion::runningApps;
        default:
            return DockRegion::dockOthers;
    }
}

Slot itemSlot(const DockItem& item, const ExpandedFolders& expanded,
              const FolderSearchHits& searchFolderHits) {
    Slot slot{item.region, item.dockIndex, Slot::Kind::item, &item, nullptr, nullptr, nullptr};
    if (item.kind == DockItemKind::folder && !expanded.empty()) {
        if (const auto open = expanded.find(item.itemID); open != expanded.end())
            slot.listing = &open->second;
    }
    if (!searchFolderHits.empty()) {
        if (const auto found = searchFolderHits.find(item.itemID); found != searchFolderHits.end())
            slot.hits = &found->second;
    }
    return slot;
}

std::vector<Slot> slotsInDockOrder(const DockSnapshot& snapshot, const ExpandedFolders& expanded,
                                   const PresentationOptions& options,
                                   const FolderSearchHits& searchFolderHits) {
    std::vector<Slot> slots;
    slots.reserve(snapshot.items.size() + snapshot.separators.size());
    for (const auto& item : snapshot.items) {
        if (passesItemFilter(item, options)) slots.push_back(itemSlot(item, expanded, searchFolderHits));
    }
    for (const auto& separator : snapshot.separators) {
        const bool kept = separator.kind == SeparatorKind::separator ? options.showSeparators
                          : separator.kind == SeparatorKind::smallSpacer
                              ? options.reproduceSpacers
                              : true;  // a full spacer always stays
        if (!kept) continue;
        const auto kind =
            separator.kind == SeparatorKind::separator ? Slot::Kind::separator : Slot::Kind::spacer;
        slots.push_back({separator.region, separator.dockIndex, kind, nullptr, &separator, nullptr, nullptr});
    }
    const bool byRegion = ordersByRegion(snapshot);
    const auto before = [byRegion](const Slot& a, const Slot& b) {
        return a.sortKey(byRegion) < b.sortKey(byRegion);
    };
    // Snapshots usually arrive in order already; then the pass stays linear.
    if (!std::is_sorted(slots.begin(), slots.end(), before))
        std::stable_sort(slots.begin(), slots.end(), before);
    return slots;
}

// Each tier's list is allocated once, at its final size or a little more.
std::vector<std::size_t> tierCapacities(const std::vector<Slot>& slots) {
    std::vector<std::size_t> capacities;
    std::size_t current = 0;
    for (const auto& slot : slots) {
        current += slot.cellCount();
        if (slot.kind == Slot::Kind::separator) {
            capacities.push_back(current);
            current = 0;
        }
    }
    if (current > 0) capacities.push_back(current);
    return capacities;
}

// The folder's own children when it is open, then the search hits not already among them.
void appendFolderChildren(const Slot& slot, std::vector<DockPresentation::Cell>& cells) {
    const auto& parent = slot.item->itemID;
    if (slot.listing) {
        for (const auto& child : slot.listing->children)
            cells.push_back(DockPresentation::Cell::folderChild(child, parent));
    }
    if (!slot.hits || slot.hits->empty()) return;
    std::unordered_set<ChildID> listed;
    if (slot.listing) {
        for (const auto& child : slot.listing->children) listed.insert(child.childID);
    }
    for (const auto& child : *slot.hits) {
        if (!listed.contains(child.childID))
            cells.push_back(DockPresentation::Cell::folderChild(child, parent));
    }
}

DockPresentation buildTiers(const DockSnapshot& snapshot, const ExpandedFolders& expanded,
                            const PresentationOptions& options, const FolderSearchHits& searchFolderHits) {
    const auto slots = slotsInDockOrder(snapshot, expanded, options, searchFolderHits);
    const auto capacities = tierCapacities(slots);
    DockPresentation presentation;
    presentation.tiers.reserve(capacities.size());
    std::vector<DockPresentation::Cell> cells;
    const auto openTierIfNeeded = [&] {
        if (cells.capacity() == 0) cells.reserve(capacities[presentation.tiers.size()]);
    };
    const auto closeTier = [&] {
        const auto number = presentation.tiers.size();
        presentation.tiers.push_back(
            {TierID("segment-" + std::to_string(number)), regionForTier(number), std::move(cells)});
        cells = {};
    };
    for (const auto& slot : slots) {
        openTierIfNeeded();
        switch (slot.kind) {
            case Slot::Kind::item:
                cells.push_back(DockPresentation::Cell::item(*slot.item));
                appendFolderChildren(slot, cells);
                break;
            case Slot::Kind::separator:
                cells.push_back(DockPresentation::Cell::spacer(SeparatorKind::separator));
                closeTier();
                break;
            case Slot::Kind::spacer:
                cells.push_back(DockPresentation::Cell::spacer(slot.separator->kind));
                break;
        }
    }
    if (!cells.empty()) closeTier();
    return presentation;
}

DockPresentation buildSearch(const DockSnapshot& snapshot, const PresentationOptions& options,
                             const FolderSearchHits& searchFolderHits) {
    std::vector<const DockItem*> items;
    items.reserve(snapshot.items.size());
    for (const auto& item : snapshot.items) {
        if (passesItemFilter(item, options)) items.push_back(&item);
    }
    const bool byRegion = ordersByRegion(snapshot);
    const auto before = [byRegion](const DockItem* a, const DockItem* b) {
        if (byRegion && a->region != b->region) return a->region < b->region;
        return a->dockIndex < b->dockIndex;
    };
    if (!std::is_sorted(items.begin(), items.end(), before))
        std::stable_sort(items.begin(), items.end(), before);

    std::vector<DockPresentation::Cell> apps;
    std::vector<DockPresentation::Cell> others;
    for (const auto* item : items) {
        if (localizedCaseInsensitiveContains(item->title, options.filterText)) {
            (item->kind == DockItemKind::app ? apps : others).push_back(DockPresentation::Cell::item(*item));
        }
        const auto hits = searchFolderHits.find(item->itemID);
        if (hits == searchFolderHits.end()) continue;
        for (const auto& child : hits->second) {
            (child.kind == FolderChildKind::app ? apps : others)
                .push_back(DockPresentation::Cell::folderChild(child, item->itemID));
        }
    }
    DockPresentation presentation;
    if (apps.empty() && others.empty()) return presentation;
    apps.insert(apps.end(), std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()));
    presentation.tiers.push_back({TierID("search"), DockRegion::fixedApps, std::move(apps)});
    return presentation;
}

}  // namespace

bool passesItemFilter(const DockItem& item, const PresentationOptions& options) {
    if (!options.showUnavailableItems && !item.isAvailable) return false;
    if (item.isHidden && options.hiddenAppsMode == HiddenAppsMode::hide) return false;
    return !(item.activationPolicy != ActivationPolicy::regular &&
             options.backgroundOnlyAppsMode == BackgroundOnlyAppsMode::hide &&
             item.region == DockRegion::runningApps && !item.isRecentAppsTile);
}

DockPresentation build(const DockSnapshot& snapshot, const ExpandedFolders& expanded,
                       const PresentationOptions& options, const FolderSearchHits& searchFolderHits) {
    if (options.filterText.empty()) return buildTiers(snapshot, expanded, options, searchFolderHits);
    return buildSearch(snapshot, options, searchFolderHits);
}

}  // namespace DockPresentationBuilder

}  // namespace tavelin
