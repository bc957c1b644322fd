#include "platform/sim/SimSymbolicHotKeys.h"

namespace tavelin::sim {
namespace {

constexpr std::int64_t kTab = 48;
constexpr std::int64_t kGrave = 50;
constexpr std::int64_t kLeftArrow = 123;
constexpr std::int64_t kRightArrow = 124;
// The arrow keys carry the function-key bit.
constexpr std::uint64_t kFunctionFlag = 0x800000;
constexpr std::uint64_t kModifierBits =
    kEventFlagControl | kEventFlagShift | kEventFlagOption | kEventFlagCommand;
// The character parameter of a shortcut that types none.
constexpr std::int64_t kNoCharacter = 65535;

}  // namespace

SimSymbolicHotKeys::SimSymbolicHotKeys(SimCallTrace& trace, SequenceChecker mainThread)
    : trace_(trace),
      mainThread_(mainThread),
      table_{
          {1, {true, kTab, kEventFlagCommand}},
          {2, {true, kTab, kEventFlagCommand | kEventFlagShift}},
          {6, {true, kGrave, kEventFlagCommand}},
          {7, {true, kGrave, kEventFlagCommand | kEventFlagShift}},
          {kMoveLeftASpace, {true, kLeftArrow, kEventFlagControl | kFunctionFlag}},
          {kMoveLeftASpaceAlternate,
           {false, kLeftArrow, kEventFlagControl | kEventFlagShift | kFunctionFlag}},
          {kMoveRightASpace, {true, kRightArrow, kEventFlagControl | kFunctionFlag}},
          {kMoveRightASpaceAlternate,
           {false, kRightArrow, kEventFlagControl | kEventFlagShift | kFunctionFlag}},
      } {}

bool SimSymbolicHotKeys::lookUpSetEnabled() {
    mainThread_.check();
    trace_.record("SymbolicHotKeys.lookUp");
    return available_;
}

void SimSymbolicHotKeys::setEnabled(std::uint32_t hotKey, bool enabled) {
    mainThread_.check();
    trace_.record("SymbolicHotKeys.setEnabled " + std::to_string(hotKey) + (enabled ? " on" : " off"));
    session_[hotKey] = enabled;
}

bool SimSymbolicHotKeys::isEnabled(std::uint32_t hotKey) const {
    if (const auto session = session_.find(hotKey); session != session_.end()) return session->second;
    const auto setting = table_.find(hotKey);
    return setting == table_.end() || setting->second.enabled;
}

std::optional<SimSymbolicHotKey> SimSymbolicHotKeys::hotKey(std::uint32_t number) const {
    const auto found = table_.find(number);
    return found == table_.end() ? std::nullopt : std::optional(found->second);
}

std::expected<void, PlistError> SimSymbolicHotKeys::setHotKey(std::uint32_t number,
                                                              SimSymbolicHotKey hotKey) {
    table_[number] = hotKey;
    return writePreferences();
}

std::expected<void, PlistError> SimSymbolicHotKeys::setHomeFolder(const std::filesystem::path& homeFolder) {
    file_ = homeFolder / kPreferencesFile;
    return writePreferences();
}

std::optional<std::uint32_t> SimSymbolicHotKeys::spaceShortcut(const InputEvent& event) const {
    if (!event.isKey()) return std::nullopt;
    for (const auto number :
         {kMoveLeftASpace, kMoveLeftASpaceAlternate, kMoveRightASpace, kMoveRightASpaceAlternate}) {
        const auto& key = table_.at(number);
        if (isEnabled(number) && key.keyCode == event.keyCode &&
            (key.modifiers & kModifierBits) == (event.flags & kModifierBits)) {
            return number;
        }
    }
    return std::nullopt;
}

std::expected<void, PlistError> SimSymbolicHotKeys::writePreferences() const {
    if (!file_) return {};
    PlistDict hotKeys;
    for (const auto& [number, key] : table_) {
        hotKeys.set(std::to_string(number),
                    PlistDict{{"enabled", key.enabled},
                              {"value",
                               PlistDict{{"parameters", PlistArray{kNoCharacter, key.keyCode, key.modifiers}},
                                         {"type", "standard"}}}});
    }
    return writePlistFile(*file_, PlistDict{{"AppleSymbolicHotKeys", std::move(hotKeys)}},
                          PlistFormat::binary);
}

}  // namespace tavelin::sim
