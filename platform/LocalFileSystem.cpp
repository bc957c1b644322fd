#include "platform/LocalFileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "platform/FileContents.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

std::string lowercasedExtension(const fs::path& path) {
    auto extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return extension;
}

bool isPackageExtension(std::string_view extension) {
    static constexpr std::array<std::string_view, 9> packages = {
        "app", "appex", "bundle", "framework", "kext", "pkg", "plugin", "rtfd", "xpc"};
    return std::ranges::find(packages, extension) != packages.end();
}

Timestamp timestampFrom(const struct statx_timestamp& time) {
    return Timestamp(std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_nsec / 1000));
}

ContentType contentTypeOf(const struct statx& status, bool isApplication, bool isPackage) {
    if (isApplication) return {"com.apple.application-bundle", true};
    if (isPackage) return {"com.apple.package", false};
    if (S_ISDIR(status.stx_mode)) return {"public.folder", false};
    if (S_ISLNK(status.stx_mode)) return {"public.symlink", false};
    return {"public.data", false};
}

std::unexpected<FileSystemError> failure(int code, const fs::path& path) {
    return std::unexpected(FileSystemError::posix(code, path));
}

// Whether the block device behind `device` is marked removable; a partition asks its disk.
std::optional<bool> isRemovableDevice(dev_t device) {
    if (major(device) == 0) return false;  // no block device: a virtual or network file system
    std::error_code error;
    auto node = fs::canonical(
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)), error);
    if (error) return std::nullopt;
    if (fs::exists(node / "partition", error)) node = node.parent_path();
    // A kernel attribute file, which says it holds a page.
    const auto flag = readFileContents(node / "removable", 4096);
    if (!flag || flag->empty() || (flag->front() != '0' && flag->front() != '1')) return std::nullopt;
    return flag->front() == '1';
}

bool isNetworkFileSystem(const struct statfs& info) {
    static constexpr std::array<unsigned long, 7> network = {
        0x6969,      // NFS
        0x517B,      // SMB
        0xFF534D42,  // CIFS
        0xFE534D42,  // SMB2
        0x73757245,  // Coda
        0x5346414F,  // AFS
        0x564C,      // NCP
    };
    return std::ranges::find(network, static_cast<unsigned long>(info.f_type)) != network.end();
}

// Whether `inner` lies inside `outer` or is it, by their resolved paths.
bool isSameOrInside(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const auto resolvedInner = fs::weakly_canonical(inner, error);
    if (error) return false;
    const auto resolvedOuter = fs::weakly_canonical(outer, error);
    if (error) return false;
    const auto [end, _] = std::ranges::mismatch(resolvedOuter, resolvedInner);
    return end == resolvedOuter.end();
}

}  // namespace

FileSystemError FileSystemError::posix(int code, const std::filesystem::path& path) {
    return {FileErrorDomain::posix, code, path.string() + ": " + std::generic_category().message(code)};
}

ItemType LocalFileSystem::itemType(const fs::path& path) const {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || !fs::exists(status)) return ItemType::missing;
    return fs::is_directory(status) ? ItemType::directory : ItemType::file;
}

std::expected<std::vector<fs::path>, FileSystemError> LocalFileSystem::contentsOfDirectory(
    const fs::path& path, HiddenFiles hidden) const {
    std::error_code error;
    fs::directory_iterator entries(path, error);
    if (error) return failure(error.value(), path);
    std::vector<fs::path> paths;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        const auto& entry = entries->path();
        if (hidden == HiddenFiles::skip && entry.filename().string().starts_with('.')) continue;
        paths.push_back(entry);
    }
    if (error) return failure(error.value(), path);
    return paths;
}

std::expected<FileResourceValues, FileSystemError> LocalFileSystem::resourceValues(
    const fs::path& path) const {
    struct statx status {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) {
        return failure(errno, path);
    }
    const bool isDirectory = S_ISDIR(status.stx_mode);
    const auto extension = lowercasedExtension(path);
    const bool isPackage = isDirectory && isPackageExtension(extension);
    const bool isApplication = isDirectory && extension == "app";

    FileResourceValues values;
    values.isDirectory = isDirectory;
    values.isSymbolicLink = S_ISLNK(status.stx_mode);
    values.isApplication = isApplication;
    values.isPackage = isPackage;
    values.contentModificationDate = timestampFrom(status.stx_mtime);
    if (status.stx_mask & STATX_BTIME) values.creationDate = timestampFrom(status.stx_btime);
    values.contentType = contentTypeOf(status, isApplication, isPackage);
    values.isWritable = isWritableFile(path);
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) == 0) values.volumeIsReadOnly = (volume.f_flag & ST_RDONLY) != 0;
    return values;
}

std::expected<VolumeFacts, FileSystemError> LocalFileSystem::volumeFacts(const fs::path& path) const {
    struct stat status {};
    struct statfs info {};
    if (::stat(path.c_str(), &status) != 0 || ::statfs(path.c_str(), &info) != 0) return failure(errno, path);
    const auto removable = isRemovableDevice(status.st_dev);
    // Linux ejects what it can remove.
    return VolumeFacts{
        .isRemovable = removable, .isEjectable = removable, .isLocal = !isNetworkFileSystem(info)};
}

bool LocalFileSystem::isWritableFile(const fs::path& path) const {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool LocalFileSystem::isDeletableFile(const fs::path& path) const {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return false;
    auto parent = path.parent_path();
    if (parent.empty()) parent = ".";
    return ::faccessat(AT_FDCWD, parent.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::expected<void, FileSystemError> LocalFileSystem::copyItem(const fs::path& from, const fs::path& to) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(to, error))) return failure(EEXIST, to);
    if (!fs::exists(fs::symlink_status(from, error))) return failure(ENOENT, from);
    // A folder copied into itself would copy its own copy, until the disk is full.
    if (fs::is_directory(fs::symlink_status(from, error)) && isSameOrInside(to, from))
        return failure(EINVAL, to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(to, ignored);
        return failure(error.value(), from);
    }
    return {};
}

std::expected<void, FileSystemError> LocalFileSystem::moveItem(const fs::path& from, const fs::path& to) {
    auto renamed = renameItem(from, to);
    if (renamed || renamed.error().code != EXDEV) return renamed;
    if (auto copied = copyItem(from, to); !copied) return copied;
    // Both are whole now; a source that cannot be removed is reported and the copy kept, since the
    // removal may have taken part of the source already.
    return removeItem(from);
}

std::expected<void, FileSystemError> LocalFileSystem::renameItem(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    const int code = errno;
    if (code == EINVAL && itemType(from) != ItemType::missing && !isSameOrInside(to, from)) {
        // The file system cannot refuse to replace: check first.
        std::error_code error;
        if (fs::exists(fs::symlink_status(to, error))) return failure(EEXIST, to);
        if (::rename(from.c_str(), to.c_str()) == 0) return {};
        return failure(errno, from);
    }
    return failure(code, from);
}

std::expected<void, FileSystemError> LocalFileSystem::removeItem(const fs::path& path) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) return failure(ENOENT, path);
    fs::remove_all(path, error);
    if (error) return failure(error.value(), path);
    return {};
}

}  // namespace tavelin
