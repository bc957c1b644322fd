#include <gmock/gmock.h>

#include "mac/app/tests/AppWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The server as the container builds it, with a recorder of what it pushes to the sessions.
class ServerCoordinatorTest : public AppWorld {
  protected:
    using AppWorld::AppWorld;
    ServerCoordinator& server() { return *services().server; }
    void record() {
        recording_ = server().pushes().sink([this](const ServerPush& push) { pushes_.push_back(push); });
    }
    std::vector<MessageType> pushedTypes() const {
        std::vector<MessageType> types;
        for (const auto& push : pushes_) types.push_back(push.messageType);
        return types;
    }
    std::map<std::string, std::string> advertisedTXT() {
        const auto live = mac().network().liveListeners("session");
        if (live.size() != 1 || !live[0].service) return {};
        return live[0].service->txtRecord;
    }

    std::vector<ServerPush> pushes_;
    Subscription recording_;
};

TEST_F(ServerCoordinatorTest, StartsWithoutListenersAndListensOnceStarted) {
    EXPECT_FALSE(server().hasSessionListener());
    EXPECT_FALSE(server().hasPairingListener());
    EXPECT_FALSE(server().advertisedPairingPort());
    EXPECT_THAT(server().connectedDeviceIDs.value(), IsEmpty());
    EXPECT_FALSE(server().pairing().activeCode());
    EXPECT_THAT(mac().network().listeners(), IsEmpty());

    server().start();
    scheduler_.advance(1900ms);
    EXPECT_FALSE(advertisedTXT().contains("pp"));
    scheduler_.advance(100ms);
    const auto pairing = mac().network().liveListeners("pairing");
    ASSERT_EQ(pairing.size(), 1u);
    EXPECT_EQ(server().advertisedPairingPort(), pairing[0].port);
    const auto txt = advertisedTXT();
    EXPECT_EQ(txt.at("pp"), std::to_string(*pairing[0].port));
    EXPECT_EQ(txt.at("mid"), server().deviceStore().machineID().rawValue());
    EXPECT_EQ(txt.at("pv"), "1");
    EXPECT_EQ(txt.at("pair"), "1");
    EXPECT_EQ(mac().network().liveListeners("session")[0].service->type, "_tavelin._tcp");
}

TEST_F(ServerCoordinatorTest, ASettingsChangeRestartsThePairingListenerOnItsPortAndRepublishes) {
    server().start();
    scheduler_.advance(2s);
    const auto port = server().advertisedPairingPort();
    ASSERT_TRUE(port);

    services().settings.macDisplayName = "Studio";
    EXPECT_EQ(advertisedTXT().at("name"), "Mac");  // on the main queue, later
    scheduler_.runUntilIdle();
    EXPECT_EQ(advertisedTXT().at("name"), "Studio");
    EXPECT_EQ(mac().network().liveListeners("session")[0].service->name, "Studio");
    const auto pairing = mac().network().liveListeners("pairing");
    ASSERT_EQ(pairing.size(), 1u);
    EXPECT_EQ(pairing[0].port, port);

    services().settings.pairingAcceptNew = false;
    scheduler_.runUntilIdle();
    EXPECT_THAT(mac().network().liveListeners("pairing"), IsEmpty());
    EXPECT_EQ(advertisedTXT().at("pair"), "0");
}

TEST_F(ServerCoordinatorTest, AFailedListenerIsLogged) {
    mac().network().failNextListen("Address already in use");
    server().start();
    scheduler_.runUntilIdle();
    EXPECT_THAT(log_.lines(),
                ::testing::Contains("Tavelin server: session listener failed: Address already in use"));
}

// The snapshot current at construction reaches the main queue only after the recorder is in place: it
// would be seen if it were pushed.
TEST_F(ServerCoordinatorTest, ANewSnapshotIsPushedWithItsIconsAndTheCurrentOneIsNot) {
    record();
    scheduler_.runUntilIdle();
    EXPECT_THAT(pushes_, IsEmpty());

    mac().workspace().launch("com.apple.Notes");
    scheduler_.advance(1s);
    ASSERT_THAT(pushedTypes(), ElementsAre(MessageType::dockSnapshot, MessageType::iconData));
    const auto& snapshot = std::get<DockSnapshot>(pushes_[0].payload);
    EXPECT_EQ(snapshot, services().dockState->snapshot());
    EXPECT_EQ(snapshot.dockGeneration, 2);
    const auto& icons = std::get<std::vector<IconData>>(pushes_[1].payload);
    std::vector<IconToken> tokens;
    for (const auto& item : snapshot.items) tokens.push_back(*item.iconToken);
    ASSERT_EQ(icons.size(), tokens.size());
    for (std::size_t i = 0; i < icons.size(); ++i) EXPECT_EQ(icons[i].token, tokens[i]);
}

