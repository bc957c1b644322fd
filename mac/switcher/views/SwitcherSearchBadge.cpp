#include "mac/switcher/views/SwitcherSearchBadge.h"

#include "platform/ui/Environment.h"
#include "platform/ui/Views.h"

namespace tavelin {
namespace {

constexpr ui::Font kFont = ui::Font::system(13, ui::FontWeight::medium);

}  // namespace

ui::View SwitcherSearchBadge::body(const ui::Environment& environment) const {
    if (text.empty()) return ui::emptyView();
    const bool dark = environment.colorScheme == ui::ColorScheme::dark;
    const ui::Color color = dark ? ui::Color::white(1.0, 0.94) : ui::Color::white(0.1, 0.94);
    const ui::Color tint = dark ? ui::Color::white(0.14, 0.78) : ui::Color::white(1.0, 0.82);
    return ui::hstack(
               5, {ui::symbol(ui::Symbol::magnifyingGlass, kFont.size, color), ui::text(text, kFont, color)})
        .padding(ui::EdgeInsets::symmetric(10, 4))
        .background(ui::zstack({ui::capsule(ui::Material::regular), ui::capsule(tint)}))
        .padding(ui::EdgeInsets{6, 0, 0, 0});
}

}  // namespace tavelin
