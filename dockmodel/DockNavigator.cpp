#include "dockmodel/DockNavigator.h"

#include <algorithm>
#include <functional>
#include <tuple>
#include <unordered_map>

namespace tavelin {

namespace {

// What a selectable cell is, independent of where it stands: an item by its ID, a folder child by its
// parent's ID and its own. Points into the presentation the cell belongs to.
struct SelectionIdentity {
    const ItemID* item = nullptr;
    const ChildID* child = nullptr;  // null for an item cell

    friend bool operator==(const SelectionIdentity& a, const SelectionIdentity& b) {
        if (!(*a.item == *b.item)) return false;
        if (!a.child || !b.child) return !a.child && !b.child;
        return *a.child == *b.child;
    }
};

struct SelectionIdentityHash {
    std::size_t operator()(const SelectionIdentity& id) const noexcept {
        const auto itemHash = std::hash<ItemID>{}(*id.item);
        return id.child ? itemHash * 31 + std::hash<ChildID>{}(*id.child) + 1 : itemHash;
    }
};

std::optional<SelectionIdentity> identityOf(const DockPresentation::Cell& cell) {
    if (const auto* item = cell.asItem()) return SelectionIdentity{&item->itemID, nullptr};
    if (const auto* entry = cell.asFolderChild())
        return SelectionIdentity{&entry->parent, &entry->child.childID};
    return std::nullopt;
}

bool pathBefore(CellPath a, CellPath b) {
    return std::tie(a.tierIndex, a.cellIndex) < std::tie(b.tierIndex, b.cellIndex);
}

std::vector<CellPath> selectablePathsOf(const DockPresentation& presentation) {
    std::vector<CellPath> paths;
    for (std::int64_t t = 0; t < std::ssize(presentation.tiers); ++t) {
        const auto& cells = presentation.tiers[static_cast<std::size_t>(t)].cells;
        for (std::int64_t c = 0; c < std::ssize(cells); ++c) {
            if (cells[static_cast<std::size_t>(c)].isSelectable()) paths.push_back({t, c});
        }
    }
    return paths;
}

// The selection after a rebuild: the same cell; else the first of the cells that followed it, then of
// those before it, that still exists; else the first selectable cell.
std::optional<CellPath> survivingSelection(const DockPresentation& old, const std::vector<CellPath>& oldPaths,
                                           const std::optional<CellPath>& oldSelection,
                                           const DockPresentation& next,
                                           const std::vector<CellPath>& nextPaths) {
    const auto fallback = nextPaths.empty() ? std::nullopt : std::optional(nextPaths.front());
    const auto* selected = oldSelection ? old.cell(*oldSelection) : nullptr;
    const auto lost = selected ? identityOf(*selected) : std::nullopt;
    if (!lost) return fallback;
    for (const auto path : nextPaths) {
        if (identityOf(*next.cell(path)) == lost) return path;
    }

    std::unordered_map<SelectionIdentity, CellPath, SelectionIdentityHash> firstByIdentity;
    firstByIdentity.reserve(nextPaths.size());
    for (const auto path : nextPaths) firstByIdentity.try_emplace(*identityOf(*next.cell(path)), path);
    const auto lostAt = static_cast<std::size_t>(
        std::lower_bound(oldPaths.begin(), oldPaths.end(), *oldSelection, pathBefore) - oldPaths.begin());
    const auto survivor = [&](std::size_t position) -> std::optional<CellPath> {
        const auto found = firstByIdentity.find(*identityOf(*old.cell(oldPaths[position])));
        return found == firstByIdentity.end() ? std::nullopt : std::optional(found->second);
    };
    for (auto position = lostAt + 1; position < oldPaths.size(); ++position) {
        if (const auto path = survivor(position)) return path;
    }
    for (std::size_t position = 0; position < lostAt && position < oldPaths.size(); ++position) {
        if (const auto path = survivor(position)) return path;
    }
    return fallback;
}

// The options of a plain view of the Dock, for a navigator made over a ready presentation.
PresentationOptions plainDockOptions() {
    return {.showSeparators = true,
            .reproduceSpacers = true,
            .showUnavailableItems = true,
            .hiddenAppsMode = HiddenAppsMode::dimmed,
            .backgroundOnlyAppsMode = BackgroundOnlyAppsMode::hide,
            .runningSort = RunningAppsSort::recentlyUsed,
            .folderChildrenSort = FolderArrangement::dockDefault,
            .filterText = {},
            .itemStyle = ItemStyle::iconLabel};
}

}  // namespace

DockNavigator::DockNavigator(DockSnapshot snapshot, PresentationOptions options, ExpandedFolders expanded)
    : snapshot_(std::move(snapshot)), options_(std::move(options)), expanded_(std::move(expanded)) {
    presentation_ = DockPresentationBuilder::build(snapshot_, expanded_, options_, searchFolderHits_);
    selectablePaths_ = selectablePathsOf(presentation_);
    selection_ = initialSelection(presentation_);
}

DockNavigator::DockNavigator(DockPresentation presentation)
    : snapshot_{.dockGeneration = 0,
                .eventSequence = 0,
                .generatedAt = currentTimestamp(),
                .items = {},
                .separators = {},
                .runningSort = RunningAppsSort::recentlyUsed},
      options_(plainDockOptions()),
      presentation_(std::move(presentation)),
      selectablePaths_(selectablePathsOf(presentation_)),
      selection_(initialSelection(presentation_)) {}

std::optional<CellPath> DockNavigator::initialSelection(const DockPresentation& presentation) {
    const auto firstTier = [&](DockRegion region) {
        return std::find_if(presentation.tiers.begin(), presentation.tiers.end(),
                            [&](const auto& tier) { return tier.region == region; });
    };
    const auto tierIndex = [&](auto tier) -> std::int64_t { return tier - presentation.tiers.begin(); };

    if (const auto running = firstTier(DockRegion::runningApps); running != presentation.tiers.end()) {
        std::optional<CellPath> first;
        for (std::int64_t c = 0; c < std::ssize(running->cells); ++c) {
            if (!running->cells[static_cast<std::size_t>(c)].isSelectable()) continue;
            // The second one is the application used before the current one.
            if (first) return CellPath{tierIndex(running), c};
            first = CellPath{tierIndex(running), c};
        }
        if (first) return first;
    }
    if (const auto fixed = firstTier(DockRegion::fixedApps); fixed != presentation.tiers.end()) {
        const auto cell = std::find_if(fixed->cells.begin(), fixed->cells.end(),
                                       [](const auto& c) { return c.isSelectable(); });
        if (cell != fixed->cells.end())
            return CellPath{tierIndex(fixed), cell - fixed->cells.begin()};
    }
    return std::nullopt;
}

std::vector<std::string> DockNavigator::layoutIdentityKeys() const {
    std::vector<std::string> keys;
    keys.reserve(selectablePaths_.size());
    for (const auto path : selectablePaths_) {
        const auto& cell = *presentation_.cell(path);
        if (const auto* item = cell.asItem()) {
            keys.push_back("i:" + item->itemID.rawValue());
        } else if (const auto* entry = cell.asFolderChild()) {
            keys.push_back("c:" + entry->parent.rawValue() + "/" + entry->child.childID.rawValue());
        }
    }
    return keys;
}

void DockNavigator::select(CellPath path) {
    if (presentation_.cell(path)) selection_ = path;
}

void DockNavigator::selectActiveApp(const std::optional<std::string>& bundleID,
                                    std::string_view finderBundleID) {
    selectRelativeToActiveApp(bundleID, 0, finderBundleID);
}

void DockNavigator::selectNextAfterActiveApp(const std::optional<std::string>& bundleID,
                                             std::string_view finderBundleID) {
    selectRelativeToActiveApp(bundleID, 1, finderBundleID);
}

void DockNavigator::selectRelativeToActiveApp(const std::optional<std::string>& bundleID, std::size_t offset,
                                              std::string_view finderBundleID) {
    const auto& paths = selectablePaths_;
    const auto withBundleID = [&](std::string_view wanted) {
        return std::find_if(paths.begin(), paths.end(), [&](CellPath path) {
            const auto* item = presentation_.cell(path)->asItem();
            return item && item->bundleID && *item->bundleID == wanted;
        });
    };
    if (bundleID && *bundleID != ownBundleID) {
        if (const auto active = withBundleID(*bundleID); active != paths.end()) {
            const auto position = static_cast<std::size_t>(active - paths.begin());
            selection_ = paths[(position + offset) % paths.size()];
            return;
        }
    }
    if (paths.empty()) {
        selection_ = initialSelection(presentation_);
        return;
    }
    // No active application of ours to step from: Finder itself, not the one after it.
    const auto finder = withBundleID(finderBundleID);
    selection_ = finder != paths.end() ? *finder : paths.front();
}

std::optional<std::size_t> DockNavigator::selectedPosition() const {
    if (!selection_) return std::nullopt;
    const auto found =
        std::lower_bound(selectablePaths_.begin(), selectablePaths_.end(), *selection_, pathBefore);
    if (found == selectablePaths_.end() || *found != *selection_) return std::nullopt;
    return static_cast<std::size_t>(found - selectablePaths_.begin());
}

void DockNavigator::moveNext(bool /*wrapWithinTier*/) {
    const auto position = selectedPosition();
    if (!position) return;
    selection_ = selectablePaths_[(*position + 1) % selectablePaths_.size()];
}

void DockNavigator::movePrevious(bool /*wrapWithinTier*/) {
    const auto position = selectedPosition();
    if (!position) return;
    const auto count = selectablePaths_.size();
    selection_ = selectablePaths_[(*position + count - 1) % count];
}

void DockNavigator::move(Direction direction, bool wrapWithinTier) {
    if (!selection_) return;
    const auto& paths = selectablePaths_;
    if (direction == Direction::left || direction == Direction::right) {
        const auto position = selectedPosition();
        if (!position) return;
        if (direction == Direction::right) {
            if (*position + 1 < paths.size()) {
                selection_ = paths[*position + 1];
            } else if (wrapWithinTier) {
                selection_ = paths.front();
            }
        } else {
            if (*position > 0) {
                selection_ = paths[*position - 1];
            } else if (wrapWithinTier) {
                selection_ = paths.back();
            }
        }
        return;
    }

    const auto current = *selection_;
    // The nearest selectable cell of tier `t` by cell index, the lower index on a tie.
    const auto nearestIn = [&](std::int64_t t) -> std::optional<CellPath> {
        const auto [first, last] =
            std::equal_range(paths.begin(), paths.end(), CellPath{t, 0},
                             [](CellPath a, CellPath b) { return a.tierIndex < b.tierIndex; });
        std::optional<CellPath> best;
        for (auto path = first; path != last; ++path) {
            const auto distance = [&](CellPath p) { return std::abs(p.cellIndex - current.cellIndex); };
            if (!best || distance(*path) < distance(*best)) best = *path;
        }
        return best;
    };
    if (direction == Direction::up) {
        for (auto t = current.tierIndex; t-- > 0;) {
            if (const auto target = nearestIn(t)) {
                selection_ = target;
                return;
            }
        }
    } else {
        for (auto t = current.tierIndex + 1; t < std::ssize(presentation_.tiers); ++t) {
            if (const auto target = nearestIn(t)) {
                selection_ = target;
                return;
            }
        }
    }
}

std::optional<DockAction> DockNavigator::activate() const {
    const auto* cell = selection_ ? presentation_.cell(*selection_) : nullptr;
    if (!cell) return std::nullopt;
    if (const auto* entry = cell->asFolderChild())
        return DockAction::openChild(entry->parent, entry->child.childID);
    const auto* item = cell->asItem();
    if (!item) return std::nullopt;
    switch (item->kind) {
        case DockItemKind::app:
            return DockAction::launchOrActivate(item->itemID);
        case DockItemKind::folder:
        case DockItemKind::file:
        case DockItemKind::url:
            return DockAction::openFileOrURL(item->itemID);
        case DockItemKind::trash:
            return DockAction::activateTrash();
        case DockItemKind::unknown:
            return DockAction::showInFinder(item->itemID);
    }
    return std::nullopt;
}

bool DockNavigator::expand(const ItemID& itemID, FolderSnapshot listing) {
    expanded_.insert_or_assign(itemID, std::move(listing));
    rebuild();
    return true;
}

bool DockNavigator::collapseCurrentFolder() {
    const auto* cell = selection_ ? presentation_.cell(*selection_) : nullptr;
    if (!cell) return false;
    if (const auto* entry = cell->asFolderChild()) {
        const ItemID parent = entry->parent;
        expanded_.erase(parent);
        rebuild();
        const auto tile = std::find_if(selectablePaths_.begin(), selectablePaths_.end(), [&](CellPath path) {
            const auto* item = presentation_.cell(path)->asItem();
            return item && item->itemID == parent;
        });
        if (tile != selectablePaths_.end()) selection_ = *tile;
        return true;
    }
    const auto* item = cell->asItem();
    if (!item || !expanded_.contains(item->itemID)) return false;
    // The tile keeps its place: its children stood after it.
    const auto path = *selection_;
    expanded_.erase(item->itemID);
    rebuild();
    select(path);
    return true;
}

void DockNavigator::filter(std::string text) {
    options_.filterText = std::move(text);
    searchFolderHits_.clear();
    rebuild();
}

void DockNavigator::setSearchFolderHits(FolderSearchHits hits) {
    if (options_.filterText.empty()) {
        searchFolderHits_.clear();
        return;
    }
    searchFolderHits_ = std::move(hits);
    rebuild();
}

std::vector<DockNavigator::SearchableFolder> DockNavigator::searchableFolders() const {
    std::vector<SearchableFolder> folders;
    for (const auto& item : snapshot_.items) {
        if (item.kind == DockItemKind::folder && item.path &&
            DockPresentationBuilder::passesItemFilter(item, options_)) {
            folders.push_back({item.itemID, *item.path});
        }
    }
    return folders;
}

void DockNavigator::apply(DockSnapshot snapshot) {
    snapshot_ = std::move(snapshot);
    rebuild();
}

void DockNavigator::rebuild() {
    auto next = DockPresentationBuilder::build(snapshot_, expanded_, options_, searchFolderHits_);
    auto nextPaths = selectablePathsOf(next);
    selection_ = survivingSelection(presentation_, selectablePaths_, selection_, next, nextPaths);
    presentation_ = std::move(next);
    selectablePaths_ = std::move(nextPaths);
}

}  // namespace tavelin
