#include "mac/core/PermissionsService.h"

#include <algorithm>

#include "mac/core/AppManagementAccess.h"
#include "mac/core/FolderContentCache.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

constexpr std::string_view kScreenRecordingRequestedKey = "permissions.screenRecordingRequested";
constexpr std::string_view kScreenRecordingNeedsRelaunchKey = "permissions.screenRecordingNeedsRelaunch";
constexpr std::string_view kRequestAllNoneMessage = "permission.requestAll.none";

}  // namespace

PermissionsService::PermissionsService(Platform platform)
    : ObservableObject(platform.mainQueue),
      platform_(platform),
      folderRecords_(platform.defaults),
      accessibilityTrusted(*this, platform.accessibility.isProcessTrusted()),
      screenRecordingGranted(*this, platform.privacy.preflightScreenCaptureAccess()),
      folderCheckDone(*this, platform.defaults.boolForKey(kFolderCheckDoneKey)),
      screenRecordingRequested(*this, platform.defaults.boolForKey(kScreenRecordingRequestedKey)),
      screenRecordingNeedsRelaunch(*this, platform.defaults.boolForKey(kScreenRecordingNeedsRelaunchKey)) {}

void PermissionsService::refresh() {
    accessibilityTrusted = platform_.accessibility.isProcessTrusted();

    const bool screenCapture = platform_.privacy.preflightScreenCaptureAccess();
    if (screenCapture && screenRecordingNeedsRelaunch.value()) {
        // The grant has taken effect in this process.
        screenRecordingNeedsRelaunch = false;
        platform_.defaults.set(kScreenRecordingNeedsRelaunchKey, false);
    }
    screenRecordingGranted = screenCapture;

    const auto trash = platform_.folders.trashDirectory();
    fullDiskAccessGranted =
        trash && platform_.files.contentsOfDirectory(*trash, HiddenFiles::include).has_value();

    switch (AppManagementAccess::query(platform_.privacy)) {
        case AppManagementAccessState::granted:
            appManagementDetermined = true;
            appManagementGranted = true;
            break;
        case AppManagementAccessState::denied:
            appManagementDetermined = true;
            appManagementGranted = false;
            break;
        case AppManagementAccessState::unknown:
            appManagementDetermined = false;
            appManagementGranted = false;
            break;
    }

    platform_.notifications.getNotificationSettings(
        [weak = weak_from_this(), &mainQueue = platform_.mainQueue](NotificationAuthorizationStatus status) {
            if (weak.expired()) return;
            mainQueue.async([weak, status] {
                if (auto self = weak.lock()) self->applyNotificationStatus(status);
            });
        });
}

void PermissionsService::applyNotificationStatus(NotificationAuthorizationStatus status) {
    switch (status) {
        case NotificationAuthorizationStatus::authorized:
        case NotificationAuthorizationStatus::provisional:
        case NotificationAuthorizationStatus::ephemeral:
            notificationsGranted = true;
            notificationsDetermined = true;
            return;
        case NotificationAuthorizationStatus::denied:
            notificationsGranted = false;
            notificationsDetermined = true;
            return;
        case NotificationAuthorizationStatus::notDetermined:
            break;
    }
    notificationsGranted = false;
    notificationsDetermined = false;
}

void PermissionsService::requestScreenRecordingAccess() {
    if (screenRecordingGranted.value()) return;
    if (screenRecordingRequested.value()) {
        openURL(SettingsPane::screenCapture);
        return;
    }
    platform_.privacy.requestScreenCaptureAccess();
    screenRecordingRequested = true;
    platform_.defaults.set(kScreenRecordingRequestedKey, true);
    refresh();
    if (screenRecordingGranted.value()) {
        screenRecordingNeedsRelaunch = true;
        platform_.defaults.set(kScreenRecordingNeedsRelaunchKey, true);
    }
}

void PermissionsService::requestAllMissing(FolderContentCache& folderCache,
                                           const std::vector<DockItem>& dockItems) {
    const auto pending = pendingPermissionKinds(dockItems);
    if (pending.empty()) {
        platform_.alerts.runInformationalAlert(std::string(kRequestAllNoneMessage));
        return;
    }
    performRequest(pending.front(), folderCache, dockItems);
}

