#include "tools/SwitcherPanelView.h"

#include "protocol/NumberText.h"
#include "tools/EscapedText.h"

namespace tavelin {

namespace {

std::string regionLabel(DockRegion region) {
    switch (region) {
        case DockRegion::fixedApps:
            return "fixed apps:  ";
        case DockRegion::runningApps:
            return "running apps:";
        case DockRegion::dockOthers:
            return "others:      ";
    }
    return "";
}

std::string cellText(const DockPresentation::Cell& cell) {
    if (const auto* item = cell.asItem()) return item->title;
    if (const auto* child = cell.asFolderChild()) return child->child.title;
    return cell.isDockLineSeparatorSlot() ? "|" : "_";
}

}  // namespace

std::string readableSwitcherPanel(SwitcherController& switcher) {
    const auto navigator = switcher.navigator.value();
    if (!switcher.panel() || !navigator) return "Switcher: closed\n";
    const Rect frame = switcher.panel()->window().frame();
    std::string text = "Switcher: panel " + shortestText(frame.width) + "x" + shortestText(frame.height) + " at (" +
                       shortestText(frame.x) + ", " + shortestText(frame.y) + ")\n";
    const auto& selection = navigator->selection();
    const auto& tiers = navigator->presentation().tiers;
    for (std::size_t t = 0; t < tiers.size(); ++t) {
        text += "  " + regionLabel(tiers[t].region);
        for (std::size_t c = 0; c < tiers[t].cells.size(); ++c) {
            const bool selected = selection && selection->tierIndex == static_cast<std::int64_t>(t) &&
                                  selection->cellIndex == static_cast<std::int64_t>(c);
            const auto cell = escapedText(cellText(tiers[t].cells[c]));
            text += "  " + (selected ? "[" + cell + "]" : cell);
        }
        text += "\n";
    }
    const auto title = selection ? SwitcherController::title(*selection, navigator->presentation()) : std::nullopt;
    return text + "  selected: " + (title ? escapedText(*title) : "none") + "\n";
}

}  // namespace tavelin
