#pragma once

// The simulated Mac's AppleScript engine. It runs scripts of one "tell" block to one application,
// named by its name (tell application "Finder") or its bundle identifier (tell application id "..."),
// starting the application when it does not run, as AppleScript does. Inside the block it knows:
//   activate                        the application comes to the front
//   empty trash                     (the Finder) removes every entry of the Trash folder on disk,
//                                   without following symbolic links
//   make new window                 the application shows a new window ("Untitled")
//   if (count of windows) = 0 then  ... end if, over the application's windows in the window world
// Anything else fails to run, as an application that does not understand it. Every source made and
// every one run is recorded; tests make making or running fail per target (the name or bundle
// identifier as the script writes it). Main thread.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/AppleScript.h"
#include "platform/UserFolders.h"
#include "platform/sim/SimWindowWorld.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimAppleScript final : public AppleScripting {
  public:
    SimAppleScript(SimWorkspace& workspace, SimWindowWorld& windows, const UserFolders& folders)
        : workspace_(workspace), windows_(windows), folders_(folders) {}

    std::optional<AppleScript> makeScript(std::string source) override;
    std::expected<void, AppleScriptError> execute(const AppleScript& script) override;

    // --- The world's side ---

    const std::vector<std::string>& madeSources() const { return made_; }
    const std::vector<std::string>& executedSources() const { return executed_; }
    // Scripts to this target cannot be made, or fail to run with the error.
    void setMakeFails(std::string target, bool fails = true);
    void setExecutionError(std::string target, std::optional<AppleScriptError> error);

  private:
    struct Tell {
        std::string target;
        bool byBundleIdentifier = false;
        std::vector<std::string> body;  // trimmed lines between "tell" and "end tell"
    };

    static std::optional<Tell> parse(const std::string& source);
    std::expected<void, AppleScriptError> run(const Tell& tell);
    std::expected<void, AppleScriptError> command(const Tell& tell, std::int32_t processIdentifier,
                                                  const std::string& line);

    SimWorkspace& workspace_;
    SimWindowWorld& windows_;
    const UserFolders& folders_;
    std::vector<std::string> made_;
    std::vector<std::string> executed_;
    std::set<std::string, std::less<>> makeFails_;
    std::map<std::string, AppleScriptError, std::less<>> executionErrors_;
};

}  // namespace tavelin::sim
