#pragma once

// The folder popover: a Dock folder's listing shown in a popover below its panel cell, with levels
// (a subfolder opened inside it stacks on top), an optional focused child and its own search text.
// Made once by the switcher controller and reused for every panel; it only holds state and its popover
// window (its views come with the panel's views). Main thread.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppWindows.h"
#include "protocol/FolderSnapshot.h"

namespace tavelin {

struct FolderPopoverModel {
    std::string filterText;
    std::vector<FolderSnapshot> levels;
    std::optional<std::int64_t> focusIndex;
    double iconSide = 0;

    // The children whose title contains the filter text (case-insensitive, in the current locale), in
    // listing order; all of them without a filter.
    std::vector<FolderChild> visibleChildren(const FolderSnapshot& folder) const;
};

class SwitcherFolderPopoverController {
  public:
    explicit SwitcherFolderPopoverController(AppWindows& windows) : windows_(windows) {}
    SwitcherFolderPopoverController(const SwitcherFolderPopoverController&) = delete;
    SwitcherFolderPopoverController& operator=(const SwitcherFolderPopoverController&) = delete;

    // Shows the popover under `anchor` (screen coordinates) of the panel, with these contents.
    void present(const Rect& anchor, const AppPanel& panel, std::vector<FolderSnapshot> levels,
                 std::optional<std::int64_t> focusIndex, double iconSide);
    // Moves a shown popover under a new anchor.
    void reanchor(const Rect& anchor, const AppPanel& panel);
    void close(bool notify);
    bool isShown() const { return popover && popover->isShown(); }
    bool containsScreenPoint(Point point) const;
    void setFilterText(std::string text) { model.filterText = std::move(text); }
    // Redraws and resizes the popover for new levels, focus or icon side.
    void updateContent(std::vector<FolderSnapshot> levels, std::optional<std::int64_t> focusIndex,
                       double iconSide);

    std::unique_ptr<AppPopover> popover;
    FolderPopoverModel model;
    std::function<void()> onClose;

  private:
    void resize();

    AppWindows& windows_;
};

}  // namespace tavelin
