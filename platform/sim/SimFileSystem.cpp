#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <cerrno>

namespace tavelin::sim {
namespace {

namespace fs = std::filesystem;

// One spelling per path: "/a/./b/" and "/a/b" are the same item.
fs::path key(const fs::path& path) {
    auto normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

bool isAtOrBelow(const fs::path& path, const fs::path& root) {
    const auto [end, _] = std::ranges::mismatch(root, path);
    return end == root.end();
}

}  // namespace

ItemType SimFileSystem::itemType(const fs::path& path) const { return disk_.itemType(path); }

std::expected<std::vector<fs::path>, FileSystemError> SimFileSystem::contentsOfDirectory(
    const fs::path& path, HiddenFiles hidden) const {
    {
        std::lock_guard lock(mutex_);
        listed_.push_back(path);
    }
    if (auto error = refusal(Operation::list, path)) return std::unexpected(*error);
    return disk_.contentsOfDirectory(path, hidden);
}

std::expected<FileResourceValues, FileSystemError> SimFileSystem::resourceValues(const fs::path& path) const {
    if (auto error = refusal(Operation::readValues, path)) return std::unexpected(*error);
    auto values = disk_.resourceValues(path);
    if (!values) return values;
    std::lock_guard lock(mutex_);
    if (unwritable_.contains(key(path))) values->isWritable = false;
    if (const auto date = modificationDates_.find(key(path)); date != modificationDates_.end())
        values->contentModificationDate = date->second;
    if (const auto* volume = volumeOf(path); volume && volume->readOnly) {
        values->volumeIsReadOnly = true;
        values->isWritable = false;
    }
    return values;
}

std::expected<VolumeFacts, FileSystemError> SimFileSystem::volumeFacts(const fs::path& path) const {
    if (auto error = refusal(Operation::readVolume, path)) return std::unexpected(*error);
    {
        std::lock_guard lock(mutex_);
        if (const auto* volume = volumeOf(path)) return volume->facts;
    }
    return disk_.volumeFacts(path);
}

bool SimFileSystem::isWritableFile(const fs::path& path) const {
    {
        std::lock_guard lock(mutex_);
        if (unwritable_.contains(key(path))) return false;
        if (const auto* volume = volumeOf(path); volume && volume->readOnly) return false;
    }
    return disk_.isWritableFile(path);
}

bool SimFileSystem::isDeletableFile(const fs::path& path) const {
    {
        std::lock_guard lock(mutex_);
        if (undeletable_.contains(key(path))) return false;
        if (const auto* volume = volumeOf(path); volume && volume->readOnly) return false;
    }
    return disk_.isDeletableFile(path);
}

std::expected<void, FileSystemError> SimFileSystem::copyItem(const fs::path& from, const fs::path& to) {
    if (auto error = refusal(Operation::copy, from, to)) return std::unexpected(*error);
    return disk_.copyItem(from, to);
}

std::expected<void, FileSystemError> SimFileSystem::moveItem(const fs::path& from, const fs::path& to) {
    auto renamed = renameItem(from, to);
    if (renamed || renamed.error().code != EXDEV) return renamed;
    if (auto copied = copyItem(from, to); !copied) return copied;
    return removeItem(from);
}

std::expected<void, FileSystemError> SimFileSystem::renameItem(const fs::path& from, const fs::path& to) {
    if (auto error = refusal(Operation::move, from, to)) return std::unexpected(*error);
    return disk_.renameItem(from, to);
}

std::expected<void, FileSystemError> SimFileSystem::removeItem(const fs::path& path) {
    if (auto error = refusal(Operation::remove, path)) return std::unexpected(*error);
    return disk_.removeItem(path);
}

void SimFileSystem::refuse(Operation operation, const fs::path& path, FileSystemError error) {
    std::lock_guard lock(mutex_);
    refusals_.insert_or_assign({operation, key(path)}, std::move(error));
}

void SimFileSystem::allow(Operation operation, const fs::path& path) {
    std::lock_guard lock(mutex_);
    refusals_.erase({operation, key(path)});
}

void SimFileSystem::refuseWhere(Operation operation, PathMatch match, FileSystemError error) {
    std::lock_guard lock(mutex_);
    matchedRefusals_.emplace_back(operation, std::move(match), std::move(error));
}

void SimFileSystem::setWritable(const fs::path& path, bool writable) {
    std::lock_guard lock(mutex_);
    if (writable) unwritable_.erase(key(path));
    if (!writable) unwritable_.insert(key(path));
}

void SimFileSystem::setModificationDate(const fs::path& path, Timestamp date) {
    std::lock_guard lock(mutex_);
    modificationDates_.insert_or_assign(key(path), date);
}

void SimFileSystem::setDeletable(const fs::path& path, bool deletable) {
    std::lock_guard lock(mutex_);
    if (deletable) undeletable_.erase(key(path));
    if (!deletable) undeletable_.insert(key(path));
}

void SimFileSystem::mount(const fs::path& root, VolumeFacts facts, bool readOnly) {
    std::lock_guard lock(mutex_);
    volumes_.insert_or_assign(key(root), Volume{facts, readOnly});
}

std::vector<fs::path> SimFileSystem::listedFolders() const {
    std::lock_guard lock(mutex_);
    return listed_;
}

std::optional<FileSystemError> SimFileSystem::refusal(Operation operation, const fs::path& path,
                                                      const fs::path& to) const {
    std::lock_guard lock(mutex_);
    if (const auto found = refusals_.find({operation, key(path)}); found != refusals_.end())
        return found->second;
    for (const auto& [refused, match, error] : matchedRefusals_) {
        if (refused == operation && match(key(path), to.empty() ? to : key(to))) return error;
    }
    return std::nullopt;
}

const SimFileSystem::Volume* SimFileSystem::volumeOf(const fs::path& path) const {
    const auto item = key(path);
    const Volume* innermost = nullptr;
    std::size_t depth = 0;
    for (const auto& [root, volume] : volumes_) {
        const auto rootDepth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
        if (isAtOrBelow(item, root) && (!innermost || rootDepth > depth)) {
            innermost = &volume;
            depth = rootDepth;
        }
    }
    return innermost;
}

}  // namespace tavelin::sim
