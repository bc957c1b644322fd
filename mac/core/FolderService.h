#pragma once

// One folder on disk as a FolderSnapshot: the listing of a Dock folder tile, or of a sub-folder below
// one. One level is read; each entry becomes a FolderChild with its kind, title, identifier and icon
// token; the children are ordered by the folder sort setting or by the tile's own arrangement. A
// listing never fails: a folder that cannot be listed gives a snapshot with isReadable false and the
// reason ("not a folder", "missing", "permission" or "unreadable").
//
// Keeps no state between calls; the folder cache is its caller. Any thread; the calls block on the disk.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "mac/settings/AppSettings.h"
#include "platform/FileSystem.h"
#include "protocol/DockItem.h"
#include "protocol/FolderSnapshot.h"
#include "runtime/Clock.h"

namespace tavelin {

class IconService;

class FolderService {
  public:
    FolderService(const FileSystem& files, const Clock& clock) : files_(files), clock_(clock) {}

    // `rootPath` is the Dock tile's folder, from which the children's identifiers are made relative.
    FolderSnapshot snapshot(const DockItem& item, const AppSettings& settings, IconService& icons,
                            const std::optional<std::string>& rootPath) const;

    // The first rule that holds: a web location, an application, a folder, or a file.
    static FolderChildKind folderChildKind(const std::filesystem::path& url,
                                           const std::optional<FileResourceValues>& values);
    // The file name without its extension: "Report.pdf" is "Report", "Archive.2" is "Archive"; a name
    // that only starts or ends with a dot keeps it.
    static std::string titleOf(const std::filesystem::path& path);
    // The extension in lower case; empty where titleOf keeps the whole name.
    static std::string lowercasedExtension(const std::filesystem::path& path);
    // In display order, childIndex renumbered from 0; equal keys keep their listing order.
    static std::vector<FolderChild> sortChildren(std::vector<FolderChild> children, const DockItem& item,
                                                 const AppSettings& settings);
    // A listing that failed: revision 1, no children, not readable, with the reason.
    static FolderSnapshot errorSnapshot(const DockItem& item, std::string reason);
    // "permission" or "unreadable".
    static std::string errorReason(const FileSystemError& error);
    // The file manager's "no permission to read", or the system's "not permitted" and "permission denied".
    static bool isPermissionError(const FileSystemError& error);

  private:
    const FileSystem& files_;
    const Clock& clock_;
};

}  // namespace tavelin
