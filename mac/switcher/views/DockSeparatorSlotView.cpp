#include "mac/switcher/views/DockSeparatorSlotView.h"

#include "platform/ui/Views.h"

namespace tavelin {

ui::View DockSeparatorSlotView::body() const {
    double width = 0;
    double height = 0;
    if (kind != SeparatorKind::separator) {
        width = kind == SeparatorKind::smallSpacer ? iconSide / 2 : iconSide;
        height = iconSide;
    }
    std::vector<ui::View> content{
        ui::rectangle(ui::Color::clear()).frame(width, height).frame(iconSide, iconSide)};
    if (iconSide < slotHeight)
        content.push_back(ui::rectangle(ui::Color::clear()).frame(std::nullopt, slotHeight - iconSide));
    return ui::vstack(0, content).frame(iconSide, slotHeight, ui::Alignment::top()).accessibilityHidden();
}

}  // namespace tavelin