// Safari in the Dock twice: both tiles show one icon, which is sent once.
class TwoSafariTiles : public ServerCoordinatorTest {
  protected:
    TwoSafariTiles()
        : ServerCoordinatorTest([] {
              auto desktop = standardDesktop();
              desktop.dock->fixed.push_back({sim::DesktopDockTileKind::application, "com.apple.Safari"});
              return desktop;
          }()) {}
};

TEST_F(TwoSafariTiles, AnIconTwoTilesShareIsSentOnce) {
    record();
    mac().workspace().launch("com.apple.Notes");
    scheduler_.advance(1s);
    ASSERT_THAT(pushedTypes(), ElementsAre(MessageType::dockSnapshot, MessageType::iconData));
    std::vector<IconToken> tokens;
    for (const auto& item : std::get<DockSnapshot>(pushes_[0].payload).items) {
        if (std::ranges::find(tokens, *item.iconToken) == tokens.end()) tokens.push_back(*item.iconToken);
    }
    std::vector<IconToken> sent;
    for (const auto& icon : std::get<std::vector<IconData>>(pushes_[1].payload)) sent.push_back(icon.token);
    EXPECT_EQ(sent, tokens);
}

TEST_F(ServerCoordinatorTest, NoIconIsRenderedForANewSnapshotThatNobodyReceives) {
    const auto& dockState = *services().dockState;
    scheduler_.runUntilIdle();
    const auto asked = mac().workspaceIcons().askedFiles().size();
    mac().workspace().launch("com.apple.Notes");
    scheduler_.advance(1s);
    ASSERT_EQ(dockState.snapshot()->dockGeneration, 2);
    EXPECT_EQ(mac().workspaceIcons().askedFiles().size(), asked);
}

TEST_F(ServerCoordinatorTest, APermissionStateIsPushedOncePerBurstAndOnlyWhenItDiffers) {
    scheduler_.runUntilIdle();
    record();
    int announcements = 0;
    const auto counting =
        services().permissions->objectWillChange().sink([&](const std::monostate&) { ++announcements; });
    services().permissions->refresh();
    EXPECT_GE(announcements, 5);
    EXPECT_THAT(pushes_, IsEmpty());
    scheduler_.runUntilIdle();
    // The notification settings, which the system answers later, make a second burst of the same state.
    EXPECT_GE(announcements, 7);
    ASSERT_THAT(pushedTypes(), ElementsAre(MessageType::permissionsChanged));
    EXPECT_EQ(std::get<PermissionState>(pushes_[0].payload), (PermissionState{true, false}));

    services().permissions->refresh();
    scheduler_.runUntilIdle();
    EXPECT_EQ(pushes_.size(), 1u);
    mac().accessibility().setProcessTrusted(false);
    services().permissions->refresh();
    services().permissions->refresh();
    scheduler_.runUntilIdle();
    ASSERT_EQ(pushes_.size(), 2u);
    EXPECT_EQ(std::get<PermissionState>(pushes_[1].payload), (PermissionState{false, false}));
}

TEST_F(ServerCoordinatorTest, TheDesktopPictureIsPushedOnceItIsStoredAndNotBefore) {
    record();
    scheduler_.runUntilIdle();
    services().wallpaper->refreshIfDesktopChanged(true);
    EXPECT_THAT(pushes_, IsEmpty());
    scheduler_.runUntilIdle();
    ASSERT_THAT(pushedTypes(), ElementsAre(MessageType::wallpaperData));
    EXPECT_EQ(std::get<WallpaperData>(pushes_[0].payload), services().wallpaper->unavailablePayload());
}

TEST_F(ServerCoordinatorTest, IconNotificationsArePushed) {
    record();
    const std::vector<IconToken> tokens{IconToken("0123456789abcdef")};
    mac().notificationCenter().post(Notification{"tavelin.iconInvalidated", nullptr, {{"tokens", tokens}}});
    const std::vector<IconData> trash{IconData{IconToken("tavelin-trash-full"), "iVBO", 128}};
    mac().notificationCenter().post(Notification{"tavelin.trashIconPushed", nullptr, {{"icons", trash}}});
    scheduler_.runUntilIdle();
    ASSERT_THAT(pushedTypes(), ElementsAre(MessageType::iconInvalidated, MessageType::iconData));
    EXPECT_EQ(std::get<IconInvalidated>(pushes_[0].payload).tokens, tokens);
    EXPECT_EQ(std::get<std::vector<IconData>>(pushes_[1].payload), trash);
}

}  // namespace
}  // namespace tavelin
