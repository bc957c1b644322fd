#include "mac/core/DockPlistParser.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "mac/core/DockTileRecord.h"
#include "mac/core/PlistTileMetadata.h"
#include "platform/Bundle.h"
#include "platform/FileURL.h"
#include "platform/PlistFile.h"
#include "protocol/Overloaded.h"

namespace tavelin {
namespace {

constexpr std::string_view kFinderBundleID = "com.apple.finder";

std::optional<SeparatorKind> spacerKind(std::string_view tileType) {
    if (tileType == "spacer-tile" || tileType == "flex-spacer-tile") return SeparatorKind::spacer;
    if (tileType == "small-spacer-tile") return SeparatorKind::smallSpacer;
    return std::nullopt;
}

std::string regionName(DockRegion region) { return std::string(toString(region)); }

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

FolderDisplayMode folderDisplayMode(std::optional<std::int64_t> showas) {
    switch (showas.value_or(0)) {
        case 0:
            return FolderDisplayMode::automatic;
        case 1:
            return FolderDisplayMode::fan;
        case 2:
            return FolderDisplayMode::grid;
        case 3:
            return FolderDisplayMode::list;
        default:
            return FolderDisplayMode::unknown;
    }
}

FolderArrangement folderArrangement(std::optional<std::int64_t> arrangement) {
    switch (arrangement.value_or(0)) {
        case 1:
            return FolderArrangement::name;
        case 2:
            return FolderArrangement::dateAdded;
        case 3:
            return FolderArrangement::dateModified;
        case 4:
            return FolderArrangement::dateCreated;
        case 5:
            return FolderArrangement::kind;
        default:
            return FolderArrangement::dockDefault;
    }
}

void applyRunningFacts(DockItem& item, const RunningAppsService::State& running,
                       const std::optional<std::string>& bundleID) {
    const auto entry = bundleID ? running.byBundleID.find(*bundleID) : running.byBundleID.end();
    const bool isRunning = entry != running.byBundleID.end();
    item.isRunning = isRunning;
    item.isActive = isRunning && entry->second.isActive;
    item.isHidden = isRunning && entry->second.isHidden;
    item.activationPolicy = isRunning ? entry->second.activationPolicy : ActivationPolicy::regular;
    item.needsAttention = isRunning && entry->second.needsAttention;
}

std::optional<std::string> DockPlistParser::filePath(const PlistDict& fileReference) {
    const auto* text = stringValue(fileReference, "_CFURLString");
    if (text == nullptr || text->empty()) return std::nullopt;
    std::string path = *text;
    if (integerValue(fileReference, "_CFURLStringType") == 15 || text->starts_with("file://")) {
        // A URL that cannot be read, or that names no file, is kept as it is.
        if (auto decoded = filePathFromURL(*text)) path = std::move(*decoded);
    }
    return droppingTrailingSlash(std::move(path));
}

std::optional<PlistDict> DockPlistParser::loadDockPlist() const {
    if (auto* domain = userDefaults_.domain("com.apple.dock")) {
        if (auto values = domain->persistentDomain()) return values;
    }
    auto file = readPlistFile(folders_.homeDirectory() / "Library/Preferences/com.apple.dock.plist");
    auto* dict = file ? file->getIf<PlistDict>() : nullptr;
    return dict ? std::optional(std::move(*dict)) : std::nullopt;
}

DockItem DockPlistParser::parseTile(const PlistDict& tile, DockRegion region, std::int64_t index,
                                    const RunningState& running, const std::set<std::string>& pinned) const {
    const auto record = DockTileRecord::read(tile);
    const std::string label(record.label.value_or(""));
    const auto number = std::to_string(index);
    DockItem item{.region = region, .dockIndex = index};

    if (record.tileType == "directory-tile") {
        const auto path = record.path();
        item.itemID = ItemID(regionName(region) + "-folder-" + number);
        item.kind = DockItemKind::folder;
        item.path = path;
        item.title = !label.empty() ? label : path.value_or("Folder");
        item.isDockPinned = true;
        item.isAvailable = path.has_value();
        item.folderDisplayMode = folderDisplayMode(integerValue(*record.tileData, "showas"));
        item.folderArrangement = folderArrangement(integerValue(*record.tileData, "arrangement"));
    } else if (record.tileType == "url-tile") {
        const auto* url = dictionaryValue(*record.tileData, "url");
        const auto* link = url ? stringValue(*url, "_CFURLString") : nullptr;
        item.itemID = ItemID(regionName(region) + "-url-" + number);
        item.kind = DockItemKind::url;
        if (link) item.path = *link;
        item.title = !label.empty() ? label : link ? *link : "URL";
        item.isDockPinned = true;
        item.isAvailable = link != nullptr;
    } else if (record.tileType == "file-tile") {
        const auto* found = record.bundleIdentifier();
        const auto bundleID = found ? std::optional(*found) : std::nullopt;
        const auto path = record.path();
        item.itemID =
            ItemID(regionName(region) + "-" + bundleID.value_or(path.value_or(label)) + "-" + number);
        item.kind = bundleID ? DockItemKind::app : DockItemKind::file;
        item.bundleID = bundleID;
        item.path = path;
        item.title = !label.empty() ? label : bundleID.value_or(path.value_or("Item"));
        item.isDockPinned = bundleID && pinned.contains(*bundleID);
        applyRunningFacts(item, running, bundleID);
        item.isAvailable = true;
    } else {
        item.itemID = ItemID(regionName(region) + "-unknown-" + number);
        item.kind = DockItemKind::unknown;
        item.title = !label.empty() ? label : "?";
        item.isAvailable = false;
        item.activationPolicy = ActivationPolicy::unknown;
    }
    return item;
}

std::vector<DockItem> DockPlistParser::runningAppsInDockOrder(
    const RunningState& running, const std::vector<std::string>& excludedBundleIDs,
    const std::set<std::string>& pinned) const {
    std::vector<DockItem> items;
    for (const auto& bundleID : running.unpinnedRunningOrder) {
        if (pinned.contains(bundleID) ||
            std::ranges::find(excludedBundleIDs, bundleID) != excludedBundleIDs.end())
            continue;
        const auto entry = running.byBundleID.find(bundleID);
        const bool isRunning = entry != running.byBundleID.end();
        const bool isRecent = running.recentPlistBundleIDs.contains(bundleID);
        if (isRunning && entry->second.activationPolicy != ActivationPolicy::regular && !isRecent) continue;
        const auto tile = running.unpinnedRecentTileInfo.find(bundleID);
        const bool hasTile = tile != running.unpinnedRecentTileInfo.end();

        DockItem item{
            .itemID = ItemID("running-" + bundleID),
            .region = DockRegion::runningApps,
            .kind = DockItemKind::app,
            .bundleID = bundleID,
            .path = resolveRecentAppPath(bundleID, hasTile ? tile->second.path : std::nullopt),
            .title = isRunning ? entry->second.localizedName
                     : hasTile ? tile->second.label
                               : bundleID,
            .dockIndex = static_cast<std::int64_t>(items.size()),
            .isAvailable = true,
            .isRecentAppsTile = isRecent,
        };
        applyRunningFacts(item, running, bundleID);
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<std::string> DockPlistParser::resolveRecentAppPath(
    const std::string& bundleID, const std::optional<std::string>& plistPath) const {
    const auto program = host_.mainBundle();
    if (bundleID == program.identifier) return program.path.string();
    if (plistPath && fileExists(*plistPath)) return plistPath;
    if (const auto url = workspace_.urlForApplication(bundleID)) return url->string();
    return plistPath;
}

DockItem DockPlistParser::madeUpFinder(const RunningState& running) const {
    const auto finder = running.byBundleID.find(std::string(kFinderBundleID));
    DockItem item{
        .itemID = ItemID("fixedApps-com.apple.finder-0"),
        .region = DockRegion::fixedApps,
        .kind = DockItemKind::app,
        .bundleID = std::string(kFinderBundleID),
        .path = workspace_.urlForApplication(kFinderBundleID)
                    .value_or("/System/Library/CoreServices/Finder.app")
                    .string(),
        .title = finder != running.byBundleID.end() ? finder->second.localizedName : "Finder",
        .isDockPinned = true,
        .dockIndex = 0,
        .isAvailable = true,
    };
    applyRunningFacts(item, running, item.bundleID);
    return item;
}

DockItem DockPlistParser::trashItem(std::string title, std::int64_t dockIndex) const {
    const auto folder = folders_.trashDirectory().value_or(folders_.homeDirectory() / ".Trash");
    return DockItem{
        .itemID = ItemID("trash"),
        .region = DockRegion::dockOthers,
        .kind = DockItemKind::trash,
        .path = folder.string(),
        .title = std::move(title),
        .isDockPinned = true,
        .dockIndex = dockIndex,
        .isAvailable = true,
    };
}

ParsedDock DockPlistParser::parseLegacyPlist(const PlistDict& plist, const RunningState& running,
                                             const AppSettings& settings) const {
    const std::set<std::string> pinned(running.pinnedBundleIDs.begin(), running.pinnedBundleIDs.end());
    const auto noTiles = std::vector<const PlistDict*>{};
    const auto fixedTiles = dictionaryList(plist, "persistent-apps").value_or(noTiles);
    const auto otherTiles = dictionaryList(plist, "persistent-others").value_or(noTiles);
    ParsedDock dock;

    const bool listsFinder = std::ranges::any_of(fixedTiles, [](const PlistDict* tile) {
        const auto* bundleID = DockTileRecord::read(*tile).bundleIdentifier();
        return bundleID && *bundleID == kFinderBundleID;
    });
    const std::int64_t offset = listsFinder ? 0 : 1;
    if (!listsFinder) dock.items.push_back(madeUpFinder(running));

    const auto readList = [&](const std::vector<const PlistDict*>& tiles, DockRegion region,
                              std::int64_t first) {
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            const auto index = first + static_cast<std::int64_t>(i);
            if (const auto spacer = spacerKind(DockTileRecord::read(*tiles[i]).tileType)) {
                const auto prefix = region == DockRegion::fixedApps ? "fixedApps-sp-" : "dockOthers-sp-";
                dock.separators.push_back({prefix + std::to_string(index), region, index, *spacer});
            } else {
                dock.items.push_back(parseTile(*tiles[i], region, index, running, pinned));
            }
        }
    };
    readList(fixedTiles, DockRegion::fixedApps, offset);
    std::ranges::move(runningAppsInDockOrder(running, settings.excludedBundleIDs.value(), pinned),
                      std::back_inserter(dock.items));
    readList(otherTiles, DockRegion::dockOthers, 0);
    const auto others = std::ranges::count(dock.items, DockRegion::dockOthers, &DockItem::region);
    dock.items.push_back(trashItem(std::string(kDockTrashTitle), others));

    dedupeRunningAppsByBundle(dock.items, running);
    reassignSequentialDockIndices(dock.items, dock.separators);
    return dock;
}

ParsedDock DockPlistParser::parse(const std::vector<DockAXOrderReader::Entry>& axEntries,
                                  const PlistDict& plist, const RunningState& running,
                                  const AppSettings& settings) const {
    const PlistTileMetadata metadata(plist, running.pinnedBundleIDs, workspace_, host_);
    const auto& excluded = settings.excludedBundleIDs.value();
    ParsedDock dock;
    // Separators move the region on: fixed applications, then running ones, then the other tiles.
    auto state = DockRegion::fixedApps;

    for (std::size_t n = 0; n < axEntries.size(); ++n) {
        const auto index = static_cast<std::int64_t>(n);
        const auto number = std::to_string(n);
        std::visit(
            Overloaded{
                [&](const DockAXOrderReader::Separator&) {
                    dock.separators.push_back(
                        {"ax-separator-" + number, state, index, SeparatorKind::separator});
                    state = state == DockRegion::fixedApps ? DockRegion::runningApps : DockRegion::dockOthers;
                },
                [&](const DockAXOrderReader::Trash& trash) {
                    dock.items.push_back(
                        trashItem(trash.title.empty() ? std::string(kDockTrashTitle) : trash.title, index));
                },
                [&](const DockAXOrderReader::Folder& folder) {
                    const auto path = metadata.resolveFolderPath(folder.path, folder.title);
                    if (!path) return;
                    const auto* info = metadata.folderInfoByPath.find(*path);
                    dock.items.push_back(DockItem{
                        .itemID = ItemID("ax-" + number + "-folder-" + *path),
                        .region = DockRegion::dockOthers,
                        .kind = DockItemKind::folder,
                        .path = *path,
                        .title = info && !info->label.empty() ? info->label : folder.title,
                        .isDockPinned = true,
                        .dockIndex = index,
                        .folderDisplayMode =
                            folderDisplayMode(info ? std::optional(info->showas) : std::nullopt),
                        .folderArrangement = folderArrangement(info ? info->arrangement : std::nullopt),
                        .isAvailable = true,
                    });
                },
                [&](const DockAXOrderReader::Document& document) {
                    const auto resolved = metadata.resolveDocumentPath(document.path, document.title);
                    if (!resolved) return;
                    const auto& path = resolved->path;
                    const auto* label = metadata.labelByPath.find(path);
                    if (label == nullptr) label = metadata.labelByURL.find(path);
                    // A web-link tile reaches here as a document titled like its link: it stays a link.
                    const bool isLink = resolved->isLink || path.starts_with("http://") ||
                                        path.starts_with("https://") || path.ends_with(".inetloc") ||
                                        path.ends_with(".webloc");
                    dock.items.push_back(DockItem{
                        .itemID = ItemID("ax-" + number + "-doc-" + path),
                        .region = DockRegion::dockOthers,
                        .kind = isLink ? DockItemKind::url : DockItemKind::file,
                        .path = path,
                        .title = label ? *label : document.title,
                        .isDockPinned = true,
                        .dockIndex = index,
                        .isAvailable = true,
                    });
                },
                [&](const DockAXOrderReader::Application& application) {
                    auto item = assembleApplication(application, n, state, metadata, running, excluded);
                    if (item) dock.items.push_back(std::move(*item));
                },
            },
            axEntries[n]);
    }
    dedupeRunningAppsByBundle(dock.items, running);
    return dock;
}

std::optional<DockItem> DockPlistParser::assembleApplication(
    const DockAXOrderReader::Application& application, std::size_t position, DockRegion state,
    const PlistTileMetadata& metadata, const RunningState& running,
    const std::vector<std::string>& excludedBundleIDs) const {
    const auto app = metadata.resolveApp(application.path, application.bundleID, application.title, running);
    const bool pinned = app.bundleID && metadata.pinnedBundleIDs.contains(*app.bundleID);
    const bool keepsRegion = state == DockRegion::dockOthers || (state == DockRegion::fixedApps && pinned);
    const auto region = keepsRegion ? state : DockRegion::runningApps;
    const auto entry = app.bundleID ? running.byBundleID.find(*app.bundleID) : running.byBundleID.end();
    const bool isRunning = entry != running.byBundleID.end();
    const bool isRecent = app.bundleID && (running.recentPlistBundleIDs.contains(*app.bundleID) ||
                                           running.unpinnedRecentTileInfo.contains(*app.bundleID));
    if (region == DockRegion::runningApps) {
        // The exclusion list and the policy only touch applications the Dock shows as running.
        if (app.bundleID && std::ranges::find(excludedBundleIDs, *app.bundleID) != excludedBundleIDs.end())
            return std::nullopt;
        if (isRunning && entry->second.activationPolicy != ActivationPolicy::regular && !isRecent)
            return std::nullopt;
    }
    DockItem item{
        .itemID = ItemID("ax-" + std::to_string(position) + "-" +
                         app.bundleID.value_or(app.path.value_or(application.title))),
        .region = region,
        .kind = DockItemKind::app,
        .bundleID = app.bundleID,
        .path = app.path,
        .title = isRunning ? entry->second.localizedName : application.title,
        .isDockPinned = pinned,
        .dockIndex = static_cast<std::int64_t>(position),
        .isAvailable = true,
        .isRecentAppsTile = isRecent,
    };
    applyRunningFacts(item, running, app.bundleID);
    return item;
}

void DockPlistParser::dedupeRunningAppsByBundle(std::vector<DockItem>& items, const RunningState& running) {
    const auto isRunningApp = [](const DockItem& item) {
        return item.region == DockRegion::runningApps && item.kind == DockItemKind::app && item.bundleID;
    };
    std::map<std::string, std::size_t> firstByBundleID;
    std::vector<bool> dropped(items.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!isRunningApp(items[i])) continue;
        const auto [first, isFirst] = firstByBundleID.emplace(*items[i].bundleID, i);
        if (isFirst) continue;
        dropped[i] = true;
        auto& kept = items[first->second];
        kept.isActive = kept.isActive || items[i].isActive;
        kept.needsAttention = kept.needsAttention || items[i].needsAttention;
    }
    std::size_t position = 0;
    std::erase_if(items, [&](const DockItem&) { return dropped[position++]; });

    for (auto& item : items) {
        if (!isRunningApp(item)) continue;
        const auto entry = running.byBundleID.find(*item.bundleID);
        if (entry != running.byBundleID.end()) {
            applyRunningFacts(item, running, item.bundleID);
        } else {
            item.isRunning = item.isActive = item.needsAttention = false;
        }
    }
}

void DockPlistParser::reassignSequentialDockIndices(std::vector<DockItem>& items,
                                                    std::vector<DockSeparator>& separators) {
    struct Slot {
        std::int64_t dockIndex;
        std::size_t position;
        bool isSeparator;
    };
    std::vector<Slot> slots;
    slots.reserve(items.size() + separators.size());
    for (std::size_t i = 0; i < items.size(); ++i) slots.push_back({items[i].dockIndex, i, false});
    for (std::size_t i = 0; i < separators.size(); ++i) slots.push_back({separators[i].dockIndex, i, true});
    std::ranges::stable_sort(slots, [](const Slot& a, const Slot& b) {
        return std::tie(a.dockIndex, a.isSeparator) < std::tie(b.dockIndex, b.isSeparator);
    });
    for (std::size_t n = 0; n < slots.size(); ++n) {
        auto& dockIndex = slots[n].isSeparator ? separators[slots[n].position].dockIndex
                                               : items[slots[n].position].dockIndex;
        dockIndex = static_cast<std::int64_t>(n);
    }
}

std::string DockPlistParser::mainBundleDisplayName(const HostInfo& host) {
    const auto bundle = loadBundle(host.mainBundle().path);
    if (bundle) {
        if (auto name = bundle->infoString("CFBundleDisplayName")) return *name;
        if (auto name = bundle->infoString("CFBundleName")) return *name;
    }
    return "Tavelin";
}

}  // namespace tavelin
