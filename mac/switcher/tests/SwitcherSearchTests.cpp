#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/tests/SwitcherInputWorld.h"

namespace tavelin {
namespace {

constexpr std::int64_t kA = 0, kN = 45, kI = 34, kH = 4, kO = 31;
constexpr std::int64_t kReturn = 36, kTab = 48, kSpace = 49, kDelete = 51, kEscape = 53, kLeft = 123,
                       kF5 = 96;

class SwitcherSearchTest : public SwitcherInputWorld {};

TEST_F(SwitcherSearchTest, TheSurfaceFollowsThePointerTheFocusedWindowAndTheMainText) {
    openAnchored();
    pointAway();
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::main);

    showWindows("Safari", {"Inbox", "News"});
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::main);
    pointAtMiddleOf(menu().popover->windowFrame());
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::windows);
    switcher().appendSearchText("n");
    EXPECT_EQ(switcher().windowsFilterText.value(), "n");

    // Once the main text holds something it wins over the pointer, but not over a focused window.
    pointAway();
    switcher().appendSearchText("a");
    EXPECT_EQ(switcher().filterText.value(), "a");
    showWindows("Safari", {"Inbox", "News"});
    pointAtMiddleOf(menu().popover->windowFrame());
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::main);
    menu().enterWindowFocusFromTop();
    pointAway();
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::windows);

    switcher().setFilterText("");
    showDownloads({"alpha.txt", "beta.txt"});
    pointAtMiddleOf(folder().popover->windowFrame());
    EXPECT_EQ(switcher().searchSurfaceUnderMouse(), Surface::folder);
    switcher().appendSearchText("b");
    EXPECT_EQ(switcher().folderFilterText.value(), "b");
    EXPECT_EQ(switcher().folderFocusIndex(), 0);
    switcher().appendSearchText("zz");
    EXPECT_EQ(switcher().folderFocusIndex(), std::nullopt);
}

TEST_F(SwitcherSearchTest, SearchCharactersTakeTheLetterOfAControlChordAndNothingThatIsNoText) {
    const auto characters = [](std::int64_t code, std::uint64_t flags = 0) {
        return SwitcherController::searchCharacters(key(code, flags));
    };
    EXPECT_EQ(characters(kA, kEventFlagControl), "a");
    EXPECT_EQ(characters(kA, kEventFlagOption), "å");
    EXPECT_EQ(characters(kA, kEventFlagShift), "A");
    for (const auto code :
         {kReturn, kTab, kSpace, kDelete, kEscape, kLeft, kF5, std::int64_t{102}, std::int64_t{104}})
        EXPECT_EQ(characters(code), std::nullopt) << code;
    InputEvent accented{.type = EventType::keyDown, .keyCode = 14};
    accented.characters = "é";
    accented.charactersIgnoringModifiers = "e";
    EXPECT_EQ(SwitcherController::searchCharacters(accented), "é");
}

TEST_F(SwitcherSearchTest, TheKeyRouteFollowsCommandKeysTheTriggerCompositionAndTheInputMethod) {
    // Holding and releasing the trigger below must neither confirm nor close.
    settings_.afterRelease = AfterReleaseMode::search;
    openAnchored();
    pointAway();
    auto& field = *switcher().searchField();
    auto& input = mac_.textInput();
    struct Case {
        const char* name;
        std::int64_t code;
        std::uint64_t flags;
        bool inputMethod;
        bool composing;
        bool triggerHeld;
        Route route;
    };
    const Case cases[] = {
        {"letter", kA, 0, false, false, false, Route::searchField},
        {"command letter", kA, kEventFlagCommand, true, true, false, Route::panel},
        {"letter, trigger held", kA, 0, false, false, true, Route::panel},
        {"letter, trigger held, input method", kA, 0, true, false, true, Route::searchField},
        {"arrow", kLeft, 0, false, false, false, Route::panel},
        {"arrow composing", kLeft, 0, true, true, false, Route::searchField},
        {"return composing", kReturn, 0, true, true, false, Route::searchField},
        {"escape", kEscape, 0, true, false, false, Route::panel},
        {"tab composing", kTab, 0, true, true, false, Route::panel},
        {"kana", 104, 0, false, false, true, Route::searchField},
        {"delete", kDelete, 0, true, false, false, Route::panel},
        {"delete composing", kDelete, 0, true, true, false, Route::searchField},
        {"space", kSpace, 0, false, false, false, Route::panel},
        {"space, input method, empty search", kSpace, 0, true, false, false, Route::panel},
        {"F5", kF5, 0, false, false, false, Route::panel},
        {"F5, input method", kF5, 0, true, false, false, Route::searchField},
    };
    for (const auto& c : cases) {
        input.selectInputSource(c.inputMethod ? sim::SimTextInput::japaneseInputMode()
                                              : sim::SimTextInput::abcLayout());
        field.imeSession = c.composing;
        hold(c.triggerHeld ? kEventFlagOption : 0);
        if (!c.triggerHeld) mac_.input().releaseModifiers(kEventFlagOption);
        scheduler_.runUntilIdle();
        EXPECT_EQ(switcher().searchKeyRoute(key(c.code, c.flags)), c.route) << c.name;
    }
    // With an input method, Space goes to the field once there is text to convert.
    field.imeSession = false;
    input.selectInputSource(sim::SimTextInput::japaneseInputMode());
    switcher().setFilterText("k");
    EXPECT_EQ(switcher().searchKeyRoute(key(kSpace)), Route::searchField);
    // A Japanese keyboard layout counts as an input method too.
    input.selectInputSource(TextInputSource{TextInputSource::Type::keyboardLayout, {"en", "ja"}});
    EXPECT_EQ(switcher().searchKeyRoute(key(kSpace)), Route::searchField);
}

