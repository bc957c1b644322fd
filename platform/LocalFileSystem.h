#pragma once

// The real disk behind the FileSystem interface, through std::filesystem and the system calls under it.
//
// What Linux does not record is derived the way the platform's file manager shows it: a folder whose
// extension is that of a package ("app", "bundle", "framework", ...) is a package, and one ending in
// ".app" is an application. Removable volumes are those the kernel marks removable; network volumes
// are recognised by their file-system type. Errors are POSIX errors.

#include "platform/FileSystem.h"

namespace tavelin {

class LocalFileSystem final : public FileSystem {
  public:
    ItemType itemType(const std::filesystem::path& path) const override;
    std::expected<std::vector<std::filesystem::path>, FileSystemError> contentsOfDirectory(
        const std::filesystem::path& path, HiddenFiles hidden) const override;
    std::expected<FileResourceValues, FileSystemError> resourceValues(
        const std::filesystem::path& path) const override;
    std::expected<VolumeFacts, FileSystemError> volumeFacts(const std::filesystem::path& path) const override;
    bool isWritableFile(const std::filesystem::path& path) const override;
    bool isDeletableFile(const std::filesystem::path& path) const override;
    std::expected<void, FileSystemError> copyItem(const std::filesystem::path& from,
                                                  const std::filesystem::path& to) override;
    std::expected<void, FileSystemError> moveItem(const std::filesystem::path& from,
                                                  const std::filesystem::path& to) override;
    std::expected<void, FileSystemError> renameItem(const std::filesystem::path& from,
                                                    const std::filesystem::path& to) override;
    std::expected<void, FileSystemError> removeItem(const std::filesystem::path& path) override;
};

}  // namespace tavelin
