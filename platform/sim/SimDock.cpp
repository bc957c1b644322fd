#include "platform/sim/SimDock.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

#include "platform/FileURL.h"
#include "platform/sim/DockTiles.h"

namespace tavelin::sim {
namespace {

constexpr std::string_view kFinder = "com.apple.finder";

SimAXNode dockItem(std::string_view subrole, std::string_view title, std::optional<std::string> url) {
    SimAXNode node;
    node.set("AXRole", "AXDockItem")
        .set("AXSubrole", std::string(subrole))
        .set("AXTitle", std::string(title));
    if (url) node.set("AXURL", std::move(*url));
    return node;
}

std::string_view spacerTileType(DesktopDockTileKind kind) {
    switch (kind) {
        case DesktopDockTileKind::smallSpacer:
            return "small-spacer-tile";
        case DesktopDockTileKind::flexSpacer:
            return "flex-spacer-tile";
        default:
            return "spacer-tile";
    }
}

}  // namespace

SimDock::SimDock(SimWorkspace& workspace, SimAccessibility& accessibility, UserDefaults& preferences,
                 std::filesystem::path homeFolder)
    : workspace_(workspace),
      accessibility_(accessibility),
      preferences_(preferences),
      homeFolder_(std::move(homeFolder)) {}

RunningApplication SimDock::dockProcess() const {
    return RunningApplication{
        .bundleIdentifier = "com.apple.dock",
        .localizedName = "Dock",
        .bundlePath = diskPath(homeFolder_, "/System/Library/CoreServices/Dock.app"),
        .activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::accessory),
    };
}

void SimDock::start(DesktopDock dock) {
    processIdentifier_ = workspace_.addRunningProcess(dockProcess());
    configure(std::move(dock));
}

void SimDock::relaunch() {
    if (processIdentifier_) workspace_.terminate(*processIdentifier_);
    processIdentifier_ = workspace_.launchProcess(dockProcess());
    refreshAccessibility();
}

void SimDock::configure(DesktopDock dock) {
    dock_ = std::move(dock);
    makeMissingFiles();
    preferences_.setPersistentDomain(preferences());
    refreshAccessibility();
}

std::optional<std::int32_t> SimDock::processIdentifier() const {
    if (!processIdentifier_ || !workspace_.process(*processIdentifier_)) return std::nullopt;
    return processIdentifier_;
}

void SimDock::refreshAccessibility() {
    if (!processIdentifier_) return;
    if (workspace_.process(*processIdentifier_)) {
        accessibility_.setTree(*processIdentifier_, tree());
    } else {
        accessibility_.removeTree(*processIdentifier_);
    }
}

PlistDict SimDock::preferences() const {
    const auto applicationTile = [&](const std::string& bundleIdentifier,
                                     const std::optional<std::string>& label) {
        const auto* application = workspace_.installedApplication(bundleIdentifier);
        const auto name = label ? *label : application ? application->name : bundleIdentifier;
        return dockApplicationTile(bundleIdentifier, name,
                                   application ? std::optional(application->path) : std::nullopt);
    };
    const auto tiles = [&](const std::vector<DesktopDockTile>& list) {
        PlistArray records;
        for (const auto& tile : list) {
            const auto path = diskPath(homeFolder_, tile.target);
            switch (tile.kind) {
                case DesktopDockTileKind::application:
                    records.emplace_back(applicationTile(tile.target, tile.label));
                    break;
                case DesktopDockTileKind::folder:
                    records.emplace_back(dockFolderTile(path, tile.label.value_or(path.filename().string()),
                                                        tile.showAs, tile.arrangement));
                    break;
                case DesktopDockTileKind::file:
                    records.emplace_back(dockFileTile(path, tile.label.value_or(path.filename().string())));
                    break;
                case DesktopDockTileKind::url:
                    records.emplace_back(dockURLTile(tile.target, tile.label.value_or(tile.target)));
                    break;
                default:
                    records.emplace_back(dockSpacerTile(spacerTileType(tile.kind)));
            }
        }
        return records;
    };
    PlistArray recents;
    for (const auto& bundleIdentifier : dock_.recents)
        recents.emplace_back(applicationTile(bundleIdentifier, {}));
    return PlistDict{
        {"persistent-apps", tiles(dock_.fixed)},
        {"persistent-others", tiles(dock_.others)},
        {"recent-apps", std::move(recents)},
        {"show-recents", dock_.showRecents},
    };
}

