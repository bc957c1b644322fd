#include "mac/server/ServerCoordinator.h"

#include <string>

namespace tavelin {

std::shared_ptr<ServerCoordinator> ServerCoordinator::create(Services services, Platform platform) {
    std::shared_ptr<ServerCoordinator> server(new ServerCoordinator(services, platform));
    server->subscribe();
    return server;
}

ServerCoordinator::ServerCoordinator(Services services, Platform platform)
    : services_(services), platform_(platform), deviceStore_(platform.deviceStore) {}

ServerCoordinator::~ServerCoordinator() { pairingPortTask_.cancel(); }

void ServerCoordinator::subscribe() {
    const std::weak_ptr<ServerCoordinator> weak = weak_from_this();
    Queue& main = platform_.scheduler.main();

    // Rendering every icon costs about 1.5 ms a tile: only for someone who receives them.
    subscriptions_.push_back(
        services_.dockState->snapshotPublisher()
            .dropFirst()
            .filter([](const std::optional<DockSnapshot>& snapshot) { return snapshot.has_value(); })
            .receiveOn(main)
            .sink([weak](const std::optional<DockSnapshot>& snapshot) {
                auto self = weak.lock();
                if (!self || !self->pushes_.hasReceivers()) return;
                self->broadcastSnapshot(*snapshot);
                self->broadcastSnapshotIcons(*snapshot);
            }));
    // The token is announced before the picture is stored: the push reads both once they are.
    subscriptions_.push_back(services_.wallpaper->currentTokenPublisher().dropFirst().receiveOn(main).sink(
        [weak](const std::string&) {
            if (auto self = weak.lock()) self->broadcastWallpaper();
        }));
    subscriptions_.push_back(services_.settings.objectWillChange().sink([weak, &main](const std::monostate&) {
        main.async([weak] {
            if (auto self = weak.lock()) {
                self->restartPairingListener();
                self->updateBonjourTXT();
            }
        });
    }));
    subscriptions_.push_back(services_.permissions->objectWillChange().sink([weak](const std::monostate&) {
        if (auto self = weak.lock()) self->schedulePermissionsBroadcast();
    }));
    subscriptions_.push_back(platform_.notifications.addObserver(
        std::string(kIconInvalidatedNotification), nullptr, &main, [weak](const Notification& notification) {
            if (auto self = weak.lock()) self->broadcastIconInvalidated(notification);
        }));
    subscriptions_.push_back(platform_.notifications.addObserver(
        std::string(kTrashIconPushedNotification), nullptr, &main, [weak](const Notification& notification) {
            if (auto self = weak.lock()) self->broadcastTrashIcon(notification);
        }));
}

void ServerCoordinator::start() {
    restartSessionListener();
    restartPairingListener();
    pairingPortTask_.cancel();
    pairingPortTask_ =
        startTask(platform_.scheduler.main(), recordPairingPortLater(weak_from_this(), kPairingPortDelay));
}

Task<void> ServerCoordinator::recordPairingPortLater(std::weak_ptr<ServerCoordinator> weak, Duration delay) {
    co_await sleepFor(delay);
    auto self = weak.lock();
    if (!self) co_return;
    if (!self->advertisedPairingPort_ && self->pairingListener_) {
        self->advertisedPairingPort_ = self->pairingListener_->port();
    }
    self->updateBonjourTXT();
}

void ServerCoordinator::restartSessionListener() {
    sessionListener_.reset();
    sessionListener_ = platform_.network.listen("session", std::nullopt, platform_.scheduler.main(),
                                                listenerStateHandler("session"));
    sessionListener_->setService(bonjourService());
}

void ServerCoordinator::restartPairingListener() {
    pairingListener_.reset();
    if (!services_.settings.pairingAcceptNew.value()) return;
    pairingListener_ = platform_.network.listen("pairing", advertisedPairingPort_, platform_.scheduler.main(),
                                                listenerStateHandler("pairing"));
}

void ServerCoordinator::updateBonjourTXT() {
    if (sessionListener_) sessionListener_->setService(bonjourService());
}

BonjourService ServerCoordinator::bonjourService() const {
    const auto& settings = services_.settings;
    BonjourService service{settings.macDisplayName.value(), std::string(bonjourServiceType), {}};
    service.txtRecord = {
        {"pv", std::to_string(currentProtocolVersion)},
        {"mid", deviceStore_.machineID().rawValue()},
        {"name", settings.macDisplayName.value()},
        {"ver", platform_.host.mainBundle().version},
        {"pair", settings.pairingAcceptNew.value() ? "1" : "0"},
    };
    if (advertisedPairingPort_) service.txtRecord.emplace("pp", std::to_string(*advertisedPairingPort_));
    return service;
}

NetworkListeners::StateHandler ServerCoordinator::listenerStateHandler(const char* name) {
    return [&log = platform_.log, name](ListenerState state, const std::optional<std::string>& error) {
        if (state == ListenerState::failed) {
            log.logf("Tavelin server: %s listener failed: %s", name, error.value_or("unknown error").c_str());
        }
    };
}

void ServerCoordinator::broadcastSnapshot(const DockSnapshot& snapshot) {
    broadcast({MessageType::dockSnapshot, snapshot});
}

void ServerCoordinator::broadcastSnapshotIcons(const DockSnapshot& snapshot) {
    std::vector<IconToken> tokens;
    std::unordered_set<IconToken> seen;
    for (const auto& item : snapshot.items) {
        if (item.iconToken && seen.insert(*item.iconToken).second) tokens.push_back(*item.iconToken);
    }
    auto icons = services_.icons.iconData(tokens, snapshot.items);
    if (!icons.empty()) broadcast({MessageType::iconData, std::move(icons)});
}

void ServerCoordinator::broadcastWallpaper() {
    // A fetch that names no picture is answered with the picture as it stands, or the unavailable one.
    auto answer = services_.wallpaper->answerFetch(WallpaperFetch{});
    if (auto* picture = std::get_if<WallpaperData>(&answer))
        broadcast({MessageType::wallpaperData, std::move(*picture)});
}

void ServerCoordinator::schedulePermissionsBroadcast() {
    if (permissionsBroadcastPending_) return;
    permissionsBroadcastPending_ = true;
    platform_.scheduler.main().async([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->permissionsBroadcastPending_ = false;
            self->broadcastPermissions();
        }
    });
}

// The settings rows poll every second: an unchanged state is not news.
void ServerCoordinator::broadcastPermissions() {
    const auto& permissions = *services_.permissions;
    const PermissionState state{.accessibility = permissions.accessibilityTrusted.value(),
                                .screenRecording = permissions.screenRecordingGranted.value()};
    if (state == lastPushedPermissions_) return;
    lastPushedPermissions_ = state;
    broadcast({MessageType::permissionsChanged, state});
}

void ServerCoordinator::broadcastIconInvalidated(const Notification& notification) {
    const auto* tokens = notification.userInfoValue<std::vector<IconToken>>("tokens");
    if (tokens && !tokens->empty()) broadcast({MessageType::iconInvalidated, IconInvalidated{*tokens}});
}

void ServerCoordinator::broadcastTrashIcon(const Notification& notification) {
    const auto* icons = notification.userInfoValue<std::vector<IconData>>("icons");
    if (icons && !icons->empty()) broadcast({MessageType::iconData, *icons});
}

}  // namespace tavelin
