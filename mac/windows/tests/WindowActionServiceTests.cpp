#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/tests/WindowActionWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

// A web app of a Chromium-family browser runs with one window, "Inbox".
void addWebApp(sim::Desktop& desktop) {
    desktop.applications.push_back(
        {"com.google.Chrome.app.mail", "Mail (web)", "/Applications/Mail (web).app", true});
    desktop.windows.push_back({"com.google.Chrome.app.mail", "Inbox", {300, 150, 600, 400}});
}

class WindowActionServiceTest : public ::testing::Test, protected WindowActionWorld {
  protected:
    WindowActionServiceTest() : WindowActionWorld(addWebApp) {}

    // The window's element is gone, and back after `backAfter` when that is given.
    void withoutElement(std::string title, std::optional<Duration> backAfter = std::nullopt) {
        editWindow(title, [](sim::SimWindow& w) { w.ax.accessible = false; });
        if (!backAfter) return;
        mac->windowWorld().after(*backAfter, [this, title] {
            editWindow(title, [](sim::SimWindow& w) { w.ax.accessible = true; });
        });
    }
    std::string label(std::string_view title) { return std::to_string(number(title)) + ":" + std::string(title); }
    static CommandResultPayload notFound() { return CommandResultPayload::failure(ProtocolError::notFound()); }

    DockItem webApp = appItem("com.google.Chrome.app.mail");
};

TEST_F(WindowActionServiceTest, ValidationEndsAtTheFirstFailingCheckWithItsLine) {
    // Untrusted, with no list and no expected generation: the permission is checked before the cache.
    mac->accessibility().setProcessTrusted(false);
    Command close{.kind = CommandKind::windowClose, .windowID = WindowID("42")};
    EXPECT_EQ(perform(close, notes, true), CommandResultPayload::failure(ProtocolError::permissionDenied("accessibility")));
    EXPECT_EQ(stamped.lines(), (std::vector<std::string>{"remote command kind=windowClose window=42",
                                                         "perform early return permissionDenied kind=windowClose"}));
    // Any other kind is refused before anything else is asked.
    stamped.entries.clear();
    EXPECT_EQ(perform(Command{.kind = CommandKind::quitApp}, notes, true), notFound());
    EXPECT_EQ(stamped.lines(), std::vector<std::string>{"remote command kind=quitApp window=-"});
    mac->accessibility().setProcessTrusted(true);

    stamped.entries.clear();
    close.expectedWindowListGeneration = 5;
    EXPECT_EQ(perform(close, notes), CommandResultPayload::failure(ProtocolError::staleWindowRevision()));
    auto command = this->command(CommandKind::windowClose, "Notes", notes);
    const auto generation = *command.expectedWindowListGeneration;
    auto stale = command;
    stale.expectedWindowListGeneration.reset();
    EXPECT_EQ(perform(stale, notes), CommandResultPayload::failure(ProtocolError::staleWindowRevision()));
    stale.expectedWindowListGeneration = generation - 1;
    EXPECT_EQ(perform(stale, notes), CommandResultPayload::failure(ProtocolError::staleWindowRevision()));

    auto noWindow = command;
    noWindow.windowID.reset();
    EXPECT_EQ(perform(noWindow, notes), notFound());
    auto unknown = command;
    unknown.windowID = WindowID(std::to_string(number("Front")));  // listed for another item
    EXPECT_EQ(perform(unknown, notes), notFound());
    mac->workspace().terminate(pid("com.apple.Notes"));
    EXPECT_EQ(perform(command, notes), notFound());

    const auto g = std::to_string(generation);
    EXPECT_EQ(stamped.lines(),
              (std::vector<std::string>{
                  "perform early return staleWindowRevision kind=windowClose expected=5 cached=nil",
                  "perform early return staleWindowRevision kind=windowClose expected=nil cached=" + g,
                  "perform early return staleWindowRevision kind=windowClose expected=" + std::to_string(generation - 1) +
                      " cached=" + g,
                  "perform early return notFound no descriptor kind=windowClose",
                  "perform early return notFound no descriptor kind=windowClose",
                  "perform early return notFound no app kind=windowClose"}));
}

