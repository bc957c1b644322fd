#pragma once

// The switcher with its panel open and every cell anchored in one row, for the tests of input and
// search: keys made by the US layout, the pointer moved at will, the overlays opened over cells.

#include <fstream>

#include "mac/switcher/SwitcherSearchField.h"
#include "mac/switcher/tests/SwitcherWorld.h"
#include "platform/KeyboardLayout.h"

namespace tavelin {

class SwitcherInputWorld : public SwitcherWorld {
  protected:
    using Surface = SwitcherController::SearchSurface;
    using Route = SwitcherController::SearchKeyRoute;

    explicit SwitcherInputWorld(sim::Desktop desktop = standardDesktop())
        : SwitcherWorld(std::move(desktop)) {}

    void openAnchored() {
        switcher().openPanel(true);
        anchorCells();
    }
    // Every cell of the open panel in one row, as the root view would report them.
    void anchorCells() {
        SwitcherController::CellAnchors anchors;
        double x = 16;
        for (const auto& entry : DockMainGrid::cells(switcher().navigator.value()->presentation())) {
            anchors[entry.path] = Rect{x, 12, 84, 100};
            x += 84;
        }
        switcher().cellAnchorsChanged(std::move(anchors));
    }
    static InputEvent key(std::int64_t keyCode, std::uint64_t flags = 0,
                          EventType type = EventType::keyDown) {
        InputEvent event{.type = type, .flags = flags, .keyCode = keyCode};
        translateKeyEvent(event, std::make_shared<USKeyboardLayout>());
        return event;
    }
    // The modifiers held, as the world's hardware state.
    void hold(std::uint64_t flags) {
        mac_.input().pressModifiers(flags);
        scheduler_.runUntilIdle();
    }
    void pointAt(Point point) { mac_.displays().setMouseLocation(point); }
    void pointAtMiddleOf(const std::optional<Rect>& frame) {
        ASSERT_TRUE(frame);
        pointAt(Point{frame->x + frame->width / 2, frame->y + frame->height / 2});
    }
    void showWindows(std::string_view title, std::vector<std::string> windows) {
        const auto path = *pathTitled(title);
        const auto item = itemAt(path);
        WindowListSnapshot list{.appItemID = item.itemID, .listGeneration = 1};
        for (std::size_t i = 0; i < windows.size(); ++i)
            list.windows.push_back(
                WindowDescriptor{.windowID = WindowID(std::to_string(100 + i)), .title = windows[i]});
        switcher().presentDockAnchoredMenu(item, path, SwitcherController::ContentMode::windowsOnly,
                                           std::move(list));
    }
    void showDownloads(std::vector<std::string> files) {
        for (const auto& name : files) std::ofstream(mac_.diskPath("~/Downloads") / name) << "x";
        const auto path = *pathTitled("Downloads");
        switcher().presentFolder(itemAt(path), path, false);
    }
    SwitcherDockAnchoredMenuController& menu() { return switcher().dockAnchoredMenu(); }
    SwitcherFolderPopoverController& folder() { return switcher().folderPopover(); }
    // Away from the panel and its overlays.
    void pointAway() { pointAt(Point{5, 5}); }
};

}  // namespace tavelin
