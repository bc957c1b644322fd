#include "mac/core/PlistTileMetadata.h"

#include <filesystem>

#include "mac/core/DockPlistParser.h"
#include "mac/core/DockTileRecord.h"
#include "platform/Bundle.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kWhiteSpace = " \t\n\r\f\v";
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::string lastPathComponent(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The first entry whose label, or whose key's last path component, equals `title` ignoring case.
template <class V, class Label>
const std::string* firstMatch(const InsertionOrderedMap<V>& map, std::string_view title, Label label) {
    for (const auto& [key, value] : map) {
        if (equalsIgnoringCase(label(value), title) || equalsIgnoringCase(lastPathComponent(key), title))
            return &key;
    }
    return nullptr;
}

}  // namespace

PlistTileMetadata::PlistTileMetadata(const PlistDict& plist, const std::vector<std::string>& pinnedBundleIDs,
                                     const Workspace& workspace, const HostInfo& host)
    : pinnedBundleIDs(pinnedBundleIDs.begin(), pinnedBundleIDs.end()), workspace_(workspace), host_(host) {
    read(plist, "persistent-apps", true);
    read(plist, "recent-apps", false);
    read(plist, "persistent-others", true);
}

void PlistTileMetadata::read(const PlistDict& plist, std::string_view list, bool pinned) {
    for (const auto* tile : dictionaryList(plist, list).value_or(std::vector<const PlistDict*>{})) {
        const auto record = DockTileRecord::read(*tile);
        const std::string label(record.label.value_or(""));
        if (record.tileType == "file-tile") {
            const auto* bundleID = record.bundleIdentifier();
            const auto path = record.path();
            if (bundleID && pinned) pinnedBundleIDs.insert(*bundleID);
            if (path) labelByPath.set(*path, label);
            if (bundleID && path) pathByBundleID.set(*bundleID, *path);
            if (bundleID && !label.empty()) bundleIDByLabel.set(lowercased(label), *bundleID);
        } else if (record.tileType == "directory-tile") {
            if (const auto path = record.path()) {
                folderInfoByPath.set(*path, FolderInfo{integerValue(*record.tileData, "showas").value_or(0),
                                                       integerValue(*record.tileData, "arrangement"), label});
            }
        } else if (record.tileType == "url-tile") {
            const auto* url = dictionaryValue(*record.tileData, "url");
            if (const auto* link = url ? stringValue(*url, "_CFURLString") : nullptr)
                labelByURL.set(*link, label);
        }
    }
}

PlistTileMetadata::ResolvedApp PlistTileMetadata::resolveApp(const std::optional<std::string>& path,
                                                             const std::optional<std::string>& bundleID,
                                                             const std::string& title,
                                                             const RunningAppsService::State& running) const {
    ResolvedApp app{path, bundleID};
    if (!app.bundleID && !title.empty()) {
        if (const auto* found = bundleIDByLabel.find(lowercased(title))) app.bundleID = *found;
    }
    if (!app.bundleID && app.path) {
        if (const auto bundle = loadBundle(*app.path)) app.bundleID = bundle->identifier();
    }
    if (!app.path && app.bundleID) {
        if (const auto* found = pathByBundleID.find(*app.bundleID)) {
            app.path = *found;
        } else if (const auto url = workspace_.urlForApplication(*app.bundleID)) {
            app.path = url->string();
        }
    }

    const auto program = host_.mainBundle();
    if (app.bundleID == program.identifier) {
        if (!path) app.path = program.path.string();
        return app;
    }
    if (!app.bundleID && (equalsIgnoringCase(title, DockPlistParser::mainBundleDisplayName(host_)) ||
                          equalsIgnoringCase(title, "Tavelin"))) {
        return ResolvedApp{program.path.string(), program.identifier};
    }

    if (!app.path) {
        for (const auto& [runningBundleID, info] : running.byBundleID) {
            if (!equalsIgnoringCase(info.localizedName, title)) continue;
            if (!app.bundleID) app.bundleID = runningBundleID;
            if (const auto url = workspace_.urlForApplication(runningBundleID)) app.path = url->string();
            break;
        }
    }
    return app;
}

std::optional<std::string> PlistTileMetadata::resolveFolderPath(const std::optional<std::string>& axPath,
                                                                std::string_view title) const {
    if (axPath && !axPath->empty()) return axPath;
    const auto wanted = trimmed(title);
    if (wanted.empty()) return std::nullopt;
    const auto* path =
        firstMatch(folderInfoByPath, wanted, [](const FolderInfo& info) { return info.label; });
    return path ? std::optional(*path) : std::nullopt;
}

std::optional<PlistTileMetadata::ResolvedDocument> PlistTileMetadata::resolveDocumentPath(
    const std::optional<std::string>& axPath, std::string_view title) const {
    if (axPath && !axPath->empty()) return ResolvedDocument{*axPath, false};
    const auto wanted = trimmed(title);
    if (wanted.empty()) return std::nullopt;
    const auto label = [](const std::string& text) { return text; };
    if (const auto* path = firstMatch(labelByPath, wanted, label)) return ResolvedDocument{*path, false};
    if (const auto* link = firstMatch(labelByURL, wanted, label)) return ResolvedDocument{*link, true};
    return std::nullopt;
}

}  // namespace tavelin
