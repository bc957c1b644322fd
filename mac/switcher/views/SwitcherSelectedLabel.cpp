#include "mac/switcher/views/SwitcherSelectedLabel.h"

#include "platform/ui/Environment.h"
#include "platform/ui/TextMeasurer.h"
#include "platform/ui/Views.h"

namespace tavelin {

bool SwitcherSelectedLabel::exceedsPanelWidth(const ui::TextMeasurer& measurer) const {
    return measurer.width(title, kFont) + 2 * kHorizontalPadding > maxWidth;
}

ui::View SwitcherSelectedLabel::body(const ui::Environment& environment,
                                     const ui::TextMeasurer& measurer) const {
    const ui::Color color = ui::primaryLabelColor(environment.colorScheme);
    // The frame fixes the label's width whatever the cell offers: its natural width, or `maxWidth`.
    const double width = exceedsPanelWidth(measurer) ? maxWidth : measurer.width(title, kFont);
    return ui::text(title, kFont, color, ui::Truncation::tail)
        .frame(width, std::nullopt)
        .padding(ui::EdgeInsets::symmetric(kHorizontalPadding, kVerticalPadding))
        .background(ui::capsule(ui::Material::regular));
}

}  // namespace tavelin
