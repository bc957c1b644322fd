#include "mac/core/DockDropHandler.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include "platform/Bundle.h"
#include "platform/FileURL.h"
#include "protocol/Identifiers.h"
#include "runtime/Completion.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDropNotAllowed = "drop not allowed";

// The path without "." and ".." steps and without a trailing slash; links are not resolved.
std::string standardized(const fs::path& path) {
    return droppingTrailingSlash(path.lexically_normal().string());
}

bool isSameOrInside(const std::string& inner, const std::string& outer) {
    return inner == outer || outer == "/" || inner.starts_with(outer + "/");
}

// A folder's URL ends in '/': its path is taken without it, so that its last component is its name.
std::vector<fs::path> filePaths(const std::vector<std::string>& urls) {
    std::vector<fs::path> paths;
    for (const auto& url : urls) {
        if (auto path = filePathFromURL(url)) paths.emplace_back(standardized(*path));
    }
    return paths;
}

// Short and independent of the item's name, so that any name that fits in a folder can be replaced.
fs::path temporaryName() { return ".tavelin-" + randomUUIDString().substr(0, 8); }

// Two items of one name would land on the same place, the second replacing the first.
bool haveDistinctNames(const std::vector<fs::path>& files) {
    std::set<fs::path> names;
    return std::ranges::all_of(files,
                               [&](const fs::path& file) { return names.insert(file.filename()).second; });
}

CommandResultPayload unavailable(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}

std::optional<std::string> bundleIdentifierAt(const fs::path& location) {
    const auto bundle = loadBundle(location);
    return bundle ? bundle->identifier() : std::nullopt;
}

}  // namespace

std::vector<std::string> DockDropHandler::fileURLsOnDragPasteboard() const {
    return platform_.dragPasteboard.readURLs(PasteboardURLs::fileURLsOnly)
        .value_or(std::vector<std::string>{});
}

bool DockDropHandler::canAcceptDrop(const std::vector<std::string>& urls, const DockItem& target) const {
    const auto files = filePaths(urls);
    if (files.empty()) return false;
    switch (target.kind) {
        case DockItemKind::app:
            return std::ranges::all_of(files,
                                       [&](const fs::path& file) { return canApplication(target, file); });
        case DockItemKind::folder:
            return canImportIntoFolder(files, target);
        case DockItemKind::trash:
            return std::ranges::all_of(
                files, [&](const fs::path& file) { return platform_.files.isDeletableFile(file); });
        case DockItemKind::file:
        case DockItemKind::url:
        case DockItemKind::unknown:
            return false;
    }
    return false;
}

Task<CommandResultPayload> DockDropHandler::performDrop(std::vector<std::string> urls, DockItem target,
                                                        bool copy) const {
    auto files = filePaths(urls);
    if (files.empty() || !canAcceptDrop(urls, target)) co_return unavailable(std::string(kDropNotAllowed));
    switch (target.kind) {
        case DockItemKind::app:
            co_return co_await open(std::move(files), std::move(target));
        case DockItemKind::folder:
            co_return importIntoFolder(files, target, copy);
        case DockItemKind::trash:
            co_return co_await moveToTrash(std::move(files));
        default:
            co_return unavailable(std::string(kDropNotAllowed));
    }
}

std::vector<fs::path> DockDropHandler::applicationURLsForOpening(const fs::path& file) const {
    return platform_.launchServices.applicationURLsForURL(file, kLaunchServicesRolesAll);
}

std::optional<fs::path> DockDropHandler::applicationLocation(const DockItem& item) const {
    if (item.bundleID) {
        if (auto installed = platform_.workspace.urlForApplication(*item.bundleID)) return installed;
    }
    if (item.path && fs::path(standardized(*item.path)).extension() == ".app") return fs::path(*item.path);
    return std::nullopt;
}

bool DockDropHandler::canApplication(const DockItem& item, const fs::path& file) const {
    const auto location = applicationLocation(item);
    if (!location) return false;
    auto bundleID = bundleIdentifierAt(*location);
    if (!bundleID) bundleID = item.bundleID;
    const auto wanted = standardized(*location);
    for (const auto& candidate : applicationURLsForOpening(file)) {
        if (standardized(candidate) == wanted) return true;
        if (bundleID && bundleIdentifierAt(candidate) == bundleID) return true;
    }
    return false;
}

bool DockDropHandler::folderDestinationAllowsDrop(const fs::path& folder) const {
    if (platform_.files.itemType(folder) != ItemType::directory) return false;
    if (!platform_.files.isWritableFile(folder)) return false;
    const auto values = platform_.files.resourceValues(folder);
    if (!values) return false;
    return values->volumeIsReadOnly != true && values->isWritable != false;
}

