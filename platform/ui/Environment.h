#pragma once

// What a view tree reads from its surroundings: the appearance, the user's reduce-motion choice and the
// accent colour. The host hands the same environment to every view of one update.

#include "platform/ui/Color.h"
#include "platform/ui/Palette.h"

namespace tavelin::ui {

struct Environment {
    ColorScheme colorScheme = ColorScheme::light;
    bool reduceMotion = false;
    Color accentColor = kDefaultAccentColor;
    friend bool operator==(const Environment&, const Environment&) = default;
};

}  // namespace tavelin::ui
