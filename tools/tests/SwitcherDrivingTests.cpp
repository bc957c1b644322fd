// The switcher driven as the tavelin program drives it: lines through the program's interpreter into
// the simulated input stream, the report lines and the panel's pictures out, on virtual time over the
// example desktop.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mac/app/tests/AppWorld.h"
#include "platform/ImageCoding.h"
#include "tools/InputLineInterpreter.h"
#include "tools/PanelPictureWriter.h"
#include "tools/SwitcherReport.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

sim::Desktop exampleDesktop() {
    auto desktop = sim::loadDesktopFile(std::filesystem::path(TAVELIN_EXAMPLES_DIR) / "desktop.json");
    EXPECT_TRUE(desktop.has_value());
    return desktop.value_or(sim::Desktop{});
}

class SwitcherDrivingTest : public AppWorld {
  protected:
    SwitcherDrivingTest() : AppWorld(exampleDesktop()) {
        // No first-run window: Safari stays the active application.
        defaults().set(kOnboardingCompletedVersionKey, PlistValue(std::int64_t{1}));
        launch();
        scheduler_.advance(kAfterStart);
        report_.emplace(mac(), scheduler_, [this](const std::string& line) { lines_.push_back(line); });
        report_->follow(switcher());
        pictures_.emplace(switcher(), scheduler_, mac().displays(), picture_,
                          [this](const std::string& line) { lines_.push_back(line); });
    }

    SwitcherController& switcher() { return *delegate().switcher(); }

