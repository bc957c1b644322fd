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

const PlistDict* dictionary(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    return value ? value->getIf<PlistDict>() : nullptr;
}

std::optional<std::string> text(const PlistDict* dict, std::string_view key) {
    const auto* value = dict ? dict->find(key) : nullptr;
    const auto* string = value ? value->getIf<std::string>() : nullptr;
    return string ? std::optional(*string) : std::nullopt;
}

// The tile records of one list of the Dock's preferences; anything else in the list is skipped.
std::vector<PlistDict> records(const PlistDict& preferences, std::string_view key) {
    std::vector<PlistDict> list;
    const auto* value = preferences.find(key);
    if (const auto* array = value ? value->getIf<PlistArray>() : nullptr) {
        for (const auto& entry : *array) {
            if (const auto* record = entry.getIf<PlistDict>()) list.push_back(*record);
        }
    }
    return list;
}

std::optional<std::string> bundleIDOf(const PlistDict& record) {
    return text(dictionary(record, "tile-data"), "bundle-identifier");
}

// One tile of the preferences as the Dock shows it; none for a tile type it does not know.
std::optional<SimAXNode> recordTile(const PlistDict& record) {
    const auto type = text(&record, "tile-type").value_or("");
    const auto* data = dictionary(record, "tile-data");
    const auto label = text(data, "file-label").value_or("");
    const auto file = text(data ? dictionary(*data, "file-data") : nullptr, "_CFURLString");
    if (type == "file-tile")
        return dockItem(bundleIDOf(record) ? "AXApplicationDockItem" : "AXDocumentDockItem", label, file);
    if (type == "directory-tile") return dockItem("AXFolderDockItem", label, file);
    if (type == "url-tile")
        return dockItem("AXURLDockItem", label, text(data ? dictionary(*data, "url") : nullptr, "_CFURLString"));
    if (type.ends_with("spacer-tile")) return dockItem("AXSpacerDockItem", "", std::nullopt);
    return std::nullopt;
}

}  // namespace

SimDock::SimDock(SimWorkspace& workspace, SimAccessibility& accessibility, UserDefaults& preferences,
                 std::filesystem::path homeFolder)
    : workspace_(workspace),
      accessibility_(accessibility),
      preferences_(preferences),
      homeFolder_(std::move(homeFolder)),
      preferencesChanged_(preferences_.didChangePublisher().sink([this](std::monostate) {
          refreshAccessibility();
      })) {}

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
    std::error_code error;
    if (!std::filesystem::exists(preferences_.file(), error)) return configure(std::move(dock));
    // A hand edit in a kept home folder is the Dock's state, not something to write over.
    dock_ = std::move(dock);
    refreshAccessibility();
}

void SimDock::relaunch() {
    if (processIdentifier_) workspace_.terminate(*processIdentifier_);
    processIdentifier_ = workspace_.launchProcess(dockProcess());
    refreshAccessibility();
}

void SimDock::configure(DesktopDock dock) {
    dock_ = std::move(dock);
    makeMissingFiles();
    preferences_.setPersistentDomain(preferences());  // the tree follows
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

SimAXNode SimDock::applicationTile(std::string_view bundleIdentifier) const {
    const auto* application = workspace_.installedApplication(bundleIdentifier);
    return dockItem("AXApplicationDockItem", application ? application->name : std::string(bundleIdentifier),
                    application ? std::optional(fileURL(application->path, true)) : std::nullopt);
}

SimAXNode SimDock::tree() const {
    const auto preferences = preferences_.persistentDomain().value_or(PlistDict{});
    const auto fixed = records(preferences, "persistent-apps");
    const auto others = records(preferences, "persistent-others");
    const auto* showRecentsValue = preferences.find("show-recents");
    const auto* showRecents = showRecentsValue ? showRecentsValue->getIf<bool>() : nullptr;

    std::vector<SimAXNode> tiles;
    std::set<std::string, std::less<>> pinned{std::string(kFinder)};
    if (std::ranges::none_of(fixed, [](const PlistDict& record) { return bundleIDOf(record) == kFinder; }))
        tiles.push_back(applicationTile(kFinder));
    for (const auto& record : fixed) {
        if (auto node = recordTile(record)) tiles.push_back(std::move(*node));
        if (const auto bundleID = bundleIDOf(record)) pinned.insert(*bundleID);
    }
    for (const auto& record : others) {
        if (const auto bundleID = bundleIDOf(record)) pinned.insert(*bundleID);
    }

    // Recent applications (only the running ones when recents are not shown), then the other running
    // regular applications in the order they started.
    std::vector<std::string> middle;
    const auto addMiddle = [&](const std::string& bundleIdentifier) {
        if (!pinned.contains(bundleIdentifier) && std::ranges::find(middle, bundleIdentifier) == middle.end())
            middle.push_back(bundleIdentifier);
    };
    for (const auto& record : records(preferences, "recent-apps")) {
        const auto recent = bundleIDOf(record);
        if (recent && ((!showRecents || *showRecents) || workspace_.process(*recent))) addMiddle(*recent);
    }
    for (const auto& process : workspace_.runningApplications()) {
        if (process.bundleIdentifier &&
            process.activationPolicy == static_cast<std::int64_t>(RawActivationPolicy::regular))
            addMiddle(*process.bundleIdentifier);
    }

    const auto separator = dockItem("AXSeparatorDockItem", "", std::nullopt);
    tiles.push_back(separator);
    if (!middle.empty()) {
        for (const auto& bundleIdentifier : middle) tiles.push_back(applicationTile(bundleIdentifier));
        tiles.push_back(separator);
    }
    for (const auto& record : others) {
        if (auto node = recordTile(record)) tiles.push_back(std::move(*node));
    }
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
