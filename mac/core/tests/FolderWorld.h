#pragma once

// A simulated Mac in a fresh home folder, on virtual time, for the tests of folder listings, folder
// access, permissions and drops: real files and folders made by the test (with the modification times
// it gives), the refusals it injects through the simulated disk, and the services made over the world.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "mac/core/DockStateService.h"
#include "mac/core/FolderContentCache.h"
#include "mac/core/IconService.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/settings/AppSettings.h"
#include "platform/ManualFileWatcher.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/DockItem.h"
#include "protocol/FolderSnapshot.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

template <class Tag>
void PrintTo(const Identifier<Tag>& id, std::ostream* out) {
    *out << '"' << id.rawValue() << '"';
}
inline void PrintTo(const CommandResultPayload& payload, std::ostream* out) {
    if (const auto* error = std::get_if<ProtocolError>(&payload.value)) {
        *out << "failure: " << error->errorDescription();
    } else {
        *out << "success";
    }
}
inline void PrintTo(const FolderChild& child, std::ostream* out) {
    const auto json = encodeJSON(child);
    *out << (json ? *json : json.error().message);
}
inline void PrintTo(const FolderSnapshot& snapshot, std::ostream* out) {
    const auto json = encodeJSON(snapshot);
    *out << (json ? *json : json.error().message);
}

class FolderWorld : public ::testing::Test {
  protected:
    // Finder, and applications that open documents: Preview opens PDF and pictures, TextEdit text.
    static sim::Desktop standardDesktop() {
        return sim::Desktop{
            .applications = {
                {"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                {"com.apple.Preview",
                 "Preview",
                 "/System/Applications/Preview.app",
                 false,
                 RawActivationPolicy::regular,
                 std::nullopt,
                 {"pdf", "jpg"}},
                {"com.apple.TextEdit",
                 "TextEdit",
                 "/System/Applications/TextEdit.app",
                 false,
                 RawActivationPolicy::regular,
                 std::nullopt,
                 {"txt"}},
            }};
    }

    explicit FolderWorld(sim::Desktop desktop = standardDesktop())
        : mac_(std::move(desktop), home_.path(), scheduler_, log_),
          settings_(mac_.standardUserDefaults(), mac_.host(), scheduler_.main()) {}

    sim::SimMac& mac() { return mac_; }
    sim::SimFileSystem& files() { return mac_.fileSystem(); }
    AppSettings& settings() { return settings_; }
    IconService& icons() { return icons_; }
    const std::filesystem::path& home() const { return home_.path(); }

    // A moment on the wall clock: `seconds` after 2024-05-01 12:00:00 UTC.
    static Timestamp at(std::int64_t seconds) {
        using namespace std::chrono;
        return Timestamp(sys_days(year(2024) / May / 1) + hours(12) + std::chrono::seconds(seconds));
    }

    static void setModified(const std::filesystem::path& path, Timestamp time) {
        using namespace std::chrono;
        const auto sinceEpoch = time.time_since_epoch();
        const auto wholeSeconds = floor<seconds>(sinceEpoch);
        const timespec times[2] = {
            {0, UTIME_OMIT},
            {static_cast<time_t>(wholeSeconds.count()),
             static_cast<long>(duration_cast<nanoseconds>(sinceEpoch - wholeSeconds).count())},
        };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
    }

    // Under the home folder, with the folders above it; with a modification time when given.
    std::filesystem::path makeFile(const std::filesystem::path& relative, std::string_view contents = "",
                                   std::optional<Timestamp> modified = std::nullopt) {
        const auto path = home_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << contents;
        if (modified) setModified(path, *modified);
        return path;
    }
    std::filesystem::path makeFolder(const std::filesystem::path& relative,
                                     std::optional<Timestamp> modified = std::nullopt) {
        const auto path = home_ / relative;
        std::filesystem::create_directories(path);
        if (modified) setModified(path, *modified);
        return path;
    }

    static DockItem folderItem(std::string itemID, const std::filesystem::path& path,
                               std::int64_t dockIndex = 0) {
        return DockItem{
            .itemID = ItemID(std::move(itemID)),
            .region = DockRegion::dockOthers,
            .kind = DockItemKind::folder,
            .path = path.string(),
            .title = path.filename().string(),
            .dockIndex = dockIndex,
        };
    }

    std::shared_ptr<PermissionsService> makePermissions() {
        return std::make_shared<PermissionsService>(
            PermissionsService::Platform{mac_.accessibility(), mac_.privacy(), mac_.userNotifications(),
                                         mac_.workspaceActions(), mac_.alerts(), mac_.fileSystem(),
                                         mac_.folders(), mac_.standardUserDefaults(), scheduler_.main()});
    }
    std::shared_ptr<FolderContentCache> makeCache(std::weak_ptr<PermissionsService> permissions) {
        return std::make_shared<FolderContentCache>(
            FolderService(mac_.fileSystem(), scheduler_.clock()), settings_, icons_, std::move(permissions),
            FolderContentCache::Platform{scheduler_, mac_.fileSystem(), watcher_});
    }

    // The live Dock snapshot, read in the Dock's Accessibility order.
    std::shared_ptr<DockStateService> startDockState() {
        mac_.accessibility().setProcessTrusted(true);
        return DockStateService::create({mac_.userDefaults(), mac_.folders(), mac_.workspace(), mac_.host(),
                                         mac_.accessibility(), watcher_, mac_.notificationCenter()},
                                        scheduler_, runningApps_, composer_, settings_);
    }

    static std::string readFile(const std::filesystem::path& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    sim::SimMac mac_;
    AppSettings settings_;
    IconService icons_{{mac_.workspaceIcons(), mac_.workspace(), mac_.fileSystem(), mac_.folders(),
                        mac_.host(), mac_.notificationCenter()}};
    ManualFileWatcher watcher_;
    RunningAppsService runningApps_{mac_.workspace(), mac_.host(), scheduler_.main()};
    SnapshotComposer composer_{settings_, icons_, mac_.workspace(), mac_.fileSystem()};
};

}  // namespace tavelin
