#pragma once

// The simulated Mac's table of symbolic hot keys, the system's own shortcuts by number, each with the
// user's setting (on or off) and its key (key code and modifier mask, as the preference file holds
// them): 1 and 2 Command-Tab and Command-Shift-Tab, 6 and 7 Command-` and Command-Shift-`, 79 and 80
// "move left a Space", 81 and 82 "move right a Space". By default 79 and 81 are on with the left and
// right arrows and the mask 0x840000 (Control, plus the function bit the arrow keys carry), and 80 and
// 82 are off.
//
// The program switches shortcuts off and on for the session through the private call (setEnabled); the
// system turns them back to the user's settings when the Dock relaunches or the Mac wakes
// (restoreAll). The user's settings live in the preference file
// "Library/Preferences/com.apple.symbolichotkeys.plist" of the home folder, written as a binary
// property list by atomic rename whenever they change. Every request is recorded in the world's call
// trace. Main thread.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/InputEvent.h"
#include "platform/PlistFile.h"
#include "platform/SymbolicHotKeys.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

struct SimSymbolicHotKey {
    bool enabled = true;
    std::int64_t keyCode = 0;
    std::uint64_t modifiers = 0;  // event-flag bits
    friend bool operator==(const SimSymbolicHotKey&, const SimSymbolicHotKey&) = default;
};

class SimSymbolicHotKeys final : public SymbolicHotKeys {
  public:
    static constexpr std::uint32_t kMoveLeftASpace = 79;
    static constexpr std::uint32_t kMoveLeftASpaceAlternate = 80;
    static constexpr std::uint32_t kMoveRightASpace = 81;
    static constexpr std::uint32_t kMoveRightASpaceAlternate = 82;
    static constexpr std::string_view kPreferencesFile =
        "Library/Preferences/com.apple.symbolichotkeys.plist";

    SimSymbolicHotKeys(SimCallTrace& trace, SequenceChecker mainThread);

    bool lookUpSetEnabled() override;
    void setEnabled(std::uint32_t hotKey, bool enabled) override;

    // --- The world's side ---

    // On for the session: as the program last set it, else the user's setting; a number without a
    // setting is on.
    bool isEnabled(std::uint32_t hotKey) const;
    // A system without the private call.
    void setAvailable(bool available) { available_ = available; }
    // The session's changes are dropped (the Dock relaunched, the Mac woke).
    void restoreAll() { session_.clear(); }

    std::optional<SimSymbolicHotKey> hotKey(std::uint32_t number) const;
    // The user changes a shortcut; the preference file follows.
    std::expected<void, PlistError> setHotKey(std::uint32_t number, SimSymbolicHotKey hotKey);
    // Where the preference file is kept from now on; it is written at once.
    std::expected<void, PlistError> setHomeFolder(const std::filesystem::path& homeFolder);

    // The "move a Space" shortcut (79 to 82) that a key press presses: on, the same key code, and the
    // same Control, Shift, Option and Command bits (other bits do not count).
    std::optional<std::uint32_t> spaceShortcut(const InputEvent& event) const;

  private:
    std::expected<void, PlistError> writePreferences() const;

    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    bool available_ = true;
    std::map<std::uint32_t, SimSymbolicHotKey> table_;
    std::map<std::uint32_t, bool> session_;
    std::optional<std::filesystem::path> file_;
};

}  // namespace tavelin::sim