    // Each line taken as the program takes it, then time moves on.
    void type(std::initializer_list<std::string> lines, Duration after = 1s) {
        for (const auto& line : lines) interpreter_.take(line);
        scheduler_.advance(after);
    }
    // The report lines that start with one of the words, and forgets every line so far.
    std::vector<std::string> take(std::initializer_list<std::string_view> words) {
        std::vector<std::string> selected;
        for (const auto& line : lines_) {
            if (std::ranges::any_of(words, [&](std::string_view word) { return line.starts_with(word); }))
                selected.push_back(line);
        }
        lines_.clear();
        return selected;
    }
    // The keys that reached applications since the last call: key code and characters, with the
    // modifiers they carried.
    std::vector<std::string> keysDelivered() {
        std::vector<std::string> keys;
        const auto& deliveries = mac().input().applicationDeliveries();
        for (; delivered_ < deliveries.size(); ++delivered_) {
            const auto& event = deliveries[delivered_].event;
            if (event.type != EventType::keyDown) continue;
            keys.push_back(std::to_string(event.keyCode) + " " + event.characters.value_or("") +
                           ((event.flags & kEventFlagOption) != 0 ? " option" : "") +
                           ((event.flags & kEventFlagShift) != 0 ? " shift" : ""));
        }
        return keys;
    }
    std::expected<Bitmap, ImageError> picture() {
        std::ifstream in(picture_, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        return decodePNG(bytes);
    }
    std::string frontmost() {
        const auto front = mac().workspace().frontmostApplication();
        return front ? front->bundleIdentifier.value_or("") : "";
    }

    TemporaryFolder scratch_;
    const std::filesystem::path picture_ = scratch_ / "panel.png";
    std::vector<std::string> lines_;
    std::vector<std::string> messages_;
    std::size_t delivered_ = mac().input().applicationDeliveries().size();
    std::optional<SwitcherReport> report_;
    std::optional<PanelPictureWriter> pictures_;
    InputLineInterpreter interpreter_{mac(), scheduler_, application(),
                                      [this](const std::string& line) { lines_.push_back(line); },
                                      [this](const std::string& line) { messages_.push_back(line); },
                                      [this] { report_->flush(); }};
};

// Without the trigger's session the keys reach the frontmost application, as the keyboard made them.
TEST_F(SwitcherDrivingTest, KeyLinesEnterTheInputStreamWithTheModifiersHeld) {
    ASSERT_EQ(frontmost(), "com.apple.Safari");
    type({"down shift", "tab", "key a", "up shift", "key return", "type aB 1"});
    EXPECT_THAT(keysDelivered(), ElementsAre("48 \x19 shift", "0 A shift", "36 \r",
                                             // A capital presses Shift around its key only.
                                             "0 a", "11 B shift", "49  ", "18 1"));
    EXPECT_EQ(mac().input().modifierFlags(), 0u);
    // The layout derives the characters from the key and the flags held.
    type({"down option", "type s", "up option"});
    EXPECT_THAT(keysDelivered(), ElementsAre("1 ß option"));
}

TEST_F(SwitcherDrivingTest, LinesThatDoNotParseChangeNothingAndTheNextOnesRun) {
    type({"down hyper", "up option+", "key f13", "key button 1 down", "type naïve", "wait soon", "wait -1",
          "down shift"});
    EXPECT_THAT(take({"error: "}),
                ElementsAre("error: no modifier \"hyper\" (option, command, control, shift)",
                            "error: no modifier \"option+\" (option, command, control, shift)",
                            "error: no key \"f13\" (return, escape, left, right, up, down, space, delete, tab, or a letter)",
                            // A mouse button is no key.
                            "error: no key \"button 1 down\" (return, escape, left, right, up, down, space, delete, tab, or a letter)",
                            "error: \"naïve\" holds a character that is not on the keyboard; nothing was typed",
                            "error: wait needs a number of seconds, not \"soon\"",
                            "error: wait needs a number of seconds, not \"-1\""));
    EXPECT_THAT(keysDelivered(), IsEmpty());
    EXPECT_EQ(mac().input().pressedMouseButtons(), 0u);
    // Only the last line did something.
    EXPECT_EQ(mac().input().modifierFlags(), kEventFlagShift);
    EXPECT_THAT(messages_, IsEmpty());
}

TEST_F(SwitcherDrivingTest, AWaitHoldsTheLinesAfterItForItsTime) {
    type({"down shift", "wait 0.5", "up shift", "launch com.apple.Notes"}, 400ms);
    EXPECT_EQ(mac().input().modifierFlags(), kEventFlagShift);
    EXPECT_THAT(messages_, IsEmpty());
    // A line taken meanwhile waits its turn behind them.
    type({"hide com.apple.Notes"}, 200ms);
    EXPECT_EQ(mac().input().modifierFlags(), 0u);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_THAT(messages_[0], HasSubstr("launched com.apple.Notes"));
    EXPECT_EQ(messages_[1], "hid com.apple.Notes");
}

// Typed letters reach the panel's search one turn after another, so none is lost to the search
// field's once-a-turn report; the panel's pictures follow, drawn at the screen's scale.
TEST_F(SwitcherDrivingTest, TypingIntoTheOpenPanelSearchesAndEachChangeIsDrawn) {
    type({"show"});
    EXPECT_THAT(take({"panel:", "selected:", "search:"}),
                ElementsAre("panel: open on screen 1, 1040x124", "selected: Mail at 0.2"));
    const auto plain = picture();
    ASSERT_TRUE(plain.has_value());

    type({"type saf"});
    const auto lines = take({"search:", "selected:", "picture:"});
    EXPECT_THAT(std::vector(lines.begin(), lines.begin() + 3),
                ElementsAre("search: \"s\"", "selected: Notes at 0.1", "picture: " + picture_.string() + " 1072x248"));
    EXPECT_EQ(switcher().filterText.value(), "saf");
    ASSERT_FALSE(lines.empty());
    // The last picture is the panel as it stands now, at twice its size in points.
    const Rect frame = switcher().panel()->window().frame();
    EXPECT_EQ(lines.back(), "picture: " + picture_.string() + " " + std::to_string(int(frame.width * 2)) + "x" +
                                std::to_string(int(frame.height * 2)));
    const auto searched = picture();
    ASSERT_TRUE(searched.has_value());
    EXPECT_EQ(searched->width, int(frame.width * 2));
    EXPECT_EQ(searched->height, int(frame.height * 2));
    // The search badge's dark grey text on its white pill at the middle of the top edge, which the plain
    // panel does not have there (a dark icon may be).
    const auto badgeTextPixels = [](const Bitmap& bitmap) {
        const auto white = [&](int x, int y) {
            const Rgba p = bitmap.pixel(x, y);
            return p.a > 200 && std::min({p.r, p.g, p.b}) > 250;
        };
        int count = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = bitmap.width / 2 - 80; x < bitmap.width / 2 + 80; ++x) {
                const Rgba p = bitmap.pixel(x, y);
                const int spread = std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
                if (p.a <= 200 || p.r >= 90 || spread >= 12) continue;
                bool left = false, right = false;
                for (int step = 1; step <= 10; ++step) left = left || white(x - step, y), right = right || white(x + step, y);
                if (left && right) ++count;
            }
        }
        return count;
    };
    EXPECT_EQ(badgeTextPixels(*plain), 0);
    EXPECT_GT(badgeTextPixels(*searched), 40);

    // Closed: reported, and no picture drawn over the last one.
    type({"key escape"});
    EXPECT_THAT(take({"panel:", "picture:"}), ElementsAre("panel: closed"));
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(picture()->width, searched->width);
}

