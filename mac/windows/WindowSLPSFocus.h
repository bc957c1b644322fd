#pragma once

// Makes one window the key window of its application and brings the application to the front, by the
// window's number alone, so that it also serves windows the application offers no Accessibility element
// for. Through the window server's private process calls: the front process is set with the window
// named, then two make-key event records are posted to the process. Either road succeeding is success.
//
// The process is the window's owner in the window server's list, else the one the caller names. Each
// step writes an "SLPS ..." line to the window-actions log. Stateless; the caller's thread (the main
// thread in window activation).

#include <cstdint>

#include "mac/windows/WindowPlatform.h"

namespace tavelin {

class WindowSLPSFocus {
  public:
    // Asks the process manager to bring the window's own window to the front with the process.
    static constexpr std::uint32_t kFrontProcessOptions = 0x200;

    explicit WindowSLPSFocus(const WindowPlatform& platform) : platform_(platform) {}

    // False when no process has the owner's ID (nothing is posted then), or when both roads failed.
    bool focusWindow(std::uint32_t cgWindowID, std::int32_t pid) const;
    // Posts the record of type 1, then that of type 2 whatever the first gave; true when both were taken.
    bool postMakeKeyWindowEvents(const ProcessSerialNumber& psn, std::uint32_t cgWindowID) const;

    // 248 bytes, all 0 but: 0x04 = 0xF8, 0x08 = the type, 0x20 to 0x2F = 0xFF, 0x3A = 0x10, and the
    // window number at 0x3C, least significant byte first.
    static EventRecord makeKeyWindowRecord(std::uint8_t type, std::uint32_t cgWindowID);

  private:
    WindowPlatform platform_;
};

}  // namespace tavelin
