#pragma once

// Watching a file or a folder for changes. A watch delivers changes, as the set of events they consist
// of, to a handler on the queue its owner names; a handler gets only the events its watch asked for.
// Changes are merged: what comes while a call waits on the queue joins it, so a burst of changes is a
// few calls, each with the union of their events, and their order within a call is not told. The
// program has one InotifyFileWatcher; tests on virtual time use ManualFileWatcher.
//
// A watch follows the file, not its path. When the file is deleted, or replaced by a rename over it
// (how preference files are written), its watch delivers deleteSelf (when asked for) and ends; the
// owner watches the path again to see the new file. A renamed file delivers moveSelf and stays
// watched where it went.
//
// The handle: cancelling or destroying it ends the watch; jobs already queued for it are dropped.
// Cancelled on the handler's own queue, no handler runs afterwards; cancelled from another thread, a
// handler that is just starting may still run, so handlers hold their owners weakly. The queue must
// outlive the watch. Any thread may watch and cancel.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>

#include "platform/FileContents.h"
#include "runtime/Queue.h"
#include "runtime/Subscription.h"

namespace tavelin {

enum class FileEvent : std::uint32_t {
    // Of the watched file or folder itself.
    write = 1u << 0,       // contents written
    extend = 1u << 1,      // grown; Linux cannot tell this from a write, so both come together
    attrib = 1u << 2,      // attributes changed
    link = 1u << 3,        // link count changed; Linux reports it as an attribute change: both come together
    deleteSelf = 1u << 4,  // deleted, or replaced by a rename over it; the watch has ended
    moveSelf = 1u << 5,    // renamed or moved
    // Of the entries of a watched folder.
    entryCreated = 1u << 6,
    entryDeleted = 1u << 7,
    entryMovedFrom = 1u << 8,  // renamed away from the folder or within it (its old name)
    entryMovedTo = 1u << 9,    // renamed into the folder or within it (its new name)
};

class FileEvents {
  public:
    constexpr FileEvents() = default;
    constexpr FileEvents(FileEvent event) : bits_(static_cast<std::uint32_t>(event)) {}

    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(FileEvent event) const {
        return (bits_ & static_cast<std::uint32_t>(event)) != 0;
    }
    constexpr std::uint32_t bits() const { return bits_; }

    friend constexpr FileEvents operator|(FileEvents a, FileEvents b) {
        return FileEvents(a.bits_ | b.bits_);
    }
    friend constexpr FileEvents operator&(FileEvents a, FileEvents b) {
        return FileEvents(a.bits_ & b.bits_);
    }
    friend constexpr bool operator==(FileEvents, FileEvents) = default;

  private:
    constexpr explicit FileEvents(std::uint32_t bits) : bits_(bits) {}
    std::uint32_t bits_ = 0;
};

constexpr FileEvents operator|(FileEvent a, FileEvent b) { return FileEvents(a) | FileEvents(b); }

// What a write to a folder means: an entry came, went or was renamed.
inline constexpr FileEvents kFolderEntriesChanged =
    FileEvent::entryCreated | FileEvent::entryDeleted | FileEvent::entryMovedFrom | FileEvent::entryMovedTo;

using FileWatch = Subscription;

class FileWatcher {
  public:
    using Handler = std::move_only_function<void(FileEvents)>;

    virtual ~FileWatcher() = default;

    // Fails when the path cannot be watched: missing, or not readable. Symbolic links are followed.
    [[nodiscard]] virtual std::expected<FileWatch, FileError> watch(const std::filesystem::path& path,
                                                                    FileEvents events, Queue& queue,
                                                                    Handler handler) = 0;
};

}  // namespace tavelin