TEST_F(SwitcherDrivingTest, APictureThatCannotBeWrittenIsAnErrorAndTheProgramGoesOn) {
    // A file where its folder should be.
    std::ofstream(scratch_ / "file") << "x";
    pictures_.emplace(switcher(), scheduler_, mac().displays(), scratch_ / "file" / "panel.png",
                      [this](const std::string& line) { lines_.push_back(line); });
    type({"show", "key right"});
    const auto lines = take({"error:", "selected:"});
    EXPECT_THAT(lines, testing::Contains(testing::StartsWith("error: the panel's picture could not be written to " +
                                                             (scratch_ / "file" / "panel.png").string() + ": ")));
    // The key after it still ran.
    EXPECT_THAT(lines, testing::Contains("selected: Notes at 0.3"));
}

// What the world is asked, from its call record, by bundle identifier; the report asks nothing itself.
TEST_F(SwitcherDrivingTest, TheWorldsCallsAreReportedOnTheNextTurn) {
    const auto mail = mac().workspace().process("com.apple.mail")->processIdentifier;
    mac().workspace().activate(mail, 0);
    ASSERT_TRUE(mac().workspace().hide(*mac().workspace().process("com.apple.Terminal")));
    mac().workspaceActions().activateFileViewerSelectingURLs({"/Users/me/a.txt"});
    EXPECT_THAT(take({"world:"}), IsEmpty());
    scheduler_.runUntilIdle();
    EXPECT_THAT(take({"world:"}), ElementsAre("world: activate com.apple.mail", "world: hide com.apple.Terminal",
                                              "world: reveal /Users/me/a.txt"));
    scheduler_.advance(1s);
    EXPECT_THAT(take({"world:"}), IsEmpty());
}

// Option-Tab typed as lines: the panel opens through the event tap on the entry after the active
// application (Safari), the second Tab steps once more, and a release within 0.3 s of the showing
// keeps the panel open.
TEST_F(SwitcherDrivingTest, OptionTabOpensThePanelAndAQuickReleaseKeepsIt) {
    type({"down option", "tab", "tab", "wait 0.1", "up option"});
    EXPECT_THAT(take({"panel:", "selected:", "search:"}),
                ElementsAre("panel: open on screen 1, 1040x124", "selected: Mail at 0.2", "selected: Notes at 0.3"));
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_TRUE(switcher().autoModePanelRetained);
    EXPECT_EQ(mac().input().modifierFlags(), 0u);
}