void PermissionsService::performRequest(PermissionKind kind, FolderContentCache& folderCache,
                                        const std::vector<DockItem>& dockItems) {
    switch (kind) {
        case PermissionKind::screenRecording:
            return requestScreenRecordingAccess();
        case PermissionKind::accessibility:
            return openURL(SettingsPane::accessibility);
        case PermissionKind::appManagement:
            return openURL(SettingsPane::appManagement);
        case PermissionKind::standardFolders:
            return requestStandardFolderAccess(folderCache, dockItems);
        case PermissionKind::notifications:
            if (notificationsDetermined.value()) return openURL(SettingsPane::notifications);
            return requestNotifications();
        case PermissionKind::fullDisk:
            return openURL(SettingsPane::fullDisk);
        case PermissionKind::removableVolume:
            return requestVolumeFolderAccess(VolumeCategory::removable, folderCache, dockItems);
        case PermissionKind::networkVolume:
            return requestVolumeFolderAccess(VolumeCategory::network, folderCache, dockItems);
    }
}

void PermissionsService::requestNotifications() {
    platform_.notifications.requestAuthorization(
        kNotificationOptionSound | kNotificationOptionAlert,
        [self = shared_from_this()](bool, std::optional<std::string>) {
            self->platform_.mainQueue.async([self] { self->refresh(); });
        });
}

std::vector<PermissionsService::PermissionKind> PermissionsService::pendingPermissionKinds(
    const std::vector<DockItem>& dockItems) const {
    std::vector<PermissionKind> pending;
    if (!screenRecordingGranted.value()) pending.push_back(PermissionKind::screenRecording);
    if (!accessibilityTrusted.value()) pending.push_back(PermissionKind::accessibility);
    if (appManagementDisplayState() == PermissionRowDisplayState::denied) {
        pending.push_back(PermissionKind::appManagement);
    }
    if (folderPermissionDisplayState(dockItems, std::nullopt) == PermissionRowDisplayState::denied) {
        pending.push_back(PermissionKind::standardFolders);
    }
    if (notificationsDisplayState() != PermissionRowDisplayState::granted) {
        pending.push_back(PermissionKind::notifications);
    }
    if (!fullDiskAccessGranted.value()) pending.push_back(PermissionKind::fullDisk);
    for (const auto& [category, kind] :
         {std::pair{VolumeCategory::removable, PermissionKind::removableVolume},
          std::pair{VolumeCategory::network, PermissionKind::networkVolume}}) {
        if (shouldShowVolumePermissionRow(dockItems, category) &&
            folderPermissionDisplayState(dockItems, category) == PermissionRowDisplayState::denied) {
            pending.push_back(kind);
        }
    }
    return pending;
}

PermissionRowDisplayState PermissionsService::appManagementDisplayState() const {
    if (!appManagementDetermined.value()) return PermissionRowDisplayState::indeterminate;
    return appManagementGranted.value() ? PermissionRowDisplayState::granted
                                        : PermissionRowDisplayState::denied;
}

PermissionRowDisplayState PermissionsService::notificationsDisplayState() const {
    if (notificationsGranted.value()) return PermissionRowDisplayState::granted;
    return notificationsDetermined.value() ? PermissionRowDisplayState::denied
                                           : PermissionRowDisplayState::indeterminate;
}

PermissionRowDisplayState PermissionsService::folderPermissionDisplayState(
    const std::vector<DockItem>& items, std::optional<VolumeCategory> category) const {
    auto paths = dockFolderPaths(items);
    std::ranges::copy(storedFolderPaths(), std::back_inserter(paths));
    const bool allGranted = std::ranges::all_of(paths, [&](const std::string& path) {
        return !isOnVolume(path, category) || folderAccess(path) == FolderAccessState::granted;
    });
    return allGranted ? PermissionRowDisplayState::granted : PermissionRowDisplayState::denied;
}

