#include "mac/switcher/views/DockRunningIndicatorMark.h"

#include "platform/ui/Views.h"

namespace tavelin {

ui::Color DockRunningIndicatorAppearance::fillColor(DockGridPlatform platform, ui::ColorScheme colorScheme) {
    if (platform == DockGridPlatform::ios) return ui::Color::white(1, 0.9);
    return colorScheme == ui::ColorScheme::dark ? ui::Color::white() : ui::Color::black();
}

ui::View DockRunningIndicatorMark::body(const ui::Environment& environment) const {
    using namespace DockRunningIndicatorAppearance;
    const double width = isActiveApp ? activeWidth : markHeight;
    const ui::Shadow shadow = platform == DockGridPlatform::ios ? ui::Shadow{ui::Color::black(0.6), 1, 0, 0}
                                                                : ui::Shadow{ui::Color::clear(), 0, 0, 0};
    const ui::Animation animation =
        environment.reduceMotion ? ui::Animation::none() : ui::Animation::easeInOut(changeAnimationDuration);
    return ui::capsule(fillColor(platform, colorScheme))
        .frame(width, markHeight)
        .shadow(shadow)
        .animation(animation);
}

}  // namespace tavelin
