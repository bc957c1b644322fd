#pragma once

// The file system as the folder listings, the permission checks and the drops see it, shaped after the
// platform's file manager: whether a path exists and is a folder, one folder level at a time, the
// resource values and volume facts of a path, and copying, moving and removing items. LocalFileSystem
// reads the real disk; the simulated Mac wraps it to inject refusals (tests run as root, whom no
// permission bit stops).
//
// Paths are absolute. Nothing here throws; a failure is a FileSystemError. Any thread may call; the
// calls block on the disk.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Timestamp.h"

namespace tavelin {

// Where an error comes from, as the platform's error objects name it: the file manager's own codes,
// or the errno of a system call.
enum class FileErrorDomain { cocoa, posix };

// The file manager's "no permission to read" code.
inline constexpr int kCocoaFileReadNoPermission = 257;

struct FileSystemError {
    FileErrorDomain domain = FileErrorDomain::posix;
    int code = 0;
    // What the user is shown: "/Users/me/Dest/a.txt: Permission denied".
    std::string localizedDescription;

    // An errno of a call on `path`, described as the system describes it.
    static FileSystemError posix(int code, const std::filesystem::path& path);

    friend bool operator==(const FileSystemError&, const FileSystemError&) = default;
};

// A uniform type identifier ("public.folder", "com.apple.application-bundle") and whether it conforms
// to the generic application type.
struct ContentType {
    std::string identifier;
    bool conformsToApplication = false;
    friend bool operator==(const ContentType&, const ContentType&) = default;
};

// What the file manager tells about one item. A value that could not be determined is absent.
struct FileResourceValues {
    std::optional<bool> isDirectory;  // of the item itself: a symbolic link is no folder
    std::optional<bool> isSymbolicLink;
    std::optional<bool> isApplication;
    std::optional<bool> isPackage;  // a folder shown as one item (applications, bundles, ...)
    std::optional<Timestamp> contentModificationDate;
    std::optional<Timestamp> creationDate;
    std::optional<ContentType> contentType;
    std::optional<bool> isWritable;
    std::optional<bool> volumeIsReadOnly;
    friend bool operator==(const FileResourceValues&, const FileResourceValues&) = default;
};

// The volume a path lies on.
struct VolumeFacts {
    std::optional<bool> isRemovable;
    std::optional<bool> isEjectable;
    std::optional<bool> isLocal;
    friend bool operator==(const VolumeFacts&, const VolumeFacts&) = default;
};

// Symbolic links are followed: a link to a folder is a folder, a dangling one is missing.
enum class ItemType { missing, directory, file };

enum class HiddenFiles { skip, include };

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual ItemType itemType(const std::filesystem::path& path) const = 0;

    // The folder's immediate entries as full paths, in the order the file system lists them; entries
    // below them are not read (a package is one entry). Hidden files are those whose names begin with a
    // dot.
    virtual std::expected<std::vector<std::filesystem::path>, FileSystemError> contentsOfDirectory(
        const std::filesystem::path& path, HiddenFiles hidden) const = 0;

    virtual std::expected<FileResourceValues, FileSystemError> resourceValues(
        const std::filesystem::path& path) const = 0;
    virtual std::expected<VolumeFacts, FileSystemError> volumeFacts(
        const std::filesystem::path& path) const = 0;

    // Whether this process may write the item, and may delete it (write its parent folder).
    virtual bool isWritableFile(const std::filesystem::path& path) const = 0;
    virtual bool isDeletableFile(const std::filesystem::path& path) const = 0;

    // Copying, moving and renaming never replace: an item at `to` fails the call with EEXIST. A copy
    // that fails part of the way removes what it made. A move across volumes copies and then removes the
    // source; a rename stays on one volume: across volumes it fails with EXDEV and changes nothing.
    virtual std::expected<void, FileSystemError> copyItem(const std::filesystem::path& from,
                                                          const std::filesystem::path& to) = 0;
    virtual std::expected<void, FileSystemError> moveItem(const std::filesystem::path& from,
                                                          const std::filesystem::path& to) = 0;
    virtual std::expected<void, FileSystemError> renameItem(const std::filesystem::path& from,
                                                            const std::filesystem::path& to) = 0;
    // A folder goes with everything in it.
    virtual std::expected<void, FileSystemError> removeItem(const std::filesystem::path& path) = 0;
};

}  // namespace tavelin
