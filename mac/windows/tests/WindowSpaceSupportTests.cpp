#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/WindowSpaceSupport.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Catalog = WindowSpaceSupport::SpaceCatalog;

constexpr std::string_view kBuiltInUUID = "5D1A7E00-0000-4000-8000-000000000001";
constexpr std::string_view kStudioUUID = "5D1A7E00-0000-4000-8000-000000000002";

class WindowSpaceSupportTest : public ::testing::Test, protected WindowTestWorld {
  protected:
    explicit WindowSpaceSupportTest(const std::function<void(sim::Desktop&)>& edit = {})
        : WindowTestWorld(edit) {}

    sim::SimPrivateWindowServer& server() { return mac->privateWindowServer(); }
    sim::SimWindowWorld& world() { return mac->windowWorld(); }
    // The private window-server calls made, by name, in order.
    std::vector<std::string> serverCalls() const {
        std::vector<std::string> names;
        for (const auto& call : callsStartingWith("SLS")) names.push_back(call.substr(0, call.find(' ')));
        return names;
    }

    WindowSpaceSupport spaces_{platform()};
};

TEST_F(WindowSpaceSupportTest, CatalogIsReadFromCraftedAnswersKeyByKey) {
    const std::int64_t allBits = -1;  // the unsigned ID 18446744073709551615
    server().setAnswer("SLSCopyManagedDisplaySpaces",
                       PlistArray{PlistDict{{"Display Identifier", "A"},
                                            {"Current Space", 12},
                                            {"Spaces",
                                             PlistArray{
                                                 PlistDict{{"ManagedSpaceID", 5}, {"id64", 99}},
                                                 PlistDict{{"id64", 12}, {"type", 4}},
                                                 PlistDict{{"type", 0}},  // no ID: left out
                                                 PlistDict{{"ManagedSpaceID", allBits}, {"Type", 2}},
                                                 PlistDict{{"ManagedSpaceID", 7}, {"type", "4"}, {"Type", 4}},
                                                 PlistDict{{"ManagedSpaceID", 8.9}},
                                             }}},
                                  PlistDict{{"Current Space", PlistDict{{"id64", 3}}}},
                                  PlistDict{{"Display Identifier", 5}, {"Spaces", "none"}}});
    const auto catalog = spaces_.loadCatalog(true);
    ASSERT_TRUE(catalog);
    ASSERT_EQ(catalog->displays.size(), 3u);
    EXPECT_EQ(catalog->displays[0],
              (Catalog::Display{"A", {{5, 0}, {12, 4}, {18446744073709551615ull, 2}, {7, 4}, {8, 0}}, 12}));
    EXPECT_EQ(catalog->displays[1], (Catalog::Display{"", {}, 3}));
    EXPECT_EQ(catalog->displays[2], (Catalog::Display{"", {}, std::nullopt}));
    EXPECT_THAT(
        actionLines("space "),
        ElementsAre("space catalog display=A current=12 spaces=[5/0,12/4,18446744073709551615/2,7/4,8/0]",
                    "space catalog display= current=3 spaces=[]",
                    "space catalog display= current=nil spaces=[]"));
    EXPECT_EQ(catalog->display(12)->identifier, "A");
    EXPECT_FALSE(catalog->display(3));  // current, but not in any row

    actionLog.clear();
    server().setAnswer("SLSCopyManagedDisplaySpaces", PlistArray{});
    EXPECT_EQ(spaces_.loadCatalog(true), Catalog{});
    EXPECT_TRUE(actionLog.lines().empty());

    for (const auto& bad : {std::optional<PlistValue>(), std::optional<PlistValue>(PlistDict{}),
                            std::optional<PlistValue>(PlistArray{PlistDict{}, 5})}) {
        server().setAnswer("SLSCopyManagedDisplaySpaces", bad);
        EXPECT_FALSE(spaces_.loadCatalog(false));
        EXPECT_TRUE(actionLog.lines().empty());
        EXPECT_FALSE(spaces_.loadCatalog(true));
        EXPECT_THAT(actionLog.lines(), ElementsAre("space SLSCopyManagedDisplaySpaces failed"));
        actionLog.clear();
    }
}

