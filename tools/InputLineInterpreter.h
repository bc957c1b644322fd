#pragma once

// The lines a person types into the tavelin program, one class for the program and its tests. Key
// lines enter the simulated Mac's one input stream as a keyboard would, so the event tap, the hot key,
// the monitors and the search field see what they see in use:
//     down MOD, up MOD     a modifier pressed or released (option, command, control, shift)
//     tab                  Tab pressed and released, with the modifiers held
//     key NAME             a named key pressed and released (return, escape, left, right, up, down,
//                          space, delete, tab, or one character of the keyboard)
//     type TEXT            one key press per character of TEXT, by the US layout, with the modifiers
//                          held (Shift pressed around a capital when it is not held); each key comes
//                          on a main-queue turn after what the one before set off, as when a person
//                          types, and the lines after it wait for the last one
//     wait SECONDS         the lines after it run that much later
// "show" opens the switcher's panel from the status item and prints it, "help" lists the lines; every
// other line is a world command (see WorldCommands.h). A line that is refused (a key line that does not
// parse, an unknown command, one the world cannot carry out) changes nothing and gives one "error: ..."
// report line. Input echoed back has its control characters escaped.
// The lines after a key line wait until what its keys set off has run; then `keysHandled` is told (the
// program prints its report there, so each key line gets its own lines).
//
// Main thread.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Scheduler.h"

namespace tavelin {

namespace sim {
class SimMac;
}
class TavelinApplication;

class InputLineInterpreter {
  public:
    using Print = std::function<void(const std::string& line)>;

    // `report` takes the report lines and the errors (standard output in the program), `message` the
    // world commands' replies and the help (standard error).
    InputLineInterpreter(sim::SimMac& mac, Scheduler& scheduler, TavelinApplication& application, Print report,
                         Print message, std::function<void()> keysHandled = {});
    InputLineInterpreter(const InputLineInterpreter&) = delete;
    InputLineInterpreter& operator=(const InputLineInterpreter&) = delete;
    ~InputLineInterpreter() { resume_.cancel(); }

    // Runs the line now, or once the waits before it have passed.
    void take(std::string line);

    // A character as the US layout types it: its key and whether Shift makes it.
    struct Stroke {
        std::int64_t keyCode = 0;
        bool shift = false;
    };

  private:
    void run(const std::string& line);
    // False when the line is no key line; a key line that does not parse reports its error.
    bool runKeyLine(std::string_view line);
    void show();
    // The one form of a refused line.
    void refuse(const std::string& why);
    // The lines taken from now on run after the duration.
    void hold(Duration duration);
    void resume();
    // Presses the stroke at the index, and the next one once it has been handled.
    void typeFrom(std::vector<Stroke> strokes, std::size_t index);
    // Holds the lines after it until the keys just entered have been handled, then runs `next`.
    void afterKeysHandled(std::function<void()> next);

    sim::SimMac& mac_;
    Scheduler& scheduler_;
    TavelinApplication& application_;
    Print report_;
    Print message_;
    std::function<void()> keysHandled_;
    std::deque<std::string> held_;  // lines behind a wait
    bool waiting_ = false;
    WorkItem resume_;
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace tavelin
