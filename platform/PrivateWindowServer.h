#pragma once

// The window server's private calls for Spaces, process focus and key windows, shaped as the window
// services use them, plus two public facts about displays that only the Spaces code asks for: a
// display's UUID and whether displays have separate Spaces. Every private call takes the connection
// from WindowServerConnection::mainConnectionID() first.
//
// Spaces are named by their managed ID (unsigned 64-bit; 0 is no Space), windows by their window number,
// displays by a display identifier: the display's UUID text, or "Main" for the one set of Spaces that
// all screens share when displays have no separate Spaces. Results are the window server's status
// codes: 0 is success, anything else a refusal. Any thread.

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace tavelin {

using ConnectionID = std::int32_t;
using SpaceID = std::uint64_t;

// A process as the process manager names it.
struct ProcessSerialNumber {
    std::uint32_t highLongOfPSN = 0;
    std::uint32_t lowLongOfPSN = 0;
    friend bool operator==(const ProcessSerialNumber&, const ProcessSerialNumber&) = default;
};

// The synthetic event record posted to a process.
inline constexpr std::size_t kEventRecordSize = 248;
using EventRecord = std::array<std::uint8_t, kEventRecordSize>;

class PrivateWindowServer {
  public:
    virtual ~PrivateWindowServer() = default;

    // --- Spaces ---

    // An array with one dictionary per display: "Display Identifier", "Current Space" and "Spaces"; none
    // when the window server does not answer. Callers check every type.
    virtual std::optional<PlistValue> copyManagedDisplaySpaces(ConnectionID connection) = 0;
    // The Spaces of the windows, as an array of numbers; `mask` chooses which kinds of Space count.
    virtual std::optional<PlistValue> copySpacesForWindows(ConnectionID connection, std::int32_t mask,
                                                           std::span<const std::uint32_t> windows) = 0;
    // 0 when the display is unknown.
    virtual SpaceID managedDisplayGetCurrentSpace(ConnectionID connection, std::string_view display) = 0;
    // Answers at once; the display shows the Space after its switch animation.
    virtual std::int32_t managedDisplaySetCurrentSpace(ConnectionID connection, std::string_view display,
                                                       SpaceID space) = 0;
    virtual std::optional<std::string> copyManagedDisplayForSpace(ConnectionID connection, SpaceID space) = 0;
    // The Space of the display that holds the menu bar.
    virtual SpaceID getActiveSpace(ConnectionID connection) = 0;
    virtual std::int32_t moveWindowsToManagedSpace(ConnectionID connection,
                                                   std::span<const std::uint32_t> windows, SpaceID space) = 0;
    // Tags a Space with a workspace number (0 clears it), which setWindowListWorkspace then names.
    virtual std::int32_t spaceSetCompatID(ConnectionID connection, SpaceID space, std::int32_t compatID) = 0;
    virtual std::int32_t setWindowListWorkspace(ConnectionID connection, const std::uint32_t* windows,
                                                std::int32_t count, std::int32_t workspace) = 0;

    // --- Processes and key windows ---

    // The process manager's error code when no process has that ID.
    virtual std::expected<ProcessSerialNumber, std::int32_t> getProcessForPID(
        std::int32_t processIdentifier) = 0;
    virtual std::int32_t setFrontProcessWithOptions(const ProcessSerialNumber& process, std::uint32_t window,
                                                    std::uint32_t options) = 0;
    virtual std::int32_t postEventRecordTo(const ProcessSerialNumber& process, const EventRecord& record) = 0;

    // --- Displays ---

    // The UUID text of a display ID ("NSScreenNumber"), upper case as the system writes it; none when the
    // system knows no such display.
    virtual std::optional<std::string> displayUUID(std::uint32_t screenNumber) = 0;
    virtual bool screensHaveSeparateSpaces() = 0;
};

}  // namespace tavelin
