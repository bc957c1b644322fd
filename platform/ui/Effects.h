#pragma once

// Effects that a view records for the platform and that this layer does not play: an animation of a
// change and a shadow. Drawings show the final state; the records let tests see what was asked.

#include <optional>
#include <string_view>

#include "platform/ui/Color.h"

namespace tavelin::ui {

enum class AnimationCurve { none, easeInOut };
std::string_view toString(AnimationCurve curve);
std::optional<AnimationCurve> animationCurveFromString(std::string_view text);

struct Animation {
    AnimationCurve curve = AnimationCurve::none;
    double duration = 0;  // seconds

    // A change that happens at once, as asked when the user prefers reduced motion.
    static constexpr Animation none() { return {}; }
    static constexpr Animation easeInOut(double duration) { return {AnimationCurve::easeInOut, duration}; }
    friend bool operator==(const Animation&, const Animation&) = default;
};

// The Mac's views cast only the clear shadow of radius 0, which draws nothing; a shadow is recorded
// and not drawn.
struct Shadow {
    Color color;
    double radius = 0;
    double x = 0;
    double y = 0;
    friend bool operator==(const Shadow&, const Shadow&) = default;
};

}  // namespace tavelin::ui