TEST_F(SwitcherSearchTest, DeletionTakesOneGraphemeClusterAndReportsAnEmptyText) {
    openAnchored();
    pointAway();
    switcher().setFilterText("ae\u0301🇯🇵");
    EXPECT_TRUE(switcher().deleteSearchCharacter());
    EXPECT_EQ(switcher().filterText.value(), "ae\u0301");
    EXPECT_TRUE(switcher().deleteSearchCharacter());
    EXPECT_EQ(switcher().filterText.value(), "a");
    EXPECT_TRUE(switcher().deleteSearchCharacter());
    EXPECT_FALSE(switcher().deleteSearchCharacter());
}

// No windows list opens over the search either: the keyboard dwell pending when it began is cancelled.
TEST_F(SwitcherSearchTest, TheFirstCharacterOfASearchClosesTheWindowListsAndVoidsTheirFetchAndDwell) {
    openAnchored();
    switcher().selectPath(*pathTitled("Safari"));
    showWindows("Safari", {"Inbox"});
    auto& windowPopover = switcher().windowPopover().popover;
    windowPopover = mac_.appWindows().makePopover();
    windowPopover->show(Rect{100, 100, 10, 10}, switcher().panel()->window());
    switcher().scheduleSelectionDwellOverlay();
    pointAway();
    const auto epoch = switcher().windowsFetchEpoch;
    const auto tick = switcher().uiTick.value();
    switcher().appendSearchText("s");
    EXPECT_FALSE(menu().isShown());
    EXPECT_FALSE(switcher().windowPopover().isShown());
    EXPECT_EQ(switcher().windowsFetchEpoch, epoch + 1);
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);
    EXPECT_EQ(switcher().navigator.value()->options().filterText, "s");
    switcher().appendSearchText("a");
    EXPECT_EQ(switcher().windowsFetchEpoch, epoch + 1);
    // Every assignment is handled, an unchanged one too; the other texts only on a change.
    switcher().setFilterText("sa");
    EXPECT_EQ(switcher().uiTick.value(), tick + 3);
    scheduler_.advance(std::chrono::milliseconds(500));
    EXPECT_FALSE(menu().isShown());
    EXPECT_FALSE(folder().isShown());
}

TEST_F(SwitcherSearchTest, FieldReportsWithinOneTurnApplyTheLastTextToItsSurface) {
    openAnchored();
    showWindows("Safari", {"Inbox", "News"});
    pointAway();
    switcher().noteSearchFieldText("i");
    pointAtMiddleOf(menu().popover->windowFrame());
    switcher().noteSearchFieldText("in");
    EXPECT_EQ(switcher().windowsFilterText.value(), "");
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().windowsFilterText.value(), "in");
    EXPECT_EQ(switcher().filterText.value(), "");

    // An empty report while the field still holds text is not the user clearing it.
    switcher().searchField()->setString("in");
    switcher().noteSearchFieldText("");
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().windowsFilterText.value(), "in");
}

