#pragma once

// The drop target of an application, folder or Trash cell: while files that the item can take are
// dragged over it, the cell is the controller's drop highlight and the drag proposes a copy while Option
// is held, a move otherwise; the drop hands the drag's file items to the controller. The highlight is
// cleared only when it is on this very cell. Entering a cell does nothing by itself.

#include <memory>

#include "dockmodel/DockMainGrid.h"
#include "platform/ui/Interaction.h"

namespace tavelin {

class SwitcherController;

class SwitcherCellDropDelegate final : public ui::DropDelegate {
  public:
    // The entry is the one the cell's other handlers share.
    SwitcherCellDropDelegate(std::shared_ptr<const DockMainGridEntry> entry,
                             std::weak_ptr<SwitcherController> controller)
        : entry_(std::move(entry)), controller_(std::move(controller)) {}

    ui::DropOperation dropUpdated(const ui::DropInfo& info) override;
    void dropExited(const ui::DropInfo& info) override;
    bool performDrop(const ui::DropInfo& info) override;

  private:
    // The drag pasteboard holds file URLs and the cell's item accepts them.
    bool isValid(const SwitcherController& controller) const;
    void clearHighlightIfHere(SwitcherController& controller) const;

    std::shared_ptr<const DockMainGridEntry> entry_;
    std::weak_ptr<SwitcherController> controller_;
};

}  // namespace tavelin
