#pragma once

// A font of the system face by size (points) and weight. The system face is DejaVu Sans, named
// explicitly so that no machine's font configuration changes a width. It has two upright weights:
// regular and medium use its Book face, semibold uses its Bold face (the nearer of the two to 600).

#include <optional>
#include <string_view>

namespace tavelin::ui {

enum class FontWeight { regular, medium, semibold };
std::string_view toString(FontWeight weight);
std::optional<FontWeight> fontWeightFromString(std::string_view text);

inline constexpr std::string_view kSystemFontFamily = "DejaVu Sans";

struct Font {
    double size = 13;
    FontWeight weight = FontWeight::regular;

    static constexpr Font system(double size, FontWeight weight = FontWeight::regular) { return {size, weight}; }
    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace tavelin::ui
