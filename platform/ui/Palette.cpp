#include "platform/ui/Palette.h"

namespace tavelin::ui {
namespace {

Color byScheme(ColorScheme scheme, Color light, Color dark) { return scheme == ColorScheme::dark ? dark : light; }

}  // namespace

Color resolve(Material, ColorScheme scheme) {
    return byScheme(scheme, kRegularMaterialLight, kRegularMaterialDark);
}

Color resolve(const Fill& fill, ColorScheme scheme) {
    if (const Color* color = std::get_if<Color>(&fill)) return *color;
    return resolve(std::get<Material>(fill), scheme);
}

Color primaryLabelColor(ColorScheme scheme) { return byScheme(scheme, kPrimaryLabelLight, kPrimaryLabelDark); }
Color secondaryLabelColor(ColorScheme scheme) { return byScheme(scheme, kSecondaryLabelLight, kSecondaryLabelDark); }
Color scrollIndicatorColor(ColorScheme scheme) { return byScheme(scheme, kScrollIndicatorLight, kScrollIndicatorDark); }

}  // namespace tavelin::ui
