#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "mac/windows/WindowSLPSFocus.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

std::string hex(const EventRecord& record, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02X", record[i]);
        text += byte;
    }
    return text;
}

TEST(WindowSLPSFocusRecord, MatchesTheGoldenBytes) {
    const auto first = WindowSLPSFocus::makeKeyWindowRecord(0x01, 258);
    EXPECT_EQ(hex(first, 0, 0x40),
              "00000000F8000000010000000000000000000000000000000000000000000000"
              "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00000000000000000000100002010000");
    EXPECT_EQ(hex(first, 0x40, kEventRecordSize), std::string(2 * (kEventRecordSize - 0x40), '0'));
    const auto second = WindowSLPSFocus::makeKeyWindowRecord(0x02, 0xA1B2C3D4);
    EXPECT_EQ(hex(second, 0x08, 0x09), "02");
    EXPECT_EQ(hex(second, 0x3C, 0x40), "D4C3B2A1");
}

class WindowSLPSFocusTest : public ::testing::Test, protected WindowTestWorld {
  protected:
    sim::SimPrivateWindowServer& server() { return mac->privateWindowServer(); }
    std::optional<std::int32_t> frontmost() {
        const auto front = mac->workspace().frontmostApplication();
        return front ? std::optional(front->processIdentifier) : std::nullopt;
    }
    std::vector<std::uint8_t> postedTypes() {
        std::vector<std::uint8_t> types;
        for (const auto& posted : server().postedRecords()) types.push_back(posted.record[0x08]);
        return types;
    }

    WindowSLPSFocus focus{platform()};
};

TEST_F(WindowSLPSFocusTest, FocusMakesTheWindowKeyAndItsOwnerFrontmost) {
    const auto notes = pid("com.apple.Notes");
    const auto safari = pid("com.apple.Safari");
    mac->workspace().activate(notes);
    const auto studio = number("Studio");
    ASSERT_NE(mac->windowWorld().applicationWindows(safari).front(), studio);

    // The window list's owner counts, not the process the caller named.
    ASSERT_TRUE(focus.focusWindow(studio, notes));
    EXPECT_EQ(frontmost(), safari);
    EXPECT_EQ(mac->windowWorld().applicationWindows(safari).front(), studio);
    const auto n = std::to_string(studio);
    EXPECT_THAT(actionLog.lines(), ElementsAre("SLPS _SLPSSetFrontProcessWithOptions cgID=" + n +
                                                   " pid=" + std::to_string(safari) + " option=0x200 err=0",
                                               "SLPS makeKey cgID=" + n + " ok=true"));
    EXPECT_THAT(postedTypes(), ElementsAre(1, 2));
    EXPECT_THAT(mac->calls().calls(),
                ::testing::Contains(::testing::StartsWith("_SLPSSetFrontProcessWithOptions psn=0:")));
}

TEST_F(WindowSLPSFocusTest, AWindowTheListDoesNotKnowUsesTheGivenProcess) {
    const auto notes = pid("com.apple.Notes");
    EXPECT_TRUE(focus.focusWindow(9999, notes));
    EXPECT_EQ(frontmost(), notes);
    EXPECT_EQ(actionLog.lines().front(), "SLPS _SLPSSetFrontProcessWithOptions cgID=9999 pid=" +
                                             std::to_string(notes) + " option=0x200 err=0");

    actionLog.clear();
    EXPECT_FALSE(focus.focusWindow(9999, 4242));
    EXPECT_THAT(actionLog.lines(), ElementsAre("SLPS GetProcessForPID failed pid=4242 cgID=9999"));
    EXPECT_EQ(server().postedRecords().size(), 2u);  // nothing more was posted
}

TEST_F(WindowSLPSFocusTest, EitherRoadIsEnough) {
    const auto window = number("Front");
    const auto n = std::to_string(window);
    const auto safari = std::to_string(pid("com.apple.Safari"));

    server().setResult("_SLPSSetFrontProcessWithOptions", -600);
    EXPECT_TRUE(focus.focusWindow(window, 0));
    // One refused record of the two is enough to fail the key-window road.
    server().setResult("_SLPSSetFrontProcessWithOptions", std::nullopt);
    server().setResult("SLPSPostEventRecordTo type=2", 1000);
    EXPECT_TRUE(focus.focusWindow(window, 0));
    server().setResult("SLPSPostEventRecordTo type=2", std::nullopt);
    server().setResult("SLPSPostEventRecordTo type=1", 1000);
    server().setResult("_SLPSSetFrontProcessWithOptions", -600);
    EXPECT_FALSE(focus.focusWindow(window, 0));
    EXPECT_THAT(
        actionLog.lines(),
        ElementsAre(
            "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + safari + " option=0x200 err=-600",
            "SLPS makeKey cgID=" + n + " ok=true",
            "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + safari + " option=0x200 err=0",
            "SLPS makeKey cgID=" + n + " ok=false",
            "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + safari + " option=0x200 err=-600",
            "SLPS makeKey cgID=" + n + " ok=false"));
    // The second record goes out also after the first was refused.
    EXPECT_THAT(postedTypes(), ElementsAre(1, 2, 1, 2, 1, 2));
}

TEST_F(WindowSLPSFocusTest, OnlyBothRecordsInTurnMakeAKeyWindow) {
    const auto safari = pid("com.apple.Safari");
    const auto studio = number("Studio");
    const auto psn = *server().getProcessForPID(safari);
    const auto keyWindow = [&] { return mac->windowWorld().applicationWindows(safari).front(); };
    const auto before = keyWindow();

    EXPECT_EQ(server().postEventRecordTo(psn, WindowSLPSFocus::makeKeyWindowRecord(2, studio)), 0);
    EXPECT_EQ(keyWindow(), before);
    auto damaged = WindowSLPSFocus::makeKeyWindowRecord(2, studio);
    damaged[0x3B] = 1;
    EXPECT_EQ(server().postEventRecordTo(psn, WindowSLPSFocus::makeKeyWindowRecord(1, studio)), 0);
    EXPECT_NE(server().postEventRecordTo(psn, damaged), 0);
    EXPECT_EQ(keyWindow(), before);

    EXPECT_TRUE(focus.postMakeKeyWindowEvents(psn, studio));
    EXPECT_EQ(keyWindow(), studio);
}

}  // namespace
}  // namespace tavelin
