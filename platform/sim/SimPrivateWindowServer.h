#pragma once

// The window server's private calls on the simulated Mac, over the window world's displays, Spaces and
// windows (see SimWindowWorld.h):
//
// - The managed display Spaces look like a Mac's: one dictionary per display with "Display Identifier"
//   (the display's UUID as the world spells it, so a catalog in lower case can be had from the desktop
//   file), "Current Space" (a dictionary) and "Spaces" ("ManagedSpaceID", "id64", "type": 0 for a desktop
//   Space, 4 for a full-screen one) in row order. While displays share their Spaces the answer is one
//   display "Main" with the first display's row. A display's UUID, by contrast, comes in upper case.
// - Setting a display's current Space answers 0 and takes effect after the world's switch delay; a
//   Space of another display, or an unknown display, is refused.
// - Moves put windows on the target Space and onto its display; a window on a full-screen Space stays,
//   and the call answers an error. The workspace route moves to the Space tagged with that compat ID.
// - A process serial number exists for every running process. Making a process front activates it as
//   any activation does; two well-formed make-key records in a row (type 1, then type 2, for one of the
//   process's windows) make that window its application's key window and raise it.
//
// Every call is recorded in the world's call trace with its arguments, in order, under its platform
// name ("SLSManagedDisplaySetCurrentSpace cid=7427 display=... space=3"). A test may set any call's
// result: the call then answers that and changes nothing; the posts of one record type alone answer what
// is set for "SLPSPostEventRecordTo type=1" or "type=2". Any thread for the Spaces calls; the process
// calls on the main thread, as the workspace lives there.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/PrivateWindowServer.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimWindowWorld.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimPrivateWindowServer final : public PrivateWindowServer {
  public:
    static constexpr std::int32_t kCGErrorFailure = 1000;
    static constexpr std::int32_t kCGErrorIllegalArgument = 1001;
    static constexpr std::int32_t kProcessNotFound = -600;

    SimPrivateWindowServer(SimWindowWorld& world, SimDisplays& displays, SimWorkspace& workspace,
                           SimCallTrace& trace)
        : world_(world), displays_(displays), workspace_(workspace), trace_(trace) {}

    std::optional<PlistValue> copyManagedDisplaySpaces(ConnectionID connection) override;
    std::optional<PlistValue> copySpacesForWindows(ConnectionID connection, std::int32_t mask,
                                                   std::span<const std::uint32_t> windows) override;
    SpaceID managedDisplayGetCurrentSpace(ConnectionID connection, std::string_view display) override;
    std::int32_t managedDisplaySetCurrentSpace(ConnectionID connection, std::string_view display,
                                               SpaceID space) override;
    std::optional<std::string> copyManagedDisplayForSpace(ConnectionID connection, SpaceID space) override;
    SpaceID getActiveSpace(ConnectionID connection) override;
    std::int32_t moveWindowsToManagedSpace(ConnectionID connection, std::span<const std::uint32_t> windows,
                                           SpaceID space) override;
    std::int32_t spaceSetCompatID(ConnectionID connection, SpaceID space, std::int32_t compatID) override;
    std::int32_t setWindowListWorkspace(ConnectionID connection, const std::uint32_t* windows,
                                        std::int32_t count, std::int32_t workspace) override;
    std::expected<ProcessSerialNumber, std::int32_t> getProcessForPID(
        std::int32_t processIdentifier) override;
    std::int32_t setFrontProcessWithOptions(const ProcessSerialNumber& process, std::uint32_t window,
                                            std::uint32_t options) override;
    std::int32_t postEventRecordTo(const ProcessSerialNumber& process, const EventRecord& record) override;
    std::optional<std::string> displayUUID(std::uint32_t screenNumber) override;
    bool screensHaveSeparateSpaces() override;

    // --- The world's side ---

    // The call (by its platform name) answers this status, or this value, instead of doing its work;
    // none: the world's own answer again. A value answer of a call that gives text must be a string.
    void setResult(std::string_view call, std::optional<std::int64_t> result);
    void setAnswer(std::string_view call, std::optional<PlistValue> answer);
    void clearAnswer(std::string_view call);
    void setSeparateSpaces(bool separate);
    // The Space tagged with a compat ID; none when no Space is.
    std::optional<SpaceID> spaceWithCompatID(std::int32_t compatID) const;
    // The event records posted, in order.
    struct PostedRecord {
        ProcessSerialNumber process;
        EventRecord record{};
        friend bool operator==(const PostedRecord&, const PostedRecord&) = default;
    };
    std::vector<PostedRecord> postedRecords() const;

  private:
    std::optional<std::int64_t> result(std::string_view call) const;
    std::optional<std::optional<PlistValue>> answer(std::string_view call) const;
    // The display a display identifier names, as the answer lists it.
    std::optional<SimDisplaySpaces> displayNamed(std::string_view identifier) const;
    std::vector<std::pair<std::string, SimDisplaySpaces>> catalogDisplays() const;
    std::int32_t moveWindows(std::span<const std::uint32_t> windows, SpaceID space);
    std::optional<std::int32_t> processOf(const ProcessSerialNumber& process) const;

    SimWindowWorld& world_;
    SimDisplays& displays_;
    SimWorkspace& workspace_;
    SimCallTrace& trace_;
    // Guards what follows; never held while the world is asked.
    mutable std::mutex mutex_;
    std::map<std::string, std::int64_t, std::less<>> results_;
    std::map<std::string, std::optional<PlistValue>, std::less<>> answers_;
    std::map<SpaceID, std::int32_t> compatIDs_;
    bool separateSpaces_ = true;
    std::vector<PostedRecord> posted_;
    // The make-key record of type 1 last posted to each process, by window.
    std::map<std::int32_t, std::uint32_t> pendingKeyWindow_;
};

// A make-key record as the window server reads it: its type (1 or 2) and window, or none when any byte
// differs from the form it expects.
struct MakeKeyRecord {
    std::uint8_t type = 0;
    std::uint32_t window = 0;
    friend bool operator==(const MakeKeyRecord&, const MakeKeyRecord&) = default;
};
std::optional<MakeKeyRecord> readMakeKeyRecord(const EventRecord& record);

}  // namespace tavelin::sim