// Notes running with one window on the built-in screen, and the pointer on the second screen, where the
// panel then opens; Safari stays in front.
class SwitcherHandOffTest : public SwitcherDrivingTest {
  protected:
    SwitcherHandOffTest() {
        type({"launch com.apple.Notes"});
        notes_ = mac().workspace().process("com.apple.Notes")->processIdentifier;
        window_ = mac().windowWorld().addWindow(
            sim::SimWindow{.ownerPID = notes_, .name = "Shopping", .bounds = Rect{200, 200, 600, 400}});
        mac().displays().setMouseLocation(Point{2000, 700});
        scheduler_.advance(1s);
        lines_.clear();
    }
    // Notes' key window (its first) lies on the second screen and shows.
    void expectNotesKeyWindowOnTheSecondScreen() {
        const auto windows = mac().windowWorld().applicationWindows(notes_);
        ASSERT_FALSE(windows.empty());
        EXPECT_EQ(windows.front(), window_);
        const auto state = mac().windowWorld().state(window_);
        const Rect second = mac().displays().screens()[1].frame;
        EXPECT_TRUE(state->onScreen);
        EXPECT_GE(state->window.bounds.x, second.x);
        EXPECT_LE(state->window.bounds.x + state->window.bounds.width, second.x + second.width);
    }
    std::vector<std::string> handOffLines() {
        return {"panel: closed", "world: activate com.apple.Notes", "world: activate com.apple.Notes",
                "world: activate window " + std::to_string(window_) + " of com.apple.Notes", "world: raise a window"};
    }

    std::int32_t notes_ = 0;
    sim::SimWindowKey window_ = 0;
};

// Held over two Tabs for longer than 0.3 s, the release confirms the entry two places after Safari: Notes
// comes to the front with its window brought to the screen the panel stood on.
TEST_F(SwitcherHandOffTest, OptionTabTabHeldAndReleasedActivatesOnThePanelsScreen) {
    type({"down option", "tab", "tab", "wait 0.5", "up option"}, 3s);
    EXPECT_EQ(frontmost(), "com.apple.Notes");
    expectNotesKeyWindowOnTheSecondScreen();
    EXPECT_FALSE(switcher().isOpen());
    const auto picture = "picture: " + picture_.string() + " 2080x248";
    auto expected = std::vector<std::string>{"panel: open on screen 2, 1040x124", "selected: Mail at 0.2", picture,
                                             "selected: Notes at 0.3", picture};
    for (auto& line : handOffLines()) expected.push_back(line);
    EXPECT_EQ(take({"panel:", "selected:", "search:", "world:", "picture:", "error:"}), expected);
}

// Released within 0.3 s the panel stays; Return confirms then.
TEST_F(SwitcherHandOffTest, AQuickReleaseKeepsThePanelAndReturnActivates) {
    type({"down option", "tab", "tab", "wait 0.1", "up option"}, 2s);
    EXPECT_TRUE(switcher().isOpen());
    EXPECT_EQ(frontmost(), "jp.fenwold.lomaret");
    EXPECT_THAT(take({"panel:", "selected:", "world:"}),
                ElementsAre("panel: open on screen 2, 1040x124", "selected: Mail at 0.2", "selected: Notes at 0.3"));
    type({"key return"}, 3s);
    EXPECT_EQ(frontmost(), "com.apple.Notes");
    expectNotesKeyWindowOnTheSecondScreen();
    EXPECT_EQ(take({"panel:", "world:"}), handOffLines());
}

// Typed into the kept panel, "saf" leaves Safari; its picture is the searched panel; Return activates it.
TEST_F(SwitcherHandOffTest, TypingIntoTheKeptPanelFindsSafari) {
    type({"down option", "tab", "wait 0.1", "up option", "type saf"});
    EXPECT_EQ(switcher().filterText.value(), "saf");
    const Rect frame = switcher().panel()->window().frame();
    const auto searched = picture();
    ASSERT_TRUE(searched.has_value());
    EXPECT_EQ(searched->width, int(frame.width * 2));
    EXPECT_EQ(searched->height, int(frame.height * 2));
    type({"key return"}, 3s);
    EXPECT_EQ(frontmost(), "com.apple.Safari");
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_THAT(take({"world:"}), testing::Contains("world: activate com.apple.Safari"));
}

// The example desktop grants what the walk-through needs.
TEST_F(SwitcherDrivingTest, TheExampleGrantsAccessibilityAndScreenRecording) {
    sim::SimMac fresh(exampleDesktop(), scratch_.path(), scheduler_, log_);
    EXPECT_TRUE(fresh.accessibility().isProcessTrusted());
    EXPECT_TRUE(fresh.privacy().screenCaptureGranted());
    EXPECT_GE(fresh.displays().screens().size(), 2u);
}

}  // namespace
}  // namespace tavelin
