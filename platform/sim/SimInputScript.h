#pragma once

// Input written down as a person types it, each step at its time in seconds from when the script is
// played, on the world's clock:
//
//     0.00 press Option, 0.05 Tab down, 0.08 Tab up, 0.15 release Option
//
// Steps are separated by commas or line breaks; words are not case-sensitive. A step is one of:
//   press MODIFIERS, release MODIFIERS   Option, Command, Control, Shift, joined by "+": a modifier change
//   KEY down, KEY up, KEY                KEY is Tab, Return, Enter, Escape, Space, Delete, Left, Right, Up,
//                                        Down or one character of the US layout ("H", "`"); KEY alone is
//                                        a down and an up at the same time
//   button N down, button N up           mouse button N (0 left, 1 right, 2 middle, 3 and 4 the others)
//   wheel N                              one wheel notch of N lines (negative: towards the next cell)
//   move X Y                             the pointer to the screen point (X, Y)
// Each step happens at its stamp as SimInputStream says: the hardware state changes then, and the event
// travels on the main run loop. Stamps need not be in order; two steps at one stamp happen in the order
// written.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/sim/SimInputStream.h"
#include "runtime/Clock.h"

namespace tavelin::sim {

class SimInputScript {
  public:
    enum class Action { press, release, keyDown, keyUp, buttonDown, buttonUp, wheel, move };
    struct Step {
        Duration at{};
        Action action = Action::keyDown;
        std::int64_t value = 0;   // key code, button number or wheel lines
        std::uint64_t flags = 0;  // the modifiers pressed or released
        Point point;
        friend bool operator==(const Step&, const Step&) = default;
    };

    // A step that cannot be read is an error naming it: `step 2 "0.05 Tab sideways": unknown action`.
    static std::expected<SimInputScript, std::string> parse(std::string_view text);

    // Schedules every step at its stamp from now; those at 0 happen at once.
    void play(SimInputStream& input) const;

    const std::vector<Step>& steps() const { return steps_; }

  private:
    std::vector<Step> steps_;
};

}  // namespace tavelin::sim