TEST_F(WindowActionServiceTest, ActivationWaitsForAWindowStillAppearingButNotForAWebApp) {
    auto command = this->command(CommandKind::windowActivate, "Front", safari);
    withoutElement("Front", 500ms);
    std::optional<Duration> ranAt;
    scheduler.main().asyncAfter(100ms, [&] { ranAt = now(); });
    const auto start = now();
    EXPECT_TRUE(perform(command, safari, false, false).isSuccess());
    // Found after the seventh sleep of 80 ms; main-queue work ran while it waited.
    EXPECT_EQ(stamped.stamp("activate start"), start + 560ms);
    EXPECT_EQ(ranAt, start + 100ms);
    EXPECT_FALSE(stamped.stamp("activate cg-only"));

    // In a cancelled task the sleeps left end at once and count as done.
    stamped.entries.clear();
    withoutElement("Front");
    std::optional<CommandResultPayload> answer;
    const auto cancelledStart = now();
    const auto task =
        startTask(scheduler.main(), into(service.perform(command, safari, false, false), answer),
                  Cancellation::cooperative);
    scheduler.advance(200ms);
    task.cancel();
    scheduler.advance(1ms);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(stamped.stamp("activate cg-only no AX window="), cancelledStart + 200ms);

    stamped.entries.clear();
    auto inbox = this->command(CommandKind::windowActivate, "Inbox", webApp);
    withoutElement("Inbox", 500ms);
    const auto webStart = now();
    EXPECT_TRUE(perform(inbox, webApp, false, false).isSuccess());
    EXPECT_EQ(stamped.stamp("activate cg-only no AX window="), webStart);
}

TEST_F(WindowActionServiceTest, AWindowWithoutElementIsActivatedThroughTheWindowServer) {
    auto command = this->command(CommandKind::windowActivate, "Front", safari);
    stamped.entries.clear();
    withoutElement("Front");
    const auto start = now();
    EXPECT_TRUE(perform(command, safari, false, false).isSuccess());
    const auto n = std::to_string(number("Front"));
    const auto owner = std::to_string(pid("com.apple.Safari"));
    EXPECT_EQ(stamped.stamp("activate cg-only no AX"), start + 960ms);
    EXPECT_EQ(stamped.steps(),
              (std::vector<std::string>{
                  "activate cg-only no AX window=" + label("Front"),
                  "space context activate-before cgID=" + n + " windowSpace=1 refCurrentSpace=1 slsActive=1",
                  "space already current on its display space=1",
                  "space context activate-after cgID=" + n + " windowSpace=1 refCurrentSpace=1 slsActive=1",
                  "pointer skip already inside window=" + label("Front"),
                  "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + owner + " option=0x200 err=0",
                  "SLPS makeKey cgID=" + n + " ok=true",
                  "pointer skip already inside window=" + label("Front"),
                  "activate cg-only complete window=" + label("Front"),
              }));
}

TEST_F(WindowActionServiceTest, ActivationAcrossSpacesAndDisplaysMovesTheWindowOntoTheTargetsSpace) {
    auto command = this->command(CommandKind::windowActivate, "Elsewhere", safari, ScreenID("2"));
    stamped.entries.clear();
    EXPECT_TRUE(perform(command, safari).isSuccess());
    const auto n = std::to_string(number("Elsewhere"));
    const auto owner = std::to_string(pid("com.apple.Safari"));
    const auto l = label("Elsewhere");
    EXPECT_EQ(stamped.steps(),
              (std::vector<std::string>{
                  "activate start window=" + l + " moveToReferenceDisplay=true",
                  "activate force deminiaturize cg offscreen window=" + l,
                  "activate ensure visible start cgID=" + n + " window=" + l,
                  "activate ensure visible ok cgID=" + n + " attempt=1",
                  "cgWindowID=" + n + " window=" + l,
                  "space context activate-before cgID=" + n + " windowSpace=2 refCurrentSpace=3 slsActive=2",
                  "space match cgID=" + n + " windowSpace=2 refSpace=3 match=false",
                  "space normal move-window-to-reference-space cgID=" + n + " destSpace=3",
                  "space SLSSetWindowListWorkspace count=1 space=3 err=0",
                  "pointer to window center window=" + l + " animated=true x=1940 y=580",
                  "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + owner + " option=0x200 err=0",
                  "SLPS makeKey cgID=" + n + " ok=true",
                  "activate complete window=" + l,
              }));
    EXPECT_EQ(mac->windowWorld().window(key("Elsewhere"))->space, currentSpace(1));
}

