#pragma once

// In-process AppleScript on the simulated Mac. It understands two kinds of script.
//
// What the program sends System Events,
//
//     tell application "System Events" to key code 124 using {control down, shift down}
//
// (the braces optional; the words "control down", "shift down", "option down" and "command down"),
// presses that key with those modifiers through the input stream: the modifiers go down, the key goes
// down and up, the modifiers come up.
//
// A "tell" block to one application, named by its name (tell application "Finder") or its bundle
// identifier (tell application id "..."), starts the application when it does not run, as AppleScript
// does. Inside the block it knows:
//   activate                        the application comes to the front
//   empty trash                     (the Finder) removes every entry of the Trash folder on disk,
//                                   without following symbolic links
//   make new window                 the application shows a new window ("Untitled")
//   if (count of windows) = 0 then  ... end if, over the application's windows in the window world
// Anything else fails to run, as an application that does not understand it.
//
// Errors are the error information's text, "<message> (<number>)". Tests make making or running fail
// per target (the application's name or bundle identifier as the script writes it; "System Events" for
// the key scripts, where a running failure is the user's refusal to let the program automate it). Every
// make and execution is recorded, and in the world's call trace ("AppleScript.make <source>",
// "AppleScript.execute <source>"). Main thread.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/AppleScript.h"
#include "platform/UserFolders.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimInputStream.h"
#include "platform/sim/SimWindowWorld.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimAppleScripts final : public AppleScripts {
  public:
    static constexpr std::string_view kNotAuthorized =
        "Not authorized to send Apple events to System Events. (-1743)";

    SimAppleScripts(SimInputStream& input, SimCallTrace& trace, SimWorkspace& workspace,
                    SimWindowWorld& windows, const UserFolders& folders)
        : input_(input),
          trace_(trace),
          workspace_(workspace),
          mainThread_(workspace.mainThread()),
          windows_(windows),
          folders_(folders) {}

    std::unique_ptr<AppleScript> make(std::string source) override;

    // --- The world's side ---

    const std::vector<std::string>& madeSources() const { return made_; }
    const std::vector<std::string>& executedSources() const { return executed_; }
    // Scripts to this target cannot be made, or fail to run with the error text.
    void setMakeFails(std::string target, bool fails = true);
    void setExecutionError(std::string target, std::optional<std::string> error);

  private:
    class Script;
    struct Tell {
        std::string target;
        bool byBundleIdentifier = false;
        std::vector<std::string> body;  // trimmed lines between "tell" and "end tell"
    };

    static std::optional<Tell> parseTell(const std::string& source);
    // The application a script talks to, as the script names it.
    static std::optional<std::string> target(const std::string& source);
    std::optional<std::string> run(const std::string& source);
    std::optional<std::string> run(const Tell& tell);
    std::optional<std::string> command(const Tell& tell, std::int32_t processIdentifier,
                                       const std::string& line);

    SimInputStream& input_;
    SimCallTrace& trace_;
    SimWorkspace& workspace_;
    SequenceChecker mainThread_;
    SimWindowWorld& windows_;
    const UserFolders& folders_;
    std::vector<std::string> made_;
    std::vector<std::string> executed_;
    std::set<std::string, std::less<>> makeFails_;
    std::map<std::string, std::string, std::less<>> executionErrors_;
};

}  // namespace tavelin::sim
