#include <gtest/gtest.h>

#include "platform/KeyboardLayout.h"
#include "platform/TextView.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

constexpr std::int64_t kA = 0, kN = 45, kI = 34, kH = 4, kO = 31;
constexpr std::int64_t kReturn = 36, kSpace = 49, kDelete = 51, kEscape = 53, kLeft = 123, kF5 = 96;

InputEvent key(std::int64_t keyCode, std::uint64_t flags = 0) {
    InputEvent event{.type = EventType::keyDown, .flags = flags, .keyCode = keyCode};
    translateKeyEvent(event, std::make_shared<USKeyboardLayout>());
    return event;
}

TEST(USKeyboardLayoutTest, ModifiersChangeTheTextAsOnAMac) {
    const USKeyboardLayout us;
    struct Case {
        std::int64_t keyCode;
        std::uint64_t flags;
        std::string characters;
        std::string ignoringModifiers;
    };
    for (const auto& c : std::vector<Case>{
             {kA, 0, "a", "a"},
             {kA, kEventFlagShift, "A", "A"},
             {kA, kEventFlagControl, "\x01", "a"},  // a control code, the letter without it
             {kA, kEventFlagOption, "å", "a"},      // above U+007E
             {kA, kEventFlagCommand, "a", "a"},
             {18, kEventFlagShift, "!", "!"},
             {kSpace, kEventFlagOption, " ", " "},
             {kLeft, 0, "\uF702", "\uF702"},
             {kF5, kEventFlagOption, "\uF708", "\uF708"},
             {102, 0, "", ""},
         }) {
        EXPECT_EQ(us.characters(c.keyCode, c.flags), c.characters) << c.keyCode << " " << c.flags;
        EXPECT_EQ(us.charactersIgnoringModifiers(c.keyCode, c.flags), c.ignoringModifiers) << c.keyCode;
    }
}

TEST(InputEventTest, ACopyWithOtherFlagsIsTranslatedAnewAndNeedsTheLowLevelRecord) {
    const auto optionA = key(kA, kEventFlagOption);
    ASSERT_EQ(optionA.characters, "å");
    const auto plain = optionA.copyWithFlags(0);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->flags, 0u);
    EXPECT_EQ(plain->characters, "a");

    InputEvent bare{.type = EventType::keyDown, .flags = kEventFlagOption, .keyCode = kA};
    EXPECT_FALSE(bare.copyWithFlags(0));
}

class SimTextInputTest : public ::testing::Test {
  protected:
    SimTextInputTest() { scheduler.runUntilIdle(); }

    void type(std::int64_t keyCode, std::uint64_t flags = 0) { view.keyDown(key(keyCode, flags)); }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    SimMac mac{Desktop{}, home.path(), scheduler, log};
    TextView view{Rect{12, 440, 300, 20}, mac.textInput()};
};

TEST_F(SimTextInputTest, TheKeyBindingsInsertPrintableTextAndTurnOtherKeysIntoCommands) {
    type(kA, kEventFlagShift);
    type(kA, kEventFlagOption);
    EXPECT_EQ(view.string(), "Aå");
    type(kA, kEventFlagCommand);  // a chord: no text
    type(kF5);
    type(kEscape);
    EXPECT_EQ(view.string(), "Aå");
    type(kDelete);
    EXPECT_EQ(view.string(), "A");
    EXPECT_FALSE(view.hasMarkedText());
}

TEST_F(SimTextInputTest, DeletionAndRangesCountUtf16UnitsAndWholeGraphemeClusters) {
    view.setString("a🇯🇵e\u0301");
    EXPECT_EQ(view.selectedRange(), (TextRange{0, 0}));
    view.setSelectedRange(TextRange{100, 0});
    EXPECT_EQ(view.selectedRange(), (TextRange{7, 0}));  // a, two surrogate pairs, e, the accent
    view.deleteBackward();
    EXPECT_EQ(view.string(), "a🇯🇵");
    view.deleteBackward();
    EXPECT_EQ(view.string(), "a");
}

TEST_F(SimTextInputTest, TheInputMethodMarksLettersCommitsTheirConversionAndCancelsOnEscape) {
    mac.textInput().scriptConversion("nihon", "日本");
    type(104);  // Kana: the input method comes on
    ASSERT_TRUE(mac.textInput().inputMethodOn());
    EXPECT_EQ(mac.textInput().currentKeyboardInputSource()->languages, std::vector<std::string>{"ja"});

    for (auto code : {kN, kI, kH, kO, kN}) type(code);
    EXPECT_EQ(view.string(), "nihon");
    EXPECT_EQ(view.markedRange(), (TextRange{0, 5}));
    EXPECT_EQ(mac.textInput().candidateWindow(), (Rect{12, 440, 300, 20}));
    type(kSpace);
    EXPECT_EQ(view.string(), "日本");
    EXPECT_FALSE(view.hasMarkedText());
    EXPECT_EQ(view.selectedRange(), (TextRange{2, 0}));

    type(kA);
    type(kEscape);
    EXPECT_EQ(view.string(), "日本");
    EXPECT_FALSE(view.hasMarkedText());

    type(kA);
    type(kReturn);  // unscripted: the letters themselves
    EXPECT_EQ(view.string(), "日本a");

    type(102);  // Eisu: off again, the key bindings type
    EXPECT_FALSE(mac.textInput().inputMethodOn());
    type(kA);
    EXPECT_EQ(view.string(), "日本aa");
    EXPECT_FALSE(view.hasMarkedText());
}

// A panel's first responder that keeps what reaches it.
class KeyRecorder final : public Responder {
  public:
    void keyDown(const InputEvent& event) override { keys.push_back(event); }
    std::vector<InputEvent> keys;
};

TEST_F(SimTextInputTest, AKeyTheMonitorsPassReachesTheKeyPanelsFirstResponderAndAConsumedOneDoesNot) {
    mac.workspace().activate(mac.workspace().process(mac.host().mainBundle().identifier)->processIdentifier);
    auto panel = mac.appWindows().makePanel(PanelConfiguration{Rect{100, 100, 720, 480}});
    panel->makeKeyAndOrderFront();
    KeyRecorder recorder;
    panel->makeFirstResponder(&recorder);
    mac.input().addLocalMonitor(eventMaskBit(EventType::keyDown), [](const InputEvent& event) {
        return event.keyCode == kEscape ? std::nullopt : std::optional(event);
    });

    mac.input().keyDown(kEscape);
    mac.input().keyDown(kA);
    mac.input().moveMouse(Point{150, 130});
    mac.input().mouseDown(0);
    scheduler.runUntilIdle();

    ASSERT_EQ(recorder.keys.size(), 1u);
    EXPECT_EQ(recorder.keys[0].characters, "a");
    const auto& last = mac.input().applicationDeliveries().back();
    EXPECT_EQ(last.event.windowNumber, panel->windowNumber());
    EXPECT_EQ(last.event.locationInWindow, (Point{50, 30}));
    EXPECT_EQ(last.application, mac.host().mainBundle().identifier);
}

}  // namespace
}  // namespace tavelin::sim