TEST_F(WindowActionServiceTest, AMoveWithoutElementGoesThroughSpacesAndWaitsForTheElement) {
    auto command = this->command(CommandKind::windowMoveToScreen, "Front", safari, ScreenID("2"));
    stamped.entries.clear();
    withoutElement("Front", 1500ms);
    const auto start = now();
    EXPECT_TRUE(perform(command, safari).isSuccess());
    const auto n = std::to_string(number("Front"));
    const auto owner = std::to_string(pid("com.apple.Safari"));
    const auto l = label("Front");
    EXPECT_EQ(stamped.steps(),
              (std::vector<std::string>{
                  "move cg-only no AX window=" + l + "; space+SLPS only",
                  "space context activate-before cgID=" + n + " windowSpace=1 refCurrentSpace=3 slsActive=1",
                  "space match cgID=" + n + " windowSpace=1 refSpace=3 match=false",
                  "space normal move-window-to-reference-space cgID=" + n + " destSpace=3",
                  "space SLSSetWindowListWorkspace count=1 space=3 err=0",
                  "SLPS _SLPSSetFrontProcessWithOptions cgID=" + n + " pid=" + owner + " option=0x200 err=0",
                  "SLPS makeKey cgID=" + n + " ok=true",
                  "frontmost complete window=" + l,
                  "move cg-resolved AX window=" + l,
              }));
    EXPECT_EQ(stamped.stamp("move cg-only"), start + 960ms);
    EXPECT_EQ(stamped.stamp("move cg-resolved"), start + 960ms + 560ms);
}

TEST_F(WindowActionServiceTest, AMoveWithoutElementToADisplayThatIsGoneEndsOnTheScreenStandingInForIt) {
    // The pinned display stands in: the window comes to its Space, and the move after that must not send
    // it on to the display after its own.
    resolver->pinReferenceScreen(ScreenID("2"));
    auto command = this->command(CommandKind::windowMoveToScreen, "Front", safari, ScreenID("9"));
    withoutElement("Front", 1500ms);
    EXPECT_TRUE(perform(command, safari).isSuccess());
    EXPECT_GE(bounds("Front").x, 1440);
}

TEST_F(WindowActionServiceTest, WithoutElementTheOtherKindsAndAMoveAlreadyOnTheTargetAreNotFound) {
    auto move = this->command(CommandKind::windowMoveToScreen, "Studio", safari, ScreenID("2"));
    auto close = move;
    close.kind = CommandKind::windowClose;
    stamped.entries.clear();
    withoutElement("Studio");
    const auto start = now();
    EXPECT_EQ(perform(close, safari), notFound());
    EXPECT_EQ(stamped.stamp("perform early return"), start);  // no retries for a close
    EXPECT_EQ(perform(move, safari), notFound());
    const auto n = std::to_string(number("Studio"));
    EXPECT_EQ(stamped.lines(),
              (std::vector<std::string>{"perform early return notFound ax missing kind=windowClose window=" + n + ":Studio",
                                        "perform early return notFound ax missing kind=windowMoveToScreen window=" +
                                            n + ":Studio"}));
    EXPECT_EQ(systemLog.lines().back(), "Tavelin windowAction: ax window not found kind=windowMoveToScreen windowID=" +
                                            n + " title=Studio state=normal");
}

