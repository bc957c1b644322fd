#include <gtest/gtest.h>

#include <sstream>

#include "mac/settings/TriggerSettings.h"

namespace tavelin {
namespace {

TEST(TriggerSettings, EveryCharacterOfTheLayoutTableHasItsKeyCode) {
    // Character and code pairs of the ANSI layout, as the platform publishes them.
    std::istringstream table(
        "a0 s1 d2 f3 h4 g5 z6 x7 c8 v9 b11 q12 w13 e14 r15 y16 t17 118 219 320 421 622 523 =24 925 726 -27 "
        "828 029 "
        "]30 o31 u32 [33 i34 p35 l37 j38 '39 k40 ;41 \\42 ,43 /44 n45 m46 .47");
    int count = 0;
    for (std::string entry; table >> entry; ++count) {
        const auto code = static_cast<std::uint32_t>(std::stoul(entry.substr(1)));
        EXPECT_EQ(keyCodeForKeyName(entry.substr(0, 1)), code) << entry;
    }
    EXPECT_EQ(count, 46);
}

TEST(TriggerSettings, KeyNamesAreTrimmedLowerCasedAndFallBackToTab) {
    const std::pair<std::string_view, std::uint32_t> cases[] = {
        {" TAB \n", 48},
        {"`", 50},
        {"Grave", 50},
        {"left", 123},
        {"\u2190", 123},
        {"Right", 124},
        {"\u2192", 124},
        {"UP", 126},
        {"\u2191", 126},
        {"down", 125},
        {"\u2193", 125},
        {"Space", 49},
        {"escape", 53},
        {"ESC", 53},
        {"eSc", 53},
        {"A", 0},
        {"/", 44},
        {"\t/\t", 44},
        {"\u00A0x\u3000", 7},
        {"\u212A", 40},  // the Kelvin sign lower-cases to k
        {"F1", 48},
        {"", 48},
        {"   ", 48},
        {"\u00DF", 48},
        {"return", 48},
        {"tabs", 48},
        {"a b", 48},
        {"\xFF", 48},
        {"GRAVE ", 50},
        {"\u00E9", 48},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(keyCodeForKeyName(name), code) << '"' << name << '"';
}

TEST(TriggerSettings, OnlyCommandWithTabOrGraveReplacesTheSystemSwitcher) {
    struct Case {
        TriggerModifiers modifiers;
        std::string_view key;
        bool commandTab;
        bool commandGrave;
    };
    const Case cases[] = {
        {TriggerModifiers::command, "tab", true, false},
        {TriggerModifiers::command, "F1", true, false},  // F1 is no key of the table, so it is Tab
        {TriggerModifiers::command, "grave", false, true},
        {TriggerModifiers::command, "`", false, true},
        {TriggerModifiers::command, "x", false, false},
        {TriggerModifiers::optionCommand, "tab", false, false},
        {TriggerModifiers::optionCommand, "grave", false, false},
        {TriggerModifiers::option, "tab", false, false},
        {TriggerModifiers::control, "grave", false, false},
        {TriggerModifiers::controlOption, "tab", false, false},
    };
    for (const auto& c : cases) {
        const auto code = keyCodeForKeyName(c.key);
        EXPECT_EQ(replacesSystemCommandTab(c.modifiers, code), c.commandTab)
            << toString(c.modifiers) << "+" << c.key;
        EXPECT_EQ(replacesSystemCommandGrave(c.modifiers, code), c.commandGrave)
            << toString(c.modifiers) << "+" << c.key;
    }
}

TEST(TriggerSettings, OnlyPressesAndReleasesOfTheTriggerButtonMatch) {
    const auto event = [](std::uint32_t type, std::int64_t button) {
        return MouseEvent{static_cast<EventType>(type), button};
    };
    struct Case {
        TriggerMouseButton button;
        MouseEvent event;
        bool matches;
    };
    const Case cases[] = {
        {TriggerMouseButton::middle, event(25, 2), true},
        {TriggerMouseButton::middle, event(26, 2), true},
        {TriggerMouseButton::middle, event(25, 3), false},
        {TriggerMouseButton::middle, event(22, 2), false},
        {TriggerMouseButton::middle, event(27, 2), false},
        {TriggerMouseButton::middle, event(5, 2), false},
        {TriggerMouseButton::middle, event(0, 2), false},
        {TriggerMouseButton::middle, event(200, 2), false},
        {TriggerMouseButton::middle, event(1, 2), true},
        {TriggerMouseButton::button4, event(2, 3), true},
        {TriggerMouseButton::button4, event(3, 3), true},
        {TriggerMouseButton::button4, event(25, 4), false},
        {TriggerMouseButton::button5, event(4, 4), true},
        {TriggerMouseButton::button5, event(26, 4), true},
        {TriggerMouseButton::button5, event(26, 5), false},
        {TriggerMouseButton::none, event(25, 2), false},
        {TriggerMouseButton::none, event(25, 0), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mouseButtonMatches(c.button, c.event), c.matches)
            << toString(c.button) << " type " << static_cast<std::uint32_t>(c.event.type) << " button "
            << c.event.buttonNumber;
    }
}

TEST(TriggerSettings, EnumerationsReadOnlyTheirExactTexts) {
    EXPECT_EQ(enumFromString<TriggerModifiers>("controlOption"), TriggerModifiers::controlOption);
    EXPECT_EQ(enumFromString<TriggerModifiers>("Option"), std::nullopt);
    EXPECT_EQ(enumFromString<TriggerModifiers>("alt"), std::nullopt);
    EXPECT_EQ(enumFromString<TriggerMouseButton>("button5"), TriggerMouseButton::button5);
    EXPECT_EQ(enumFromString<TriggerMouseButton>("Middle"), std::nullopt);
}

}  // namespace
}  // namespace tavelin