TEST_F(WindowSpaceSupportTest, TheSimulatedCatalogFollowsFullScreenSpaces) {
    const auto window = number("Front");
    const auto before = spaces(0);
    EXPECT_FALSE(spaces_.windowIsOnFullscreenSpace(window));

    ASSERT_TRUE(world().setFullScreen(window, true));
    const auto catalog = spaces_.loadCatalog(false);
    ASSERT_TRUE(catalog);
    ASSERT_EQ(catalog->displays.size(), 2u);
    const auto& builtIn = catalog->displays[0];
    EXPECT_EQ(builtIn.identifier, kBuiltInUUID);
    ASSERT_EQ(builtIn.spaces.size(), 3u);
    // Its own Space, right after the one it left, shown at once.
    EXPECT_EQ(builtIn.spaces[0], (Catalog::Space{before[0], 0}));
    EXPECT_EQ(builtIn.spaces[1].type, WindowSpaceSupport::kFullScreenSpaceType);
    EXPECT_EQ(builtIn.spaces[2], (Catalog::Space{before[1], 0}));
    EXPECT_EQ(builtIn.currentManagedID, builtIn.spaces[1].managedID);
    EXPECT_TRUE(spaces_.windowIsOnFullscreenSpace(window));
    EXPECT_TRUE(world().isOnScreen(window));
    EXPECT_FALSE(world().isOnScreen(number("Notes")));

    // It cannot be moved off its full-screen Space.
    const std::uint32_t list[] = {window};
    EXPECT_FALSE(spaces_.moveWindows(list, before[1]));

    ASSERT_TRUE(world().setFullScreen(window, false));
    EXPECT_EQ(spaces(0), before);
    EXPECT_EQ(world().displaySpaces()[0].currentSpace, before[0]);
    EXPECT_EQ(spaces_.primarySpaceIDQuiet(window), before[0]);
    EXPECT_FALSE(spaces_.windowIsOnFullscreenSpace(window));
}

TEST_F(WindowSpaceSupportTest, ZeroIsASpaceForTheLoggedQueryAndNoneForTheQuietOnes) {
    const auto window = number("Elsewhere");
    EXPECT_EQ(spaces_.primarySpace(window), spaces(0)[1]);
    EXPECT_TRUE(spaces_.hasManagedSpace(window));

    actionLog.clear();
    server().setAnswer("SLSCopySpacesForWindows", PlistArray{0, 9});
    EXPECT_EQ(spaces_.primarySpace(window), SpaceID{0});
    EXPECT_FALSE(spaces_.primarySpaceIDQuiet(window));
    EXPECT_FALSE(spaces_.hasManagedSpace(window));
    server().setAnswer("SLSCopySpacesForWindows", PlistArray{});
    EXPECT_FALSE(spaces_.primarySpace(window));
    const auto n = std::to_string(window);
    EXPECT_THAT(actionLog.lines(), ElementsAre("space SLSCopySpacesForWindows before cgID=" + n,
                                               "space SLSCopySpacesForWindows after cgID=" + n + " space=0",
                                               "space SLSCopySpacesForWindows before cgID=" + n,
                                               "space SLSCopySpacesForWindows after cgID=" + n + " none"));
    EXPECT_THAT(mac->calls().calls(),
                ::testing::Contains("SLSCopySpacesForWindows cid=7427 mask=7 windows=[" + n + "]"));
}

