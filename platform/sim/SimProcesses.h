#pragma once

// Tools on the simulated Mac. Only "/usr/bin/osascript" is there: its "-e" source runs on the
// simulated AppleScript engine, exiting with 0 when the script ran and 1 when it failed. Tests make a
// tool unstartable or give the status it exits with. Every run is recorded; nothing runs a real
// process. Main thread.

#include <map>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/AppleScript.h"

namespace tavelin::sim {

inline constexpr std::string_view kOsascriptPath = "/usr/bin/osascript";

class SimProcesses final : public Processes {
  public:
    struct Run {
        std::filesystem::path tool;
        std::vector<std::string> arguments;
        friend bool operator==(const Run&, const Run&) = default;
    };

    explicit SimProcesses(AppleScripts& scripts) : scripts_(scripts) {}

    std::expected<int, ProcessError> runAndWait(const std::filesystem::path& tool,
                                                std::vector<std::string> arguments) override;

    // --- The world's side ---

    const std::vector<Run>& runs() const { return runs_; }
    void setUnstartable(bool unstartable) { unstartable_ = unstartable; }
    // The tool exits with this status whatever it did; none: its own.
    void setExitStatus(std::optional<int> status) { exitStatus_ = status; }

  private:
    int osascript(const std::vector<std::string>& arguments);

    AppleScripts& scripts_;
    std::vector<Run> runs_;
    bool unstartable_ = false;
    std::optional<int> exitStatus_;
};

}  // namespace tavelin::sim
