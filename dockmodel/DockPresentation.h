#pragma once

// The panel's content: tiers (rows following the Dock's own grouping), each an ordered list of cells.
// A cell is a Dock tile, a separator line or gap, or an entry of a folder opened inside the panel.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "protocol/DockItem.h"
#include "protocol/FolderSnapshot.h"

namespace tavelin {

// "segment-0", "segment-1", ... in a normal presentation; "search" for the one tier of a search.
class TierID {
  public:
    TierID() = default;
    explicit TierID(std::string rawValue) : rawValue_(std::move(rawValue)) {}

    const std::string& rawValue() const { return rawValue_; }

    friend bool operator==(const TierID&, const TierID&) = default;

  private:
    std::string rawValue_;
};

// A position in a presentation: the unit of selection. Signed, so that a step before the first cell is a
// path that lies outside rather than a wrapped-around one.
struct CellPath {
    std::int64_t tierIndex = 0;
    std::int64_t cellIndex = 0;

    friend bool operator==(const CellPath&, const CellPath&) = default;
};

struct DockPresentation {
    struct SpacerCell {
        SeparatorKind kind = SeparatorKind::separator;
        friend bool operator==(const SpacerCell&, const SpacerCell&) = default;
    };
    struct FolderChildCell {
        FolderChild child;
        ItemID parent;  // the folder tile that holds the child
        friend bool operator==(const FolderChildCell&, const FolderChildCell&) = default;
    };

    class Cell {
      public:
        static Cell item(DockItem item) { return Cell(std::move(item)); }
        static Cell spacer(SeparatorKind kind) { return Cell(SpacerCell{kind}); }
        static Cell folderChild(FolderChild child, ItemID parent) {
            return Cell(FolderChildCell{std::move(child), std::move(parent)});
        }

        // The case's value, or null for another case.
        const DockItem* asItem() const { return std::get_if<DockItem>(&value_); }
        const SpacerCell* asSpacer() const { return std::get_if<SpacerCell>(&value_); }
        const FolderChildCell* asFolderChild() const { return std::get_if<FolderChildCell>(&value_); }

        // Items and folder children can be selected; spacers never.
        bool isSelectable() const { return !asSpacer(); }
        bool isDockLineSeparatorSlot() const {
            const auto* spacer = asSpacer();
            return spacer && spacer->kind == SeparatorKind::separator;
        }

        friend bool operator==(const Cell&, const Cell&) = default;

      private:
        using Value = std::variant<DockItem, SpacerCell, FolderChildCell>;
        explicit Cell(Value value) : value_(std::move(value)) {}
        Value value_;
    };

    struct Tier {
        TierID id;
        DockRegion region = DockRegion::fixedApps;
        std::vector<Cell> cells;
        friend bool operator==(const Tier&, const Tier&) = default;
    };

    std::vector<Tier> tiers;

    // The cell at `path`, or null when the path lies outside.
    const Cell* cell(CellPath path) const {
        if (path.tierIndex < 0 || path.cellIndex < 0) return nullptr;
        const auto tier = static_cast<std::size_t>(path.tierIndex);
        const auto index = static_cast<std::size_t>(path.cellIndex);
        if (tier >= tiers.size() || index >= tiers[tier].cells.size()) return nullptr;
        return &tiers[tier].cells[index];
    }

    friend bool operator==(const DockPresentation&, const DockPresentation&) = default;
};

}  // namespace tavelin

template <>
struct std::hash<tavelin::TierID> {
    std::size_t operator()(const tavelin::TierID& id) const noexcept {
        return std::hash<std::string>{}(id.rawValue());
    }
};

template <>
struct std::hash<tavelin::CellPath> {
    std::size_t operator()(const tavelin::CellPath& path) const noexcept {
        return std::hash<std::int64_t>{}(path.tierIndex) * 31 + std::hash<std::int64_t>{}(path.cellIndex);
    }
};