TEST_F(WindowSpaceSupportTest, DisplayIdentifierTakesTheUUIDThenMainThenTheFallback) {
    EXPECT_EQ(spaces_.displayIdentifier(screen(1)), kStudioUUID);
    EXPECT_THAT(actionLines("space displayIdentifier"),
                ElementsAre("space displayIdentifier uuid=" + std::string(kStudioUUID)));

    // A catalog that does not know the screen: its UUID all the same, also when a display is called "Main"
    // while displays have Spaces of their own.
    actionLog.clear();
    server().setAnswer("SLSCopyManagedDisplaySpaces", PlistArray{PlistDict{{"Display Identifier", "Main"}}});
    EXPECT_EQ(spaces_.displayIdentifier(screen(1)), kStudioUUID);
    EXPECT_THAT(actionLines("space displayIdentifier"),
                ElementsAre("space displayIdentifier fallback uuid=" + std::string(kStudioUUID)));

    actionLog.clear();
    server().clearAnswer("SLSCopyManagedDisplaySpaces");
    server().setSeparateSpaces(false);
    Screen unnumbered = screen(1);
    unnumbered.screenNumber.reset();
    EXPECT_EQ(spaces_.displayIdentifier(screen(1)), "Main");
    EXPECT_EQ(spaces_.displayIdentifier(unnumbered), "Main");
    EXPECT_THAT(actionLines("space displayIdentifier"),
                ElementsAre("space displayIdentifier Main (shared spaces)",
                            "space displayIdentifier Main (shared spaces)"));

    actionLog.clear();
    server().setSeparateSpaces(true);
    EXPECT_FALSE(spaces_.displayIdentifier(unnumbered));
    EXPECT_THAT(actionLines("space displayIdentifier"), ElementsAre("space displayIdentifier none"));
}

class LowerCaseCatalogTest : public WindowSpaceSupportTest {
  protected:
    LowerCaseCatalogTest()
        : WindowSpaceSupportTest([](sim::Desktop& desktop) {
              desktop.screens[0].uuid = "5d1a7e00-0000-4000-8000-00000000abcd";
          }) {}
};

TEST_F(LowerCaseCatalogTest, ADisplayInAnotherLetterCaseIsTheSameDisplay) {
    ASSERT_EQ(spaces_.loadCatalog(false)->displays[0].identifier, "5d1a7e00-0000-4000-8000-00000000abcd");
    // The screen's own spelling is kept.
    EXPECT_EQ(spaces_.displayIdentifier(screen(0)), "5D1A7E00-0000-4000-8000-00000000ABCD");
    EXPECT_THAT(actionLines("space displayIdentifier"),
                ElementsAre("space displayIdentifier uuid=5D1A7E00-0000-4000-8000-00000000ABCD"));
    EXPECT_EQ(spaces_.currentSpaceID(screen(0)), spaces(0)[0]);

    // The window's display comes from the catalog, the screen's from the screen: one display all the same.
    actionLog.clear();
    EXPECT_TRUE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Front"), screen(0)));
    const auto space = std::to_string(spaces(0)[0]);
    EXPECT_THAT(actionLines("space match"),
                ElementsAre("space match cgID=" + std::to_string(number("Front")) + " windowSpace=" + space +
                            " refSpace=" + space + " windowDisplay=5d1a7e00-0000-4000-8000-00000000abcd" +
                            " refDisplay=5D1A7E00-0000-4000-8000-00000000ABCD match=true"));
}