// Safari shows no window any more: it gets the reopen event, as a click on its Dock tile would send.
TEST_F(WindowActionServiceTest, AWindowGoneFromTheWindowServerFallsBackOnItsApplication) {
    const auto safariPid = pid("com.apple.Safari");
    auto command = this->command(CommandKind::windowActivate, "Front", safari);
    const auto l = label("Front");
    for (const auto* title : {"Front", "Elsewhere", "Studio"}) mac->windowWorld().removeWindow(key(title));
    mac->workspace().hide(safariPid);
    stamped.entries.clear();
    mac->calls().clear();
    EXPECT_TRUE(perform(command, safari, false, false).isSuccess());
    EXPECT_THAT(
        stamped.lines({"activate", "unhide"}),
        ElementsAre("unhide pid=" + std::to_string(safariPid) + " wasHidden=true ok=true itemHidden=false",
                    "activate fallback app-only window=" + l));
    EXPECT_FALSE(mac->workspace().process("com.apple.Safari")->isHidden);
    ASSERT_EQ(mac->appleEvents().sentEvents().size(), 1u);
    EXPECT_EQ(mac->appleEvents().sentEvents()[0].eventID, kAEReopenApplication);
    EXPECT_EQ(mac->appleEvents().sentEvents()[0].processIdentifier, safariPid);
    EXPECT_GE(std::ranges::count(mac->calls().calls(),
                                 "RunningApplication.activate " + std::to_string(safariPid) + " options=2"),
              1);
}

TEST_F(WindowActionServiceTest, EachKindChecksItsOwnCapability) {
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.closeButton = w.ax.minimizeButton = w.ax.fullScreenButton = false; });
    auto command = this->command(CommandKind::windowClose, "Notes", notes);
    auto with = [&](CommandKind kind) {
        auto copy = command;
        copy.kind = kind;
        return perform(copy, notes);
    };
    EXPECT_EQ(with(CommandKind::windowClose), unavailableResult("close unsupported"));
    EXPECT_EQ(with(CommandKind::windowMinimize), unavailableResult("minimize unsupported"));
    EXPECT_EQ(with(CommandKind::windowFullScreen), unavailableResult("fullscreen unsupported"));
    // Arrangeable, but no tile kind.
    EXPECT_EQ(with(CommandKind::windowTile), unavailableResult("tile unsupported"));
    EXPECT_FALSE(stamped.contains("frontmost complete window=" + label("Notes")));
    // Hiding asks nothing of the descriptor.
    EXPECT_TRUE(with(CommandKind::windowHide).isSuccess());
    EXPECT_FALSE(mac->windowWorld().isOnScreen(key("Notes")));
    EXPECT_TRUE(mac->windowWorld().window(key("Notes"))->ax.hidden);

    editWindow("Front", [](sim::SimWindow& w) { w.ax.refusals["AXHidden"] = AXError::cannotComplete; });
    EXPECT_EQ(perform(this->command(CommandKind::windowHide, "Front", safari), safari),
              unavailableResult("hide window failed"));

    mac->windowWorld().setMinimized(key("Front"), true);
    auto minimized = this->command(CommandKind::windowMaximize, "Front", safari);
    EXPECT_EQ(perform(minimized, safari), unavailableResult("maximize unsupported"));
    minimized.kind = CommandKind::windowMoveToScreen;
    EXPECT_EQ(perform(minimized, safari), unavailableResult("move unsupported"));
}

TEST_F(WindowActionServiceTest, PlacingKindsEndInFrontWhateverTheirResultUnlessFullScreenCannotBeLeft) {
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    EXPECT_EQ(perform(this->command(CommandKind::windowMaximize, "Notes", notes), notes),
              unavailableResult("maximize failed"));
    EXPECT_TRUE(stamped.contains("frontmost complete window=" + label("Notes")));
    stamped.entries.clear();
    EXPECT_TRUE(perform(this->command(CommandKind::windowFullScreen, "Notes", notes), notes).isSuccess());
    EXPECT_TRUE(stamped.contains("frontmost complete window=" + label("Notes")));

    stamped.entries.clear();
    mac->windowWorld().setFullScreen(key("Front"), true);
    mac->windowWorld().setStateDelay(10s);
    auto maximize = this->command(CommandKind::windowMaximize, "Front", safari);
    EXPECT_EQ(perform(maximize, safari), unavailableResult("fullscreen exit failed"));
    EXPECT_FALSE(stamped.stamp("frontmost complete"));
}

