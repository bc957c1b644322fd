#pragma once

// Which privacy permissions the program holds, and the requests for the missing ones. A request calls
// the system's own request, asks the folder cache to read the Dock's folders (which raises the system's
// consent prompts), or opens the matching pane of System Settings.
//
//     permissions->refresh();                                    // at start, and every second while
//                                                                // the settings show the rows
//     permissions->requestAllMissing(*folderCache, snapshot.items);  // asks for the first missing one
//
// Every assignment of a flag is announced (objectWillChange, then the flag's own publisher), also one
// that leaves it unchanged; so is every change of the folder access records.
//
// Main thread. The notification centre's answers arrive on a queue of the system's and are handed to
// the main queue; the settings answer holds the service weakly, so the service lives in a shared_ptr.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mac/core/FolderAccessRecords.h"
#include "platform/Accessibility.h"
#include "platform/Alerts.h"
#include "platform/FileSystem.h"
#include "platform/Privacy.h"
#include "platform/UserFolders.h"
#include "platform/UserNotificationCenter.h"
#include "platform/WorkspaceActions.h"
#include "protocol/DockItem.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Queue.h"

namespace tavelin {

class FolderContentCache;

enum class PermissionRowDisplayState { granted, denied, indeterminate };

template <>
struct EnumText<PermissionRowDisplayState> {
    static constexpr std::string_view names[] = {"granted", "denied", "indeterminate"};
};

class PermissionsService : public ObservableObject, public std::enable_shared_from_this<PermissionsService> {
  public:
    // In the order of the pending list and of the settings rows.
    enum class PermissionKind {
        screenRecording,
        accessibility,
        appManagement,
        standardFolders,
        notifications,
        fullDisk,
        removableVolume,
        networkVolume,
    };

    enum class VolumeCategory { removable, network };
    // What a volume's facts say it is: removable when removable or ejectable, network when known not to
    // be local, otherwise local (also when the local flag is not reported).
    enum class VolumeClass { local, removable, network };

    // What the service asks of the system.
    struct Platform {
        const Accessibility& accessibility;
        Privacy& privacy;
        UserNotificationCenter& notifications;
        WorkspaceActions& workspace;
        Alerts& alerts;
        const FileSystem& files;
        const UserFolders& folders;
        UserDefaults& defaults;  // the program's own domain
        Queue& mainQueue;
    };

    explicit PermissionsService(Platform platform);

  private:
    Platform platform_;
    FolderAccessRecords folderRecords_;

  public:
    Published<bool> accessibilityTrusted;
    Published<bool> screenRecordingGranted;
    Published<bool> folderCheckDone;
    // The system's screen-capture request has been shown once.
    Published<bool> screenRecordingRequested;
    // Screen recording was granted by a request in this run; it takes effect after a relaunch.
    Published<bool> screenRecordingNeedsRelaunch;
    Published<bool> notificationsGranted{*this, false};
    Published<bool> notificationsDetermined{*this, false};
    Published<bool> fullDiskAccessGranted{*this, false};
    Published<bool> appManagementDetermined{*this, false};
    Published<bool> appManagementGranted{*this, false};

    // Re-reads every flag the system owns. The notification settings arrive later, on the main queue.
    void refresh();

    void requestScreenRecordingAccess();
    // Asks for the first pending permission only, or tells the user that nothing is missing.
    void requestAllMissing(FolderContentCache& folderCache, const std::vector<DockItem>& dockItems);
    void performRequest(PermissionKind kind, FolderContentCache& folderCache,
                        const std::vector<DockItem>& dockItems);
    std::vector<PermissionKind> pendingPermissionKinds(const std::vector<DockItem>& dockItems) const;

    PermissionRowDisplayState appManagementDisplayState() const;
    PermissionRowDisplayState notificationsDisplayState() const;
    // No category: the folders on local volumes.
    PermissionRowDisplayState folderPermissionDisplayState(const std::vector<DockItem>& items,
                                                           std::optional<VolumeCategory> category) const;
    bool shouldShowVolumePermissionRow(const std::vector<DockItem>& items, VolumeCategory category) const;
    bool hasUnknownFolderAccess(const std::vector<DockItem>& items) const;

    FolderAccessState folderAccess(std::string_view path) const { return folderRecords_.state(path); }
    // The paths with a record, in the stored order.
    std::vector<std::string> storedFolderPaths() const { return folderRecords_.paths(); }
    // Writes and then announces a change; nothing when the path holds that state already.
    void setFolderAccess(FolderAccessState state, std::string_view path);
    // Sets the flag and writes it to "permissions.folderCheckDone".
    void markFolderCheckDone();

    // None for a local volume, and when the volume's facts cannot be read.
    std::optional<VolumeCategory> volumeCategory(std::string_view path) const;
    // None when the volume's facts cannot be read.
    std::optional<VolumeClass> volumeClass(std::string_view path) const;
    // Desktop, Documents and Downloads, by the home folder and as the system names them.
    std::set<std::string> standardFolderPaths() const;

    void requestStandardFolderAccess(FolderContentCache& folderCache, const std::vector<DockItem>& dockItems);
    void requestVolumeFolderAccess(VolumeCategory category, FolderContentCache& folderCache,
                                   const std::vector<DockItem>& dockItems);

    // Opens a pane of System Settings from its link; nothing for a text that is no URL.
    void openURL(std::string_view url);

  private:
    void requestNotifications();
    void applyNotificationStatus(NotificationAuthorizationStatus status);
    // The paths of the Dock's folder items with a path, in order.
    static std::vector<std::string> dockFolderPaths(const std::vector<DockItem>& items);
    bool isOnVolume(std::string_view path, std::optional<VolumeCategory> category) const;
};

template <>
struct EnumText<PermissionsService::PermissionKind> {
    static constexpr std::string_view names[] = {"screenRecording", "accessibility", "appManagement",
                                                 "standardFolders", "notifications", "fullDisk",
                                                 "removableVolume", "networkVolume"};
};

// The panes of System Settings that the requests open.
namespace SettingsPane {
inline constexpr std::string_view screenCapture =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";
inline constexpr std::string_view accessibility =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
inline constexpr std::string_view appManagement =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AppManagement";
inline constexpr std::string_view notifications =
    "x-apple.systempreferences:com.apple.Notifications-Settings.extension";
inline constexpr std::string_view fullDisk =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
inline constexpr std::string_view filesAndFolders =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_FilesAndFolders";
}  // namespace SettingsPane

}  // namespace tavelin