TEST_F(SwitcherSearchTest, TypedAndComposedTextReachesTheSearchThroughTheHiddenField) {
    mac_.workspace().activate(
        mac_.workspace().process(mac_.host().mainBundle().identifier)->processIdentifier);
    openAnchored();
    pointAway();
    ASSERT_EQ(lastPanel().firstResponder, switcher().searchField().get());
    const auto type = [&](std::int64_t code) {
        mac_.input().keyDown(code);
        scheduler_.runUntilIdle();
    };

    type(kA);  // plain: the key bindings insert, the field reports
    EXPECT_EQ(switcher().filterText.value(), "a");
    type(kSpace);  // never a search character, never inserted
    EXPECT_EQ(switcher().filterText.value(), "a");

    mac_.textInput().scriptConversion("nihon", "日本");
    type(104);
    for (const auto code : {kN, kI, kH, kO, kN}) type(code);
    EXPECT_EQ(switcher().filterText.value(), "anihon");
    EXPECT_TRUE(switcher().searchField()->hasMarkedText());
    // The candidates show in a 240-point strip centred 6 points below the panel's top edge.
    const Rect panel = panelFrame();
    EXPECT_EQ(mac_.textInput().candidateWindow(),
              (Rect{panel.x + panel.width / 2 - 120, panel.maxY() - 6, 240, 22}));
    type(kSpace);
    EXPECT_EQ(switcher().filterText.value(), "a日本");
    EXPECT_EQ(switcher().searchField()->selectedRange(), (TextRange{3, 0}));

    type(kDelete);
    EXPECT_EQ(switcher().filterText.value(), "a日");

    // The input method's session lasts until it unmarks: with the Option trigger held, a letter still
    // goes to the field, without the trigger's Option.
    type(102);
    hold(kEventFlagOption);
    type(kA);
    EXPECT_EQ(switcher().filterText.value(), "a日a");
}

TEST_F(SwitcherSearchTest, TheFieldRefusesWhitespaceJisAndFunctionKeysAndHandsAnEmptyDeleteOn) {
    openAnchored();
    auto& field = *switcher().searchField();
    std::vector<std::string> published;
    int deletes = 0;
    std::vector<std::string> plain;
    field.onTextChange = [&](const std::string& text) { published.push_back(text); };
    field.onDelete = [&] { ++deletes; };
    field.onPlainInsert = [&](const std::string& text) { plain.push_back(text); };

    field.insertText(" \n\t", TextRange{});
    EXPECT_EQ(field.string(), "");
    // The JIS keys type nothing, nor do the function keys' private-use characters (F5, the arrows).
    for (const auto code : {std::int64_t{102}, std::int64_t{104}, std::int64_t{102}, kF5, kLeft})
        field.keyDown(key(code));
    EXPECT_EQ(field.string(), "");
    EXPECT_TRUE(plain.empty());
    field.keyDown(key(kDelete));
    EXPECT_EQ(deletes, 1);
    EXPECT_TRUE(published.empty());

    // A chord changes nothing in the field: its plain letter goes to the search instead.
    field.keyDown(key(kA, kEventFlagControl));
    EXPECT_EQ(plain, std::vector<std::string>{"a"});

    field.setMarkedText("か", TextRange{1, 0}, TextRange{});
    EXPECT_TRUE(field.imeSession);
    EXPECT_EQ(published.back(), "か");
    field.keyDown(key(kDelete));  // composing: the field deletes, not the search
    EXPECT_EQ(deletes, 1);
    field.keyDown(key(kDelete));  // emptied: the composition is over and the search deletes
    EXPECT_FALSE(field.imeSession);
    EXPECT_EQ(deletes, 2);
}

TEST_F(SwitcherSearchTest, AComposingSearchRefitsThePanelButKeepsItsOrigin) {
    openAnchored();
    const Rect before = panelFrame();
    switcher().searchField()->setMarkedText("saf", TextRange{3, 0}, TextRange{});
    switcher().panelIconSize = SwitcherController::maxPanelIconSize;
    switcher().syncPanelLayoutToSelection();  // as the folder search does when its hits arrive
    const Rect composing = panelFrame();
    ASSERT_GT(composing.width, before.width) << "refitted to the larger icons";
    EXPECT_EQ(composing.x, before.x);
    EXPECT_EQ(composing.y, before.y);
}

}  // namespace
}  // namespace tavelin