TEST_F(WindowActionServiceTest, ActivationMovesToTheTargetThenTheCallersChoiceThenTheSetting) {
    auto activate = [&](std::optional<ScreenID> target, std::optional<bool> move) {
        auto command = this->command(CommandKind::windowActivate, "Front", safari, std::move(target));
        stamped.entries.clear();
        EXPECT_TRUE(perform(command, safari, false, move).isSuccess());
        return stamped.lines({"activate start", "activate AX move"});
    };
    const auto l = label("Front");
    settings.moveWindowToReferenceDisplayOnActivate = false;
    EXPECT_THAT(activate(std::nullopt, std::nullopt), ElementsAre("activate start window=" + l + " moveToReferenceDisplay=false"));
    // The pinned display is the reference.
    resolver->pinReferenceScreen(ScreenID("2"));
    EXPECT_THAT(activate(std::nullopt, true), ElementsAre("activate start window=" + l + " moveToReferenceDisplay=true"));
    EXPECT_GE(bounds("Front").x, 1440);
    settings.moveWindowToReferenceDisplayOnActivate = true;
    EXPECT_THAT(activate(std::nullopt, std::nullopt),
                ElementsAre("activate start window=" + l + " moveToReferenceDisplay=true"));
    EXPECT_THAT(activate(std::nullopt, false), ElementsAre("activate start window=" + l + " moveToReferenceDisplay=false"));
    EXPECT_GE(bounds("Front").x, 1440);
    // A target overrides the caller.
    EXPECT_THAT(activate(ScreenID("1"), false), ElementsAre("activate start window=" + l + " moveToReferenceDisplay=true"));
    EXPECT_LT(bounds("Front").x, 1440);

    // A target that is not connected: the pinned screen, else the one under the pointer, is the reference.
    const auto referenceSpace = [&] {
        const auto line = stamped.lines({"space context activate-before"}).at(0);
        return line.substr(line.find("refCurrentSpace="), line.find(" slsActive") - line.find("refCurrentSpace="));
    };
    activate(ScreenID("9"), std::nullopt);
    EXPECT_EQ(referenceSpace(), "refCurrentSpace=" + std::to_string(currentSpace(1)));
    EXPECT_GE(bounds("Front").x, 1440);  // and there it stays
    resolver->unpinReferenceScreen();
    mac->windowWorld().setPointer({700, 400});
    activate(ScreenID("9"), std::nullopt);
    EXPECT_EQ(referenceSpace(), "refCurrentSpace=" + std::to_string(currentSpace(0)));
}

TEST_F(WindowActionServiceTest, TheWindowServerOnlyActivationMovesTheWindowOnceItsElementTurnsUp) {
    // Neither Spaces nor the window server can move it; its element comes back during the polls.
    mac->privateWindowServer().setResult("SLSSetWindowListWorkspace", sim::SimPrivateWindowServer::kCGErrorFailure);
    auto command = this->command(CommandKind::windowActivate, "Front", safari, ScreenID("2"));
    withoutElement("Front", 1200ms);
    EXPECT_TRUE(perform(command, safari).isSuccess());
    EXPECT_GE(bounds("Front").x, 1440);

    command = this->command(CommandKind::windowActivate, "Notes", notes, ScreenID("2"));
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    withoutElement("Notes", 1200ms);
    EXPECT_TRUE(perform(command, notes).isSuccess());
    EXPECT_THAT(stamped.lines({"activate cg-only AX"}),
                ElementsAre("activate cg-only AX move ok window=" + label("Front"),
                            "activate cg-only AX move failed window=" + label("Notes") + " err=unavailable(move failed)"));
}

TEST_F(WindowActionServiceTest, AWebAppIsMovedWithTheElementItOffersByNow) {
    mac->windowWorld().setFullScreen(key("Inbox"), true);
    auto command = this->command(CommandKind::windowActivate, "Inbox", webApp, ScreenID("2"));
    withoutElement("Inbox");
    EXPECT_TRUE(perform(command, webApp).isSuccess());
    EXPECT_TRUE(stamped.contains("activate cg-only no AX to move window=" + label("Inbox")));

    // Back while the display is brought to its Space.
    withoutElement("Inbox", 100ms);
    EXPECT_TRUE(perform(command, webApp).isSuccess());
    EXPECT_TRUE(stamped.contains("activate cg-only AX move ok window=" + label("Inbox")));
}

}  // namespace
}  // namespace tavelin
