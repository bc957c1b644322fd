#pragma once

// The simulated Mac's disk: the real files (its home folder holds them) through LocalFileSystem, with
// the refusals that tests inject. Tests run as root, whom no permission bit stops, so what the user
// may not do is said here: a folder that cannot be listed, an item whose values cannot be read, a
// copy, move, rename or removal that fails, an item the user cannot write or delete, and volumes
// (removable, network, read-only) mounted at a folder. A move across real volumes copies and removes
// through its own calls, so that a refused copy or removal stops it where the disk would.
//
// It records the folders it was asked to list, so that a test can tell that nothing touched the disk.
// Any thread may call.

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include "platform/LocalFileSystem.h"

namespace tavelin::sim {

class SimFileSystem final : public FileSystem {
  public:
    // A rename is a move that stays on its volume.
    enum class Operation { list, readValues, readVolume, copy, move, remove };
    // Of an operation's paths: the item it acts on, and the destination of a copy or a move (empty
    // otherwise).
    using PathMatch = std::function<bool(const std::filesystem::path& path, const std::filesystem::path& to)>;

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

    // --- The world's side ---

    // From now on `operation` on exactly `path` (the source of a copy or a move) fails with `error`.
    void refuse(Operation operation, const std::filesystem::path& path, FileSystemError error);
    void allow(Operation operation, const std::filesystem::path& path);
    // From now on `operation` fails with `error` whenever `match` holds for its paths: a destination,
    // or a name the caller picks for itself.
    void refuseWhere(Operation operation, PathMatch match, FileSystemError error);
    // The user may not write the item (its resource values say so too), or may not delete it.
    void setWritable(const std::filesystem::path& path, bool writable);
    void setDeletable(const std::filesystem::path& path, bool deletable);
    // The item's values report this modification time, one that the real disk may not hold (a year
    // before 1 or after 9999, as some file systems keep).
    void setModificationDate(const std::filesystem::path& path, Timestamp date);
    // Everything at or below `root` lies on a volume with these facts; the innermost mount wins.
    void mount(const std::filesystem::path& root, VolumeFacts facts, bool readOnly = false);

    // Every folder asked for its contents, in order.
    std::vector<std::filesystem::path> listedFolders() const;

  private:
    struct Volume {
        VolumeFacts facts;
        bool readOnly = false;
    };

    std::optional<FileSystemError> refusal(Operation operation, const std::filesystem::path& path,
                                           const std::filesystem::path& to = {}) const;
    const Volume* volumeOf(const std::filesystem::path& path) const;  // under the lock

    LocalFileSystem disk_;
    mutable std::mutex mutex_;
    std::map<std::pair<Operation, std::filesystem::path>, FileSystemError> refusals_;
    std::vector<std::tuple<Operation, PathMatch, FileSystemError>> matchedRefusals_;
    std::set<std::filesystem::path> unwritable_;
    std::set<std::filesystem::path> undeletable_;
    std::map<std::filesystem::path, Timestamp> modificationDates_;
    std::map<std::filesystem::path, Volume> volumes_;
    mutable std::vector<std::filesystem::path> listed_;
};

}  // namespace tavelin::sim
