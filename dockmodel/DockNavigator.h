#pragma once

// The panel's model while the panel is open: the snapshot, the options, the open folders and the folder
// search hits, the presentation built from them, and the selection that keys, wheel and pointer move.
// Every operation that changes one of the inputs rebuilds the presentation once and carries the
// selection over by identity (the same item or folder child), so a new snapshot or a keystroke of the
// search does not lose the user's place.
//
// Main thread only. After every operation the selection is none or a selectable cell of the current
// presentation; only select() may put it on a spacer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dockmodel/DockAction.h"
#include "dockmodel/DockPresentation.h"
#include "dockmodel/DockPresentationBuilder.h"
#include "dockmodel/PresentationOptions.h"
#include "protocol/DockSnapshot.h"

namespace tavelin {

class DockNavigator {
  public:
    enum class Direction { left, right, up, down };

    struct SearchableFolder {
        ItemID itemID;
        std::string path;
        friend bool operator==(const SearchableFolder&, const SearchableFolder&) = default;
    };

    // The system's own bundle identifier: when it is the active application, the selection goes where
    // it would with no active application.
    static constexpr std::string_view ownBundleID = "jp.fenwold.lomaret";

    DockNavigator(DockSnapshot snapshot, PresentationOptions options, ExpandedFolders expanded = {});
    // Over a ready presentation, with an empty snapshot and the options of a plain Dock view.
    explicit DockNavigator(DockPresentation presentation);

    const DockPresentation& presentation() const { return presentation_; }
    const std::optional<CellPath>& selection() const { return selection_; }
    const ExpandedFolders& expanded() const { return expanded_; }
    const PresentationOptions& options() const { return options_; }
    const DockSnapshot& snapshot() const { return snapshot_; }
    const FolderSearchHits& searchFolderHits() const { return searchFolderHits_; }

    // The cell selected when the panel opens: the second selectable cell of the first running tier (the
    // application used before the current one), or its only one; else the first selectable cell of the
    // first fixed tier. The other tiles are never chosen.
    static std::optional<CellPath> initialSelection(const DockPresentation& presentation);

    // "i:<item ID>" or "c:<parent ID>/<child ID>" per selectable cell, in order; equal lists mean the
    // panel's layout can stay.
    std::vector<std::string> layoutIdentityKeys() const;

    // Sets the selection when both indices are in range, selectable or not.
    void select(CellPath path);
    void selectActiveApp(const std::optional<std::string>& bundleID, std::string_view finderBundleID);
    void selectNextAfterActiveApp(const std::optional<std::string>& bundleID,
                                  std::string_view finderBundleID);

    // One step through all selectable cells across tiers (Tab, Shift-Tab, wheel); always wraps at both
    // ends, whatever `wrapWithinTier` says.
    void moveNext(bool wrapWithinTier);
    void movePrevious(bool wrapWithinTier);
    // Left and right step through the selectable cells, into the neighbouring tier, and wrap to the other
    // end only with `wrapWithinTier`. Up and down go to the nearest selectable cell of the next tier that
    // has one (the lower index on a tie) and never wrap.
    void move(Direction direction, bool wrapWithinTier);

    // The request for the selected cell; none for a spacer or no selection.
    std::optional<DockAction> activate() const;

    // Opens a folder tile inside the panel with the given listing. Always true.
    bool expand(const ItemID& itemID, FolderSnapshot listing);
    // Closes the open folder around the selection: the selected child's folder (selecting the tile), or
    // the selected tile itself. False when there is none.
    bool collapseCurrentFolder();

    // Sets the search text and drops the folder search hits.
    void filter(std::string text);
    // Without a search text the hits are only dropped; nothing is rebuilt.
    void setSearchFolderHits(FolderSearchHits hits);
    // The folder tiles, with a path and kept by the options, that a folder search should look into.
    std::vector<SearchableFolder> searchableFolders() const;

    void apply(DockSnapshot snapshot);

  private:
    void rebuild();
    void selectRelativeToActiveApp(const std::optional<std::string>& bundleID, std::size_t offset,
                                   std::string_view finderBundleID);
    // Position of the selection among the selectable paths, when it is one of them.
    std::optional<std::size_t> selectedPosition() const;

    DockSnapshot snapshot_;
    PresentationOptions options_;
    ExpandedFolders expanded_;
    FolderSearchHits searchFolderHits_;
    DockPresentation presentation_;
    std::vector<CellPath> selectablePaths_;  // of presentation_, in tier order, then cell order
    std::optional<CellPath> selection_;
};

}  // namespace tavelin