TEST_F(WindowSpaceSupportTest, MatchReportsEachOutcome) {
    const auto front = std::to_string(number("Front"));
    const auto elsewhere = std::to_string(number("Elsewhere"));
    const auto current = std::to_string(spaces(0)[0]);
    EXPECT_TRUE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Front"), screen(0)));
    EXPECT_FALSE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Elsewhere"), screen(0)));
    // The Studio window's Space is not the one the built-in screen shows.
    EXPECT_FALSE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Studio"), screen(0)));
    EXPECT_THAT(actionLines("space match"),
                ElementsAre("space match cgID=" + front + " windowSpace=" + current + " refSpace=" + current +
                                " windowDisplay=" + std::string(kBuiltInUUID) +
                                " refDisplay=" + std::string(kBuiltInUUID) + " match=true",
                            "space match cgID=" + elsewhere + " windowSpace=" + std::to_string(spaces(0)[1]) +
                                " refSpace=" + current + " match=false",
                            "space match cgID=" + std::to_string(number("Studio")) + " windowSpace=" +
                                std::to_string(spaces(1)[0]) + " refSpace=" + current + " match=false"));

    // Without the window's Space the screen is not asked about.
    actionLog.clear();
    mac->calls().clear();
    server().setAnswer("SLSCopySpacesForWindows", PlistArray{});
    EXPECT_FALSE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Front"), screen(0)));
    EXPECT_THAT(actionLines("space match"),
                ElementsAre("space match cgID=" + front + " incomplete window or ref space"));
    EXPECT_THAT(serverCalls(), ElementsAre("SLSCopySpacesForWindows"));

    // The screen shows nothing the window server can name.
    actionLog.clear();
    server().clearAnswer("SLSCopySpacesForWindows");
    server().setResult("SLSManagedDisplayGetCurrentSpace", 0);
    EXPECT_FALSE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Front"), screen(0)));
    EXPECT_THAT(actionLines("space match"),
                ElementsAre("space match cgID=" + front + " incomplete window or ref space"));

    // Equal Spaces, but no display holds the window's one.
    actionLog.clear();
    server().setResult("SLSManagedDisplayGetCurrentSpace", std::nullopt);
    server().setAnswer("SLSCopyManagedDisplaySpaces", PlistArray{});
    server().setAnswer("SLSCopyManagedDisplayForSpace", std::nullopt);
    EXPECT_FALSE(spaces_.windowSpaceMatchesReferenceCurrentSpace(number("Front"), screen(0)));
    EXPECT_THAT(actionLines("space match"),
                ElementsAre("space match cgID=" + front + " display unknown; treat as not on reference"));
    EXPECT_THAT(actionLines("space SLSCopyManagedDisplayForSpace"),
                ElementsAre("space SLSCopyManagedDisplayForSpace space=" + current + " display=nil"));
}

TEST_F(WindowSpaceSupportTest, SettingTheCurrentSpaceTakesEffectAfterTheSwitchDelay) {
    world().setSwitchDelay(100ms);
    const auto target = spaces(0)[1];
    EXPECT_FALSE(spaces_.setCurrentSpace(spaces(1)[0], kBuiltInUUID));  // the other display's Space
    ASSERT_TRUE(spaces_.setCurrentSpace(target, kBuiltInUUID));
    EXPECT_THAT(actionLines("space SLSManagedDisplaySetCurrentSpace"),
                ElementsAre("space SLSManagedDisplaySetCurrentSpace space=" + std::to_string(spaces(1)[0]) +
                                " display=" + std::string(kBuiltInUUID) + " err=1001",
                            "space SLSManagedDisplaySetCurrentSpace space=" + std::to_string(target) +
                                " display=" + std::string(kBuiltInUUID) + " err=0"));
    EXPECT_NE(world().displaySpaces()[0].currentSpace, target);

    // Asked at 0, 30, 60 and 90 ms; shown at 100 ms, seen at 120 ms.
    actionLog.clear();
    const auto start = now();
    EXPECT_TRUE(spaces_.waitUntilCurrentSpace(target, screen(0), WindowSpaceSupport::kCurrentSpaceAttempts));
    EXPECT_EQ(now() - start, 120ms);
    EXPECT_EQ(actionLines("space SLSManagedDisplayGetCurrentSpace").size(), 5u);
    EXPECT_FALSE(world().isOnScreen(number("Front")));
    EXPECT_TRUE(world().isOnScreen(number("Elsewhere")));
}

TEST_F(WindowSpaceSupportTest, WaitingSleepsAfterEveryAttemptThenChecksOnce) {
    const auto other = spaces(0)[1];
    auto start = now();
    EXPECT_FALSE(spaces_.waitUntilCurrentSpace(other, screen(0), 3));
    EXPECT_EQ(now() - start, 90ms);
    EXPECT_EQ(actionLines("space SLSManagedDisplayGetCurrentSpace").size(), 4u);

    actionLog.clear();
    start = now();
    EXPECT_TRUE(spaces_.waitUntilCurrentSpace(spaces(0)[0], screen(0), 0));
    EXPECT_FALSE(spaces_.waitUntilCurrentSpace(other, screen(0), 0));
    EXPECT_EQ(now() - start, 0ms);
    EXPECT_EQ(actionLines("space SLSManagedDisplayGetCurrentSpace").size(), 2u);
}