SimAXNode SimDock::applicationTile(std::string_view bundleIdentifier,
                                   const std::optional<std::string>& label) const {
    const auto* application = workspace_.installedApplication(bundleIdentifier);
    const auto title = label ? *label : application ? application->name : std::string(bundleIdentifier);
    return dockItem("AXApplicationDockItem", title,
                    application ? std::optional(fileURL(application->path, true)) : std::nullopt);
}

SimAXNode SimDock::tile(const DesktopDockTile& tile) const {
    const auto path = diskPath(homeFolder_, tile.target);
    switch (tile.kind) {
        case DesktopDockTileKind::application:
            return applicationTile(tile.target, tile.label);
        case DesktopDockTileKind::folder:
            return dockItem("AXFolderDockItem", tile.label.value_or(path.filename().string()),
                            fileURL(path, true));
        case DesktopDockTileKind::file:
            return dockItem("AXDocumentDockItem", tile.label.value_or(path.filename().string()),
                            fileURL(path, false));
        case DesktopDockTileKind::url:
            return dockItem("AXURLDockItem", tile.label.value_or(tile.target), tile.target);
        default:
            return dockItem("AXSpacerDockItem", "", std::nullopt);
    }
}

SimAXNode SimDock::tree() const {
    std::vector<SimAXNode> tiles;
    std::set<std::string, std::less<>> pinned{std::string(kFinder)};
    const auto isApplication = [](const DesktopDockTile& tile) {
        return tile.kind == DesktopDockTileKind::application;
    };
    if (std::ranges::none_of(dock_.fixed,
                             [&](const auto& t) { return isApplication(t) && t.target == kFinder; })) {
        tiles.push_back(applicationTile(kFinder, std::nullopt));
    }
    for (const auto& fixed : dock_.fixed) {
        tiles.push_back(tile(fixed));
        if (isApplication(fixed)) pinned.insert(fixed.target);
    }
    for (const auto& other : dock_.others) {
        if (isApplication(other)) pinned.insert(other.target);
    }

    // Recent applications (only the running ones when recents are not shown), then the other running
    // regular applications in the order they started.
    std::vector<std::string> middle;
    const auto addMiddle = [&](const std::string& bundleIdentifier) {
        if (!pinned.contains(bundleIdentifier) && std::ranges::find(middle, bundleIdentifier) == middle.end())
            middle.push_back(bundleIdentifier);
    };
    for (const auto& recent : dock_.recents) {
        if (dock_.showRecents || workspace_.process(recent)) addMiddle(recent);
    }
    for (const auto& process : workspace_.runningApplications()) {
        if (process.bundleIdentifier &&
            process.activationPolicy == static_cast<std::int64_t>(RawActivationPolicy::regular))
            addMiddle(*process.bundleIdentifier);
    }

    const auto separator = dockItem("AXSeparatorDockItem", "", std::nullopt);
    tiles.push_back(separator);
    if (!middle.empty()) {
        for (const auto& bundleIdentifier : middle)
            tiles.push_back(applicationTile(bundleIdentifier, std::nullopt));
        tiles.push_back(separator);
    }
    for (const auto& other : dock_.others) tiles.push_back(tile(other));
    tiles.push_back(dockItem("AXTrashDockItem", "Trash", fileURL(homeFolder_ / ".Trash", true)));

    SimAXNode list;
    list.set("AXRole", "AXList").set("AXChildren", std::move(tiles));
    SimAXNode application;
    application.set("AXRole", "AXApplication").set("AXTitle", "Dock").set("AXChildren", std::vector{list});
    return application;
}

void SimDock::makeMissingFiles() const {
    std::error_code ignored;  // a tile whose file cannot be made is simply unavailable
    for (const auto& tile : dock_.others) {
        const auto path = diskPath(homeFolder_, tile.target);
        if (tile.kind == DesktopDockTileKind::folder) {
            std::filesystem::create_directories(path, ignored);
        } else if (tile.kind == DesktopDockTileKind::file && !std::filesystem::exists(path, ignored)) {
            std::filesystem::create_directories(path.parent_path(), ignored);
            std::ofstream{path};
        }
    }
}

}  // namespace tavelin::sim
