#pragma once

// The name floating under the selected cell when no search is shown: one line at its own width, which
// may be wider than the cell, on a material capsule. A title too wide for the panel is cut at the end.

#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/Node.h"

namespace tavelin {

namespace ui {
struct Environment;
class TextMeasurer;
}  // namespace ui

struct SwitcherSelectedLabel {
    static constexpr ui::Font kFont = ui::Font::system(12, ui::FontWeight::semibold);
    static constexpr double kHorizontalPadding = 8;
    static constexpr double kVerticalPadding = 2;

    std::string title;
    double maxWidth = 0;

    // The title's width with both paddings is more than `maxWidth`.
    bool exceedsPanelWidth(const ui::TextMeasurer& measurer) const;
    ui::View body(const ui::Environment& environment, const ui::TextMeasurer& measurer) const;
};

}  // namespace tavelin
