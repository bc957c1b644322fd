#pragma once

// In-process AppleScript on the simulated Mac. It understands what the program sends System Events,
//
//     tell application "System Events" to key code 124 using {control down, shift down}
//
// (the braces optional; the words "control down", "shift down", "option down" and "command down"),
// and presses that key with those modifiers through the input stream: the modifiers go down, the key
// goes down and up, the modifiers come up. Any other script fails with an error. The user may refuse
// the program the automation of System Events: the script then fails with that error. Making a script
// fails only when a test says so. Every make and execution is recorded in the world's call trace
// ("AppleScript.make <source>", "AppleScript.execute"). Main thread.

#include <optional>
#include <string>

#include "platform/AppleScript.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimInputStream.h"

namespace tavelin::sim {

class SimAppleScripts final : public AppleScripts {
  public:
    static constexpr std::string_view kNotAuthorized =
        "Not authorized to send Apple events to System Events.";

    SimAppleScripts(SimInputStream& input, SimCallTrace& trace) : input_(input), trace_(trace) {}

    std::unique_ptr<AppleScript> make(std::string source) override;

    // --- The world's side ---

    void setMakeFails(bool fails) { makeFails_ = fails; }
    // None: allowed; otherwise scripts to System Events fail with this error text.
    void setSystemEventsRefusal(std::optional<std::string> error) { refusal_ = std::move(error); }

  private:
    class Script;
    std::optional<std::string> run(const std::string& source);

    SimInputStream& input_;
    SimCallTrace& trace_;
    bool makeFails_ = false;
    std::optional<std::string> refusal_;
};

}  // namespace tavelin::sim