bool PermissionsService::shouldShowVolumePermissionRow(const std::vector<DockItem>& items,
                                                       VolumeCategory category) const {
    const auto dockPaths = dockFolderPaths(items);
    if (std::ranges::any_of(dockPaths, [&](const std::string& path) { return isOnVolume(path, category); })) {
        return true;
    }
    return std::ranges::any_of(storedFolderPaths(), [&](const std::string& path) {
        return isOnVolume(path, category) && folderAccess(path) != FolderAccessState::unknown;
    });
}

bool PermissionsService::hasUnknownFolderAccess(const std::vector<DockItem>& items) const {
    return std::ranges::any_of(dockFolderPaths(items), [&](const std::string& path) {
        return folderAccess(path) == FolderAccessState::unknown;
    });
}

void PermissionsService::setFolderAccess(FolderAccessState state, std::string_view path) {
    if (folderRecords_.store(state, path)) sendObjectWillChange();
}

void PermissionsService::markFolderCheckDone() {
    folderCheckDone = true;
    platform_.defaults.set(kFolderCheckDoneKey, true);
}

std::optional<PermissionsService::VolumeCategory> PermissionsService::volumeCategory(
    std::string_view path) const {
    switch (volumeClass(path).value_or(VolumeClass::local)) {
        case VolumeClass::removable:
            return VolumeCategory::removable;
        case VolumeClass::network:
            return VolumeCategory::network;
        case VolumeClass::local:
            break;
    }
    return std::nullopt;
}

std::optional<PermissionsService::VolumeClass> PermissionsService::volumeClass(std::string_view path) const {
    const auto facts = platform_.files.volumeFacts(std::filesystem::path(path));
    if (!facts) return std::nullopt;
    if (facts->isRemovable.value_or(false) || facts->isEjectable.value_or(false)) return VolumeClass::removable;
    if (facts->isLocal == false) return VolumeClass::network;
    return VolumeClass::local;
}

std::set<std::string> PermissionsService::standardFolderPaths() const {
    const auto home = platform_.folders.homeDirectory();
    std::set<std::string> paths;
    for (const char* name : {"Desktop", "Documents", "Downloads"}) paths.insert((home / name).string());
    for (const auto& folder : {platform_.folders.desktopDirectory(), platform_.folders.documentsDirectory(),
                               platform_.folders.downloadsDirectory()}) {
        if (folder) paths.insert(folder->string());
    }
    return paths;
}

void PermissionsService::requestStandardFolderAccess(FolderContentCache& folderCache,
                                                     const std::vector<DockItem>& dockItems) {
    const auto standard = standardFolderPaths();
    auto paths = dockFolderPaths(dockItems);
    std::erase_if(paths, [&](const std::string& path) { return !standard.contains(path); });
    if (paths.empty()) return openURL(SettingsPane::filesAndFolders);
    const bool someUnknown = std::ranges::any_of(
        paths, [&](const std::string& path) { return folderAccess(path) == FolderAccessState::unknown; });
    if (someUnknown ||
        folderPermissionDisplayState(dockItems, std::nullopt) != PermissionRowDisplayState::denied) {
        return folderCache.checkAllRootFolders(dockItems);
    }
    openURL(SettingsPane::filesAndFolders);
}

void PermissionsService::requestVolumeFolderAccess(VolumeCategory category, FolderContentCache& folderCache,
                                                   const std::vector<DockItem>& dockItems) {
    const auto paths = dockFolderPaths(dockItems);
    const bool someUnknown = std::ranges::any_of(paths, [&](const std::string& path) {
        return isOnVolume(path, category) && folderAccess(path) == FolderAccessState::unknown;
    });
    if (someUnknown) return folderCache.checkAllRootFolders(dockItems);
    openURL(SettingsPane::filesAndFolders);
}

void PermissionsService::openURL(std::string_view url) {
    if (isValidURL(url)) platform_.workspace.openURL(url);
}

std::vector<std::string> PermissionsService::dockFolderPaths(const std::vector<DockItem>& items) {
    std::vector<std::string> paths;
    for (const auto& item : items) {
        if (item.kind == DockItemKind::folder && item.path) paths.push_back(*item.path);
    }
    return paths;
}

bool PermissionsService::isOnVolume(std::string_view path, std::optional<VolumeCategory> category) const {
    return volumeCategory(path) == category;
}

}  // namespace tavelin
