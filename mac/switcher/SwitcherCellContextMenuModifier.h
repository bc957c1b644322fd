#pragma once

// The right-click menu of a panel cell: the rows its Dock item offers (show in Finder; hide or show
// again and quit for a running application; open and empty for the Trash), each a title (a
// localisation key) and the request it makes. The switcher keeps the rows of the open menu as its
// context menu's action holders.

#include <memory>
#include <string>
#include <vector>

#include "dockmodel/DockAction.h"
#include "dockmodel/DockMainGrid.h"

namespace tavelin {

class SwitcherController;

struct MenuActionHolder {
    std::string title;
    DockAction action;
    friend bool operator==(const MenuActionHolder&, const MenuActionHolder&) = default;
};

struct SwitcherCellContextMenuModifier {
    static constexpr std::string_view kShowInFinder = "context.showInFinder";
    static constexpr std::string_view kHide = "context.hide";
    static constexpr std::string_view kUnhide = "context.unhide";
    static constexpr std::string_view kQuit = "context.quit";
    static constexpr std::string_view kOpenTrash = "context.openTrash";
    static constexpr std::string_view kEmptyTrash = "context.emptyTrash";

    DockMainGridEntry entry;
    std::weak_ptr<SwitcherController> controller;

    // None for a cell that is not a Dock item.
    std::vector<MenuActionHolder> rows() const;
};

}  // namespace tavelin
