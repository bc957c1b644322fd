#include "mac/windows/WindowSLPSFocus.h"

#include <string>

#include "mac/windows/ScreenSupport.h"
#include "mac/windows/WindowServerQueries.h"

namespace tavelin {

EventRecord WindowSLPSFocus::makeKeyWindowRecord(std::uint8_t type, std::uint32_t cgWindowID) {
    EventRecord record{};
    record[0x04] = 0xF8;
    record[0x08] = type;
    for (std::size_t i = 0x20; i <= 0x2F; ++i) record[i] = 0xFF;
    record[0x3A] = 0x10;
    // Byte by byte, whatever the machine's own byte order.
    record[0x3C] = static_cast<std::uint8_t>(cgWindowID & 0xFF);
    record[0x3D] = static_cast<std::uint8_t>((cgWindowID >> 8) & 0xFF);
    record[0x3E] = static_cast<std::uint8_t>((cgWindowID >> 16) & 0xFF);
    record[0x3F] = static_cast<std::uint8_t>((cgWindowID >> 24) & 0xFF);
    return record;
}

bool WindowSLPSFocus::focusWindow(std::uint32_t cgWindowID, std::int32_t pid) const {
    platform_.connection.mainConnectionID();
    const ScreenSupport screens(platform_.screens);
    const auto owner =
        WindowServerQueries(platform_.windowServer, screens).cgWindowOwnerPID(cgWindowID).value_or(pid);
    const auto window = std::to_string(cgWindowID);
    const auto process = platform_.privateWindowServer.getProcessForPID(owner);
    if (!process) {
        platform_.actionLog.append("SLPS GetProcessForPID failed pid=" + std::to_string(owner) +
                                   " cgID=" + window);
        return false;
    }
    const auto front =
        platform_.privateWindowServer.setFrontProcessWithOptions(*process, cgWindowID, kFrontProcessOptions);
    platform_.actionLog.append("SLPS _SLPSSetFrontProcessWithOptions cgID=" + window + " pid=" +
                               std::to_string(owner) + " option=0x200 err=" + std::to_string(front));
    const bool keyWindow = postMakeKeyWindowEvents(*process, cgWindowID);
    return front == 0 || keyWindow;
}

bool WindowSLPSFocus::postMakeKeyWindowEvents(const ProcessSerialNumber& psn,
                                              std::uint32_t cgWindowID) const {
    auto& server = platform_.privateWindowServer;
    const auto first = server.postEventRecordTo(psn, makeKeyWindowRecord(0x01, cgWindowID));
    const auto second = server.postEventRecordTo(psn, makeKeyWindowRecord(0x02, cgWindowID));
    const bool ok = first == 0 && second == 0;
    platform_.actionLog.append("SLPS makeKey cgID=" + std::to_string(cgWindowID) +
                               " ok=" + (ok ? "true" : "false"));
    return ok;
}

}  // namespace tavelin
