#include "mac/switcher/views/SwitcherRootView.h"

#include <limits>

#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/views/GridCellAnchors.h"
#include "mac/switcher/views/SwitcherDockLayout.h"
#include "mac/switcher/views/SwitcherSearchBadge.h"
#include "platform/ui/Views.h"

namespace tavelin {

ui::View SwitcherRootView::body(const ui::BuildContext& context) const {
    // Read so that every raise of it redraws the panel.
    (void)controller.uiTick.value();
    ui::View content;
    if (const auto& navigator = controller.navigator.value()) {
        SwitcherDockLayout layout{controller, DockMainGrid::cells(navigator->presentation()),
                                  navigator->selection(), controller.panelIconSize.value()};
        content = std::move(layout).body(context).padding(
            ui::EdgeInsets::symmetric(kHorizontalPadding, kVerticalPadding));
    } else {
        content = ui::text("dock.unavailable", ui::Font::system(13),
                           ui::secondaryLabelColor(context.environment.colorScheme))
                      .padding();
    }
    const double infinity = std::numeric_limits<double>::infinity();
    const SwitcherSearchBadge badge{controller.filterText.value()};
    return ui::zstack({content, badge.body(context.environment)}, ui::Alignment::top())
        .frame(ui::FlexibleFrame{0, infinity, 0, infinity}, ui::Alignment::top())
        .background(ui::roundedRectangle(kCornerRadius, ui::Material::regular))
        .coordinateSpace(kSwitcherHostSpace);
}

std::shared_ptr<SwitcherHostView> makeSwitcherHostView(const std::shared_ptr<SwitcherController>& controller,
                                                       std::shared_ptr<const ui::TextMeasurer> measurer) {
    const std::weak_ptr<SwitcherController> weak = controller;
    auto host =
        std::make_shared<SwitcherHostView>(std::move(measurer), [weak](const ui::BuildContext& context) {
            const auto self = weak.lock();
            return self ? SwitcherRootView{*self}.body(context) : ui::emptyView();
        });
    ui::Host& views = host->host();
    views.onPreferenceChange(switcherCellAnchorKey(), [weak, &views](const GridCellAnchors& frames) {
        views.state().value<GridCellAnchors>(SwitcherDockLayout::kAnchorsStateKey) = frames;
        if (const auto self = weak.lock()) {
            self->cellAnchorsChanged(SwitcherController::CellAnchors(frames.begin(), frames.end()));
        }
    });
    return host;
}

}  // namespace tavelin
