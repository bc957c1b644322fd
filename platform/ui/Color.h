#pragma once

// Colours of the view layer (sRGB components from 0 to 1, alpha not premultiplied), the two colour
// schemes, and the one material the panel uses. A material stands for the platform's blurred,
// translucent backgrounds: here it is a named translucent colour per scheme (see Palette.h).

#include <string_view>
#include <optional>
#include <variant>

namespace tavelin::ui {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    static constexpr Color clear() { return {}; }
    static constexpr Color black(double alpha = 1) { return {0, 0, 0, alpha}; }
    static constexpr Color white(double level = 1, double alpha = 1) { return {level, level, level, alpha}; }

    bool isClear() const { return alpha <= 0; }
    Color withOpacity(double opacity) const { return {red, green, blue, alpha * opacity}; }

    friend bool operator==(const Color&, const Color&) = default;
};

enum class ColorScheme { light, dark };
std::string_view toString(ColorScheme scheme);
std::optional<ColorScheme> colorSchemeFromString(std::string_view text);

enum class Material { regular };
std::string_view toString(Material material);
std::optional<Material> materialFromString(std::string_view text);

// What a shape is filled with: a colour, or a material resolved by the colour scheme at layout time.
using Fill = std::variant<Color, Material>;

}  // namespace tavelin::ui