bool DockDropHandler::canImportIntoFolder(const std::vector<fs::path>& files, const DockItem& item) const {
    if (!item.path || !haveDistinctNames(files) || !folderDestinationAllowsDrop(*item.path)) return false;
    const auto folder = standardized(*item.path);
    return std::ranges::none_of(files, [&](const fs::path& file) {
        const auto dropped = standardized(file);
        // Already there, or a folder that holds the destination and would be copied into itself.
        return isSameOrInside(dropped, folder) || isSameOrInside(folder, dropped);
    });
}

Task<CommandResultPayload> DockDropHandler::open(std::vector<fs::path> files, DockItem item) const {
    const auto location = applicationLocation(item);
    if (!location) co_return CommandResultPayload::failure(ProtocolError::notFound());
    auto error = co_await awaitCompletion<std::optional<WorkspaceError>>(
        [&](CompletionAwaiter<std::optional<WorkspaceError>>::Done done) {
            platform_.actions.open(std::move(files), *location, OpenConfiguration{.activates = true},
                                   std::move(done));
        });
    if (error) co_return unavailable(std::move(error->localizedDescription));
    co_return CommandResultPayload::success();
}

CommandResultPayload DockDropHandler::importIntoFolder(const std::vector<fs::path>& files,
                                                       const DockItem& item, bool copy) const {
    if (!item.path || !folderDestinationAllowsDrop(*item.path)) {
        return CommandResultPayload::failure(ProtocolError::notFound());
    }
    for (const auto& file : files) {
        // Files done so far stay where they went.
        if (auto imported = importOne(file, *item.path, copy); !imported) {
            return unavailable(std::move(imported.error().localizedDescription));
        }
    }
    return CommandResultPayload::success();
}

std::expected<void, FileSystemError> DockDropHandler::importOne(const fs::path& file, const fs::path& folder,
                                                                bool copy) const {
    const auto destination = folder / file.filename();
    const bool replacing = platform_.files.itemType(destination) != ItemType::missing;
    const auto target = replacing ? folder / temporaryName() : destination;
    const auto sourceRemains = bring(file, target, copy);
    if (!sourceRemains) return std::unexpected(sourceRemains.error());
    if (replacing) {
        if (auto swapped = swapIn(target, destination); !swapped) {
            // The source is still whole, or was renamed to the hidden name.
            if (*sourceRemains) {
                (void)platform_.files.removeItem(target);
            } else {
                restore(target, file);
            }
            return swapped;
        }
    }
    if (!copy && *sourceRemains) return platform_.files.removeItem(file);
    return {};
}

// Whether the source is still there: true for a copy, and for a move across volumes, which copies and
// leaves the removal of the source to its caller.
std::expected<bool, FileSystemError> DockDropHandler::bring(const fs::path& from, const fs::path& to,
                                                            bool copy) const {
    if (!copy) {
        auto renamed = platform_.files.renameItem(from, to);
        if (renamed) return false;
        if (renamed.error().code != EXDEV) return std::unexpected(renamed.error());
    }
    if (auto copied = platform_.files.copyItem(from, to); !copied) return std::unexpected(copied.error());
    return true;
}

// The old item moves aside to a hidden name and the new one takes its place; when that fails, the old
// one goes back.
std::expected<void, FileSystemError> DockDropHandler::swapIn(const fs::path& incoming,
                                                             const fs::path& destination) const {
    const auto replaced = destination.parent_path() / temporaryName();
    if (auto aside = platform_.files.renameItem(destination, replaced); !aside) return aside;
    if (auto swapped = platform_.files.renameItem(incoming, destination); !swapped) {
        restore(replaced, destination);
        return swapped;
    }
    if (auto removed = platform_.files.removeItem(replaced); !removed) {
        platform_.log.logf("Tavelin drop: kept the replaced item at %s: %s", replaced.c_str(),
                           removed.error().localizedDescription.c_str());
    }
    return {};
}

void DockDropHandler::restore(const fs::path& hidden, const fs::path& visible) const {
    if (auto renamed = platform_.files.renameItem(hidden, visible); !renamed) {
        platform_.log.logf("Tavelin drop: could not put back %s, kept at %s: %s", visible.c_str(),
                           hidden.c_str(), renamed.error().localizedDescription.c_str());
    }
}

Task<CommandResultPayload> DockDropHandler::moveToTrash(std::vector<fs::path> files) const {
    auto error = co_await awaitCompletion<std::optional<WorkspaceError>>(
        [&](CompletionAwaiter<std::optional<WorkspaceError>>::Done done) {
            platform_.actions.recycle(std::move(files), std::move(done));
        });
    if (error) co_return unavailable(std::move(error->localizedDescription));
    co_return CommandResultPayload::success();
}

}  // namespace tavelin
