#include "mac/core/FolderService.h"

#include <algorithm>
#include <cerrno>

#include "mac/core/IconService.h"
#include "mac/core/LocalizedNameOrder.h"
#include "protocol/Timestamp.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

// The item's folder, as yet without revision and children.
FolderSnapshot snapshotOf(const DockItem& item) {
    return FolderSnapshot{
        .folderID = item.itemID,
        .parentItemID = item.itemID,
        .title = item.title,
        .path = item.path,
        .displayMode = item.folderDisplayMode.value_or(FolderDisplayMode::automatic),
    };
}

// With a root, the path below it ("Sub/a.txt"); otherwise the file name.
std::string childIDOf(const fs::path& entry, const std::optional<std::string>& rootPath) {
    const auto path = entry.string();
    if (rootPath) {
        const auto prefix = *rootPath + "/";
        if (path.starts_with(prefix)) return path.substr(prefix.size());
    }
    return entry.filename().string();
}

std::int64_t wholeSecondsSince1970(Timestamp time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

FolderArrangement effectiveOrder(const DockItem& item, const AppSettings& settings) {
    const auto setting = settings.folderChildrenSort.value();
    if (setting != FolderArrangement::dockDefault) return setting;
    return item.folderArrangement.value_or(FolderArrangement::name);
}

// A time the wire cannot carry (a year outside 1...9999) is left out, so that the rest of the listing
// still goes to devices.
std::optional<Timestamp> sendableDate(const std::optional<Timestamp>& date) {
    return date && formatTimestamp(*date) ? date : std::nullopt;
}

Timestamp modifiedOrDistantPast(const FolderChild& child) {
    return child.modifiedAt.value_or(Timestamp::min());
}

}  // namespace

FolderSnapshot FolderService::snapshot(const DockItem& item, const AppSettings& settings, IconService& icons,
                                       const std::optional<std::string>& rootPath) const {
    if (item.kind != DockItemKind::folder || !item.path) return errorSnapshot(item, "not a folder");
    if (files_.itemType(*item.path) != ItemType::directory) return errorSnapshot(item, "missing");
    const auto entries = files_.contentsOfDirectory(*item.path, HiddenFiles::skip);
    if (!entries) return errorSnapshot(item, errorReason(entries.error()));

    std::vector<FolderChild> children;
    children.reserve(entries->size());
    for (const auto& entry : *entries) {
        auto values = files_.resourceValues(entry);
        const auto resourceValues = values ? std::optional(std::move(*values)) : std::nullopt;
        children.push_back(FolderChild{
            .childID = ChildID(childIDOf(entry, rootPath)),
            .kind = folderChildKind(entry, resourceValues),
            .title = titleOf(entry),
            .path = entry.string(),
            .iconToken = icons.token(entry.string()),
            .childIndex = static_cast<std::int64_t>(children.size()),
            .isReadable = true,
            .modifiedAt = resourceValues ? sendableDate(resourceValues->contentModificationDate) : std::nullopt,
        });
    }

    auto snapshot = snapshotOf(item);
    snapshot.revision = wholeSecondsSince1970(clock_.now());
    snapshot.children = sortChildren(std::move(children), item, settings);
    snapshot.isReadable = true;
    return snapshot;
}

std::string FolderService::titleOf(const fs::path& path) {
    auto name = path.filename().string();
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) name.erase(dot);
    return name;
}

std::string FolderService::lowercasedExtension(const fs::path& path) {
    const auto name = path.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return {};
    return lowercased(std::string_view(name).substr(dot + 1));
}

FolderSnapshot FolderService::errorSnapshot(const DockItem& item, std::string reason) {
    auto snapshot = snapshotOf(item);
    snapshot.revision = 1;
    snapshot.isReadable = false;
    snapshot.errorReason = std::move(reason);
    return snapshot;
}

FolderChildKind FolderService::folderChildKind(const fs::path& url,
                                               const std::optional<FileResourceValues>& values) {
    const auto extension = lowercasedExtension(url);
    if (extension == "webloc" || extension == "inetloc") return FolderChildKind::url;
    if (values) {
        if (values->isApplication == true) return FolderChildKind::app;
        if (extension == "app" && values->isPackage == true) return FolderChildKind::app;
        if (values->contentType && values->contentType->conformsToApplication) return FolderChildKind::app;
        if (values->isDirectory == true) return FolderChildKind::folder;
    }
    return extension == "app" ? FolderChildKind::app : FolderChildKind::file;
}

std::vector<FolderChild> FolderService::sortChildren(std::vector<FolderChild> children, const DockItem& item,
                                                     const AppSettings& settings) {
    switch (effectiveOrder(item, settings)) {
        case FolderArrangement::name:
            std::ranges::stable_sort(children, [](const FolderChild& a, const FolderChild& b) {
                return localizedCaseInsensitiveCompare(a.title, b.title) < 0;
            });
            break;
        case FolderArrangement::dateAdded:
            std::ranges::stable_sort(children, std::less{}, modifiedOrDistantPast);
            break;
        case FolderArrangement::dateModified:
        case FolderArrangement::dateCreated:
            std::ranges::stable_sort(children, std::greater{}, modifiedOrDistantPast);
            break;
        case FolderArrangement::kind:
            std::ranges::stable_sort(children, std::less{},
                                     [](const FolderChild& child) { return toString(child.kind); });
            break;
        case FolderArrangement::dockDefault:
            break;
    }
    for (std::size_t index = 0; index < children.size(); ++index) {
        children[index].childIndex = static_cast<std::int64_t>(index);
    }
    return children;
}

std::string FolderService::errorReason(const FileSystemError& error) {
    return isPermissionError(error) ? "permission" : "unreadable";
}

bool FolderService::isPermissionError(const FileSystemError& error) {
    switch (error.domain) {
        case FileErrorDomain::cocoa:
            return error.code == kCocoaFileReadNoPermission;
        case FileErrorDomain::posix:
            return error.code == EPERM || error.code == EACCES;
    }
    return false;
}

}  // namespace tavelin