TEST_F(WindowSpaceSupportTest, MovesTakeTheRouteOfTheSystemVersion) {
    mac->host().setSystemVersion("Version 14.4 (Build 23E214)");
    const auto target = spaces(1)[0];
    const std::uint32_t windows[] = {number("Front"), number("Notes")};
    mac->calls().clear();
    EXPECT_FALSE(spaces_.moveWindows({}, target));
    EXPECT_TRUE(serverCalls().empty());
    EXPECT_TRUE(actionLog.lines().empty());

    const auto frontBefore = mac->windowWorld().window(number("Front"))->bounds;
    ASSERT_TRUE(spaces_.moveWindows(windows, target));
    EXPECT_THAT(serverCalls(), ElementsAre("SLSMoveWindowsToManagedSpace"));
    EXPECT_THAT(
        actionLog.lines(),
        ElementsAre("space SLSMoveWindowsToManagedSpace count=2 space=" + std::to_string(target) + " err=0"));
    // On the Studio's Space and on its screen, 1440 points to the right.
    EXPECT_EQ(spaces_.primarySpaceIDQuiet(number("Front")), target);
    EXPECT_EQ(mac->windowWorld().window(number("Front"))->bounds.x, frontBefore.x + 1440);

    // From 14.5 the Space is tagged, the windows moved by that tag and the tag cleared, also on failure.
    mac->host().setSystemVersion("Version 14.5 (Build 23F79)");
    mac->calls().clear();
    actionLog.clear();
    const auto back = spaces(0)[1];
    ASSERT_TRUE(spaces_.moveWindows(windows, back));
    server().setResult("SLSSetWindowListWorkspace", 1000);
    EXPECT_FALSE(spaces_.moveWindows(windows, target));
    const auto b = std::to_string(back);
    const auto t = std::to_string(target);
    const auto moveByTag = "SLSSetWindowListWorkspace cid=7427 windows=[" + std::to_string(windows[0]) + "," +
                           std::to_string(windows[1]) + "] count=2 workspace=2036425317";
    EXPECT_THAT(callsStartingWith("SLS"),
                ElementsAre("SLSSpaceSetCompatID cid=7427 space=" + b + " compat=2036425317", moveByTag,
                            "SLSSpaceSetCompatID cid=7427 space=" + b + " compat=0",
                            "SLSSpaceSetCompatID cid=7427 space=" + t + " compat=2036425317", moveByTag,
                            "SLSSpaceSetCompatID cid=7427 space=" + t + " compat=0"));
    EXPECT_FALSE(server().spaceWithCompatID(0x79616265));
    EXPECT_THAT(actionLog.lines(),
                ElementsAre("space SLSSetWindowListWorkspace count=2 space=" + b + " err=0",
                            "space SLSSetWindowListWorkspace count=2 space=" + t + " err=1000"));
    EXPECT_EQ(spaces_.primarySpaceIDQuiet(number("Notes")), back);
}

TEST_F(WindowSpaceSupportTest, ContextLineComesAfterTheLinesOfItsQueries) {
    spaces_.logActivateSpaceContext(number("Elsewhere"), std::nullopt, "pre");
    const auto active = std::to_string(spaces(0)[0]);
    EXPECT_EQ(actionLog.lines().back(), "space context pre cgID=" + std::to_string(number("Elsewhere")) +
                                            " windowSpace=" + std::to_string(spaces(0)[1]) +
                                            " refCurrentSpace=nil slsActive=" + active);
    actionLog.clear();
    server().setAnswer("SLSCopySpacesForWindows", PlistArray{});
    spaces_.logActivateSpaceContext(number("Studio"), screen(1), "post");
    const auto all = actionLog.lines();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all.front(), "space SLSCopySpacesForWindows before cgID=" + std::to_string(number("Studio")));
    EXPECT_EQ(all.back(), "space context post cgID=" + std::to_string(number("Studio")) +
                              " windowSpace=nil refCurrentSpace=" + std::to_string(spaces(1)[0]) +
                              " slsActive=" + active);
}

}  // namespace
}  // namespace tavelin
