#include "platform/sim/SimPrivateWindowServer.h"

#include <algorithm>
#include <cctype>

namespace tavelin::sim {
namespace {

constexpr std::int64_t kDesktopSpaceType = 0;
constexpr std::int64_t kFullScreenSpaceType = 4;
constexpr std::string_view kSharedDisplay = "Main";
// Serial numbers are the process identifier above this base.
constexpr std::uint32_t kSerialNumberBase = 0x10000;

bool sameUUID(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

std::string upper(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Space IDs travel as the 64-bit pattern of the unsigned value.
PlistValue spaceNumber(SpaceID space) { return PlistValue(static_cast<std::int64_t>(space)); }

PlistDict describeSpace(SpaceID space, const SimDisplaySpaces& display) {
    const bool fullScreen =
        std::ranges::find(display.fullScreenSpaces, space) != display.fullScreenSpaces.end();
    return PlistDict{{"ManagedSpaceID", spaceNumber(space)},
                     {"id64", spaceNumber(space)},
                     {"type", fullScreen ? kFullScreenSpaceType : kDesktopSpaceType}};
}

std::string windowList(std::span<const std::uint32_t> windows) {
    std::string text = "[";
    for (std::size_t i = 0; i < windows.size(); ++i) text += (i ? "," : "") + std::to_string(windows[i]);
    return text + "]";
}

std::string connectionText(ConnectionID connection) { return " cid=" + std::to_string(connection); }

std::string serialText(const ProcessSerialNumber& process) {
    return std::to_string(process.highLongOfPSN) + ":" + std::to_string(process.lowLongOfPSN);
}

}  // namespace

std::optional<MakeKeyRecord> readMakeKeyRecord(const EventRecord& record) {
    for (std::size_t i = 0; i < record.size(); ++i) {
        const bool fixed =
            i == 0x04 || i == 0x08 || (i >= 0x20 && i <= 0x2F) || i == 0x3A || (i >= 0x3C && i <= 0x3F);
        if (!fixed && record[i] != 0) return std::nullopt;
    }
    if (record[0x04] != 0xF8 || record[0x3A] != 0x10) return std::nullopt;
    if (!std::ranges::all_of(record.begin() + 0x20, record.begin() + 0x30,
                             [](std::uint8_t b) { return b == 0xFF; })) {
        return std::nullopt;
    }
    if (record[0x08] != 1 && record[0x08] != 2) return std::nullopt;
    const std::uint32_t window = record[0x3C] | (record[0x3D] << 8) | (record[0x3E] << 16) |
                                 (static_cast<std::uint32_t>(record[0x3F]) << 24);
    return MakeKeyRecord{record[0x08], window};
}

// --- The world's side ---

void SimPrivateWindowServer::setResult(std::string_view call, std::optional<std::int64_t> result) {
    std::lock_guard lock(mutex_);
    if (result) {
        results_.insert_or_assign(std::string(call), *result);
    } else {
        results_.erase(std::string(call));
    }
}

void SimPrivateWindowServer::setAnswer(std::string_view call, std::optional<PlistValue> answer) {
    std::lock_guard lock(mutex_);
    answers_.insert_or_assign(std::string(call), std::move(answer));
}

void SimPrivateWindowServer::clearAnswer(std::string_view call) {
    std::lock_guard lock(mutex_);
    answers_.erase(std::string(call));
}

void SimPrivateWindowServer::setSeparateSpaces(bool separate) {
    std::lock_guard lock(mutex_);
    separateSpaces_ = separate;
}

std::optional<SpaceID> SimPrivateWindowServer::spaceWithCompatID(std::int32_t compatID) const {
    std::lock_guard lock(mutex_);
    const auto found =
        std::ranges::find(compatIDs_, compatID, [](const auto& entry) { return entry.second; });
    return found == compatIDs_.end() ? std::nullopt : std::optional(found->first);
}

std::vector<SimPrivateWindowServer::PostedRecord> SimPrivateWindowServer::postedRecords() const {
    std::lock_guard lock(mutex_);
    return posted_;
}

std::optional<std::int64_t> SimPrivateWindowServer::result(std::string_view call) const {
    std::lock_guard lock(mutex_);
    const auto found = results_.find(call);
    return found == results_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::optional<PlistValue>> SimPrivateWindowServer::answer(std::string_view call) const {
    std::lock_guard lock(mutex_);
    const auto found = answers_.find(call);
    if (found == answers_.end()) return std::nullopt;
    return std::optional<std::optional<PlistValue>>(found->second);
}

// --- Spaces ---

std::vector<std::pair<std::string, SimDisplaySpaces>> SimPrivateWindowServer::catalogDisplays() const {
    const auto displays = world_.displaySpaces();
    bool separate = true;
    {
        std::lock_guard lock(mutex_);
        separate = separateSpaces_;
    }
    std::vector<std::pair<std::string, SimDisplaySpaces>> named;
    if (!separate) {
        if (!displays.empty()) named.emplace_back(std::string(kSharedDisplay), displays.front());
        return named;
    }
    for (const auto& display : displays) named.emplace_back(display.uuid, display);
    return named;
}

std::optional<SimDisplaySpaces> SimPrivateWindowServer::displayNamed(std::string_view identifier) const {
    for (const auto& [name, display] : catalogDisplays()) {
        if (name == kSharedDisplay ? identifier == kSharedDisplay : sameUUID(name, identifier))
            return display;
    }
    return std::nullopt;
}

std::optional<PlistValue> SimPrivateWindowServer::copyManagedDisplaySpaces(ConnectionID connection) {
    trace_.record("SLSCopyManagedDisplaySpaces" + connectionText(connection));
    if (auto given = answer("SLSCopyManagedDisplaySpaces")) return *given;
    PlistArray list;
    for (const auto& [name, display] : catalogDisplays()) {
        PlistArray spaces;
        for (const auto space : display.spaces) spaces.emplace_back(describeSpace(space, display));
        list.emplace_back(PlistDict{{"Display Identifier", name},
                                    {"Current Space", describeSpace(display.currentSpace, display)},
                                    {"Spaces", std::move(spaces)}});
    }
    return PlistValue(std::move(list));
}

std::optional<PlistValue> SimPrivateWindowServer::copySpacesForWindows(
    ConnectionID connection, std::int32_t mask, std::span<const std::uint32_t> windows) {
    trace_.record("SLSCopySpacesForWindows" + connectionText(connection) + " mask=" + std::to_string(mask) +
                  " windows=" + windowList(windows));
    if (auto given = answer("SLSCopySpacesForWindows")) return *given;
    PlistArray spaces;
    for (const auto number : windows) {
        const auto window = world_.window(number);
        if (window && window->listed && window->space &&
            std::ranges::find(spaces, spaceNumber(*window->space)) == spaces.end()) {
            spaces.push_back(spaceNumber(*window->space));
        }
    }
    return PlistValue(std::move(spaces));
}

SpaceID SimPrivateWindowServer::managedDisplayGetCurrentSpace(ConnectionID connection,
                                                              std::string_view display) {
    trace_.record("SLSManagedDisplayGetCurrentSpace" + connectionText(connection) +
                  " display=" + std::string(display));
    if (const auto given = result("SLSManagedDisplayGetCurrentSpace")) return static_cast<SpaceID>(*given);
    const auto named = displayNamed(display);
    return named ? named->currentSpace : 0;
}

std::int32_t SimPrivateWindowServer::managedDisplaySetCurrentSpace(ConnectionID connection,
                                                                   std::string_view display, SpaceID space) {
    trace_.record("SLSManagedDisplaySetCurrentSpace" + connectionText(connection) +
                  " display=" + std::string(display) + " space=" + std::to_string(space));
    if (const auto given = result("SLSManagedDisplaySetCurrentSpace"))
        return static_cast<std::int32_t>(*given);
    const auto named = displayNamed(display);
    if (!named || std::ranges::find(named->spaces, space) == named->spaces.end())
        return kCGErrorIllegalArgument;
    return world_.switchToSpaceLater(space) ? 0 : kCGErrorFailure;
}

std::optional<std::string> SimPrivateWindowServer::copyManagedDisplayForSpace(ConnectionID connection,
                                                                              SpaceID space) {
    trace_.record("SLSCopyManagedDisplayForSpace" + connectionText(connection) +
                  " space=" + std::to_string(space));
    if (auto given = answer("SLSCopyManagedDisplayForSpace")) {
        const auto* text = *given ? (*given)->getIf<std::string>() : nullptr;
        return text ? std::optional(*text) : std::nullopt;
    }
    for (const auto& [name, display] : catalogDisplays()) {
        if (std::ranges::find(display.spaces, space) != display.spaces.end()) return name;
    }
    return std::nullopt;
}

SpaceID SimPrivateWindowServer::getActiveSpace(ConnectionID connection) {
    trace_.record("SLSGetActiveSpace" + connectionText(connection));
    if (const auto given = result("SLSGetActiveSpace")) return static_cast<SpaceID>(*given);
    const auto main = displays_.mainScreen();
    if (!main) return 0;
    for (const auto& display : world_.displaySpaces()) {
        if (display.identity == main->identity) return display.currentSpace;
    }
    return 0;
}

std::int32_t SimPrivateWindowServer::moveWindows(std::span<const std::uint32_t> windows, SpaceID space) {
    std::int32_t status = 0;
    for (const auto window : windows) {
        if (!world_.moveWindowToSpace(window, space)) status = kCGErrorFailure;
    }
    return status;
}

std::int32_t SimPrivateWindowServer::moveWindowsToManagedSpace(ConnectionID connection,
                                                               std::span<const std::uint32_t> windows,
                                                               SpaceID space) {
    trace_.record("SLSMoveWindowsToManagedSpace" + connectionText(connection) +
                  " windows=" + windowList(windows) + " space=" + std::to_string(space));
    if (const auto given = result("SLSMoveWindowsToManagedSpace")) return static_cast<std::int32_t>(*given);
    return moveWindows(windows, space);
}

std::int32_t SimPrivateWindowServer::spaceSetCompatID(ConnectionID connection, SpaceID space,
                                                      std::int32_t compatID) {
    trace_.record("SLSSpaceSetCompatID" + connectionText(connection) + " space=" + std::to_string(space) +
                  " compat=" + std::to_string(compatID));
    if (const auto given = result("SLSSpaceSetCompatID")) return static_cast<std::int32_t>(*given);
    const auto displays = world_.displaySpaces();
    const bool known = std::ranges::any_of(
        displays, [&](const auto& d) { return std::ranges::find(d.spaces, space) != d.spaces.end(); });
    if (!known) return kCGErrorIllegalArgument;
    std::lock_guard lock(mutex_);
    if (compatID == 0) {
        compatIDs_.erase(space);
    } else {
        compatIDs_[space] = compatID;
    }
    return 0;
}

std::int32_t SimPrivateWindowServer::setWindowListWorkspace(ConnectionID connection,
                                                            const std::uint32_t* windows, std::int32_t count,
                                                            std::int32_t workspace) {
    const std::span<const std::uint32_t> list(windows, count > 0 ? static_cast<std::size_t>(count) : 0);
    trace_.record("SLSSetWindowListWorkspace" + connectionText(connection) + " windows=" + windowList(list) +
                  " count=" + std::to_string(count) + " workspace=" + std::to_string(workspace));
    if (const auto given = result("SLSSetWindowListWorkspace")) return static_cast<std::int32_t>(*given);
    const auto space = spaceWithCompatID(workspace);
    if (!space) return kCGErrorIllegalArgument;
    return moveWindows(list, *space);
}

// --- Processes and key windows ---

std::optional<std::int32_t> SimPrivateWindowServer::processOf(const ProcessSerialNumber& process) const {
    if (process.highLongOfPSN != 0 || process.lowLongOfPSN <= kSerialNumberBase) return std::nullopt;
    const auto pid = static_cast<std::int32_t>(process.lowLongOfPSN - kSerialNumberBase);
    return workspace_.process(pid) ? std::optional(pid) : std::nullopt;
}

std::expected<ProcessSerialNumber, std::int32_t> SimPrivateWindowServer::getProcessForPID(
    std::int32_t processIdentifier) {
    trace_.record("GetProcessForPID pid=" + std::to_string(processIdentifier));
    if (const auto given = result("GetProcessForPID"); given && *given != 0) {
        return std::unexpected(static_cast<std::int32_t>(*given));
    }
    if (processIdentifier <= 0 || !workspace_.process(processIdentifier))
        return std::unexpected(kProcessNotFound);
    return ProcessSerialNumber{0, kSerialNumberBase + static_cast<std::uint32_t>(processIdentifier)};
}

std::int32_t SimPrivateWindowServer::setFrontProcessWithOptions(const ProcessSerialNumber& process,
                                                                std::uint32_t window, std::uint32_t options) {
    trace_.record("_SLPSSetFrontProcessWithOptions psn=" + serialText(process) +
                  " window=" + std::to_string(window) + " options=" + std::to_string(options));
    if (const auto given = result("_SLPSSetFrontProcessWithOptions"))
        return static_cast<std::int32_t>(*given);
    const auto pid = processOf(process);
    if (!pid) return kProcessNotFound;
    workspace_.activate(*pid);
    return 0;
}

std::int32_t SimPrivateWindowServer::postEventRecordTo(const ProcessSerialNumber& process,
                                                       const EventRecord& record) {
    trace_.record("SLPSPostEventRecordTo psn=" + serialText(process));
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(PostedRecord{process, record});
    }
    if (const auto given = result("SLPSPostEventRecordTo")) return static_cast<std::int32_t>(*given);
    if (const auto given = result("SLPSPostEventRecordTo type=" + std::to_string(record[0x08])))
        return static_cast<std::int32_t>(*given);
    const auto pid = processOf(process);
    if (!pid) return kProcessNotFound;
    const auto read = readMakeKeyRecord(record);
    std::optional<std::uint32_t> keyWindow;
    {
        std::lock_guard lock(mutex_);
        const auto pending = pendingKeyWindow_.find(*pid);
        if (read && read->type == 2 && pending != pendingKeyWindow_.end() &&
            pending->second == read->window) {
            keyWindow = read->window;
        }
        if (read && read->type == 1) {
            pendingKeyWindow_[*pid] = read->window;
        } else {
            pendingKeyWindow_.erase(*pid);
        }
    }
    if (!read) return kCGErrorIllegalArgument;
    if (keyWindow) {
        const auto window = world_.window(*keyWindow);
        if (window && window->ownerPID == *pid) world_.raise(*keyWindow);
    }
    return 0;
}

// --- Displays ---

std::optional<std::string> SimPrivateWindowServer::displayUUID(std::uint32_t screenNumber) {
    trace_.record("CGDisplayCreateUUIDFromDisplayID display=" + std::to_string(screenNumber));
    if (auto given = answer("CGDisplayCreateUUIDFromDisplayID")) {
        const auto* text = *given ? (*given)->getIf<std::string>() : nullptr;
        return text ? std::optional(*text) : std::nullopt;
    }
    const auto identity = displays_.identityOfNumber(screenNumber);
    if (!identity) return std::nullopt;
    for (const auto& display : world_.displaySpaces()) {
        if (display.identity == *identity) return upper(display.uuid);
    }
    return std::nullopt;
}

bool SimPrivateWindowServer::screensHaveSeparateSpaces() {
    trace_.record("NSScreen.screensHaveSeparateSpaces");
    std::lock_guard lock(mutex_);
    return separateSpaces_;
}

}  // namespace tavelin::sim
