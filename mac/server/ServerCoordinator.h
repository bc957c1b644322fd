#pragma once

// The device server: the session listener (advertised over Bonjour as "_tavelin._tcp", named after
// the Mac's display name), the pairing listener (open only while "pairing.acceptNew" is on), the
// paired-device store and the pairing state, and what is pushed to every authenticated session.
//
//     server = ServerCoordinator::create(services, platform);  // six subscriptions, no listener yet
//     server->start();                                          // once, by the service container
//
// Pushes, each to every authenticated session (pushes()):
// - a new Dock snapshot (not the one current at construction, never none), on the main queue and only
//   while someone receives the pushes: "dock.snapshot", then "icon.data" with the pictures of all its
//   icon tokens;
// - a new desktop picture token: "wallpaper.data" with the picture as it then stands;
// - a change of the permissions: "permissions.changed", once per burst (a refresh announces about
//   eight changes at once), on the main queue, and only when the state differs from the last pushed;
// - "tavelin.iconInvalidated": "icon.invalidated" with its tokens;
// - "tavelin.trashIconPushed": "icon.data" with the Trash's new picture.
// A change of the settings restarts the pairing listener and republishes the Bonjour TXT record, on the
// main queue.
//
// The TXT record: pv (the protocol version), mid (the machine ID), name (the display name), ver (the
// program's version), pair ("1" while new devices may pair, else "0") and, once known, pp (the pairing
// listener's port). The pairing listener keeps the advertised port across restarts, so that pp stays
// true.
//
// Main thread; the listeners report on the main queue. Subscriptions and tasks hold the server weakly,
// so it lives in a shared_ptr. Destroying it stops its listeners and its delayed task.

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "mac/core/DockStateService.h"
#include "mac/core/FolderContentCache.h"
#include "mac/core/FolderService.h"
#include "mac/core/IconService.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/WallpaperService.h"
#include "mac/server/DeviceStore.h"
#include "mac/server/PairingCoordinator.h"
#include "mac/server/ServerPush.h"
#include "mac/settings/AppSettings.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/WindowThumbnailService.h"
#include "platform/HostInfo.h"
#include "platform/NetworkListeners.h"
#include "runtime/NotificationCenter.h"
#include "runtime/Published.h"
#include "runtime/Scheduler.h"
#include "runtime/Subject.h"
#include "runtime/SystemLog.h"
#include "runtime/Task.h"

namespace tavelin {

class ServerCoordinator : public std::enable_shared_from_this<ServerCoordinator> {
  public:
    // What the sessions serve from.
    struct Services {
        AppSettings& settings;
        std::shared_ptr<DockStateService> dockState;
        const CommandExecutor& executor;
        const FolderService& folders;
        std::shared_ptr<WallpaperService> wallpaper;
        std::shared_ptr<PermissionsService> permissions;
        std::shared_ptr<FolderContentCache> folderCache;
        std::shared_ptr<WindowListService> windowList;
        std::shared_ptr<WindowThumbnailService> windowThumbnails;
        const WindowActionService& windowActions;
        IconService& icons;
    };

    struct Platform {
        Scheduler& scheduler;
        SystemLog& log;
        NetworkListeners& network;
        const HostInfo& host;
        NotificationCenter& notifications;  // the default centre
        DeviceStore::Platform deviceStore;
    };

    static constexpr Duration kPairingPortDelay = std::chrono::seconds(2);

    // Makes the device store and the pairing state and subscribes; listens to nothing yet.
    static std::shared_ptr<ServerCoordinator> create(Services services, Platform platform);
    ~ServerCoordinator();
    ServerCoordinator(const ServerCoordinator&) = delete;
    ServerCoordinator& operator=(const ServerCoordinator&) = delete;

    // The session listener, the pairing listener, and 2 s later the pairing port and the TXT record.
    void start();
    void restartSessionListener();
    // Closed while new devices may not pair.
    void restartPairingListener();
    // Advertises the current TXT record with the session listener, when there is one.
    void updateBonjourTXT();

    // What every authenticated session sends; values arrive on the main thread.
    Publisher<ServerPush> pushes() const { return pushes_.publisher(); }

    DeviceStore& deviceStore() { return deviceStore_; }
    PairingCoordinator& pairing() { return pairing_; }
    std::optional<std::uint16_t> advertisedPairingPort() const { return advertisedPairingPort_; }
    bool hasSessionListener() const { return sessionListener_ != nullptr; }
    bool hasPairingListener() const { return pairingListener_ != nullptr; }
    BonjourService bonjourService() const;

    Published<std::unordered_set<DeviceID>> connectedDeviceIDs;

  private:
    ServerCoordinator(Services services, Platform platform);

    void subscribe();
    void broadcast(ServerPush push) { pushes_.send(push); }
    void broadcastSnapshot(const DockSnapshot& snapshot);
    void broadcastSnapshotIcons(const DockSnapshot& snapshot);
    void broadcastWallpaper();
    void broadcastPermissions();
    void schedulePermissionsBroadcast();
    void broadcastIconInvalidated(const Notification& notification);
    void broadcastTrashIcon(const Notification& notification);
    NetworkListeners::StateHandler listenerStateHandler(const char* name);
    static Task<void> recordPairingPortLater(std::weak_ptr<ServerCoordinator> weak, Duration delay);

    Services services_;
    Platform platform_;
    DeviceStore deviceStore_;
    PairingCoordinator pairing_;
    std::unique_ptr<NetworkListener> sessionListener_;
    std::unique_ptr<NetworkListener> pairingListener_;
    std::optional<std::uint16_t> advertisedPairingPort_;
    bool permissionsBroadcastPending_ = false;
    std::optional<PermissionState> lastPushedPermissions_;
    TaskHandle pairingPortTask_;
    Subject<ServerPush> pushes_;
    // Last, so that they go first.
    std::vector<Subscription> subscriptions_;
};

}  // namespace tavelin
