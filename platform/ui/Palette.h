#pragma once

// The colours and measures that the platform would supply and this layer chooses itself, each with
// its reason. Views ask for them by colour scheme.

#include "platform/ui/Color.h"

namespace tavelin::ui {

// Drawings are made for a Retina screen unless the screen says otherwise.
inline constexpr double kDefaultRenderScale = 2;

// The regular material is a frosted sheet over whatever lies behind the panel. Nothing is blurred here,
// so it is filled with the sheet's mean colour: near white in light, near black in dark, and
// translucent enough (0.85) that a desktop still shows through the PNG when it is composited.
inline constexpr Color kRegularMaterialLight = Color::white(0.96, 0.85);
inline constexpr Color kRegularMaterialDark = Color::white(0.15, 0.85);

// The platform's default accent colour (its blue), used until the user's choice is known.
inline constexpr Color kDefaultAccentColor = {0.0, 0.478, 1.0, 1.0};

// Label colours: the primary style is almost opaque, the secondary one (hints, unavailable content)
// about half as strong, so that it reads as subordinate in both schemes.
inline constexpr Color kPrimaryLabelLight = Color::black(0.85);
inline constexpr Color kPrimaryLabelDark = Color::white(1.0, 0.85);
inline constexpr Color kSecondaryLabelLight = Color::black(0.50);
inline constexpr Color kSecondaryLabelDark = Color::white(1.0, 0.55);

// The scroll indicator is an overlay knob at the trailing edge: 6 points wide, 2 points in from the
// edge, never shorter than 20 points so that it can be seen in a tall list; half-strong label colour.
inline constexpr double kScrollIndicatorWidth = 6;
inline constexpr double kScrollIndicatorInset = 2;
inline constexpr double kScrollIndicatorMinLength = 20;
inline constexpr Color kScrollIndicatorLight = Color::black(0.35);
inline constexpr Color kScrollIndicatorDark = Color::white(1.0, 0.40);

// The padding that a view takes when it asks for the standard padding: the platform's usual margin
// between content and the edge of its container.
inline constexpr double kStandardPadding = 16;

Color resolve(Material material, ColorScheme scheme);
Color resolve(const Fill& fill, ColorScheme scheme);
Color primaryLabelColor(ColorScheme scheme);
Color secondaryLabelColor(ColorScheme scheme);
Color scrollIndicatorColor(ColorScheme scheme);

}  // namespace tavelin::ui
