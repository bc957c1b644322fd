#pragma once

// The real file watcher: one inotify instance and one reader thread, which reads the kernel's events
// and queues them on the queues of the watches they concern: what one read brings is one call per
// watch, with the union of its events, and what comes while that call waits on its queue joins it. The
// program makes one and hands it to every service that watches; its watches may be cancelled after it is
// gone.
//
// The kernel keeps one watch per file and instance, so watches of the same file share it: it stays
// until the last of them is cancelled. When the kernel's event queue overflows, events are lost;
// every watch then gets all the events it asked for, so that its owner reads everything again.
//
// Handlers are queued from the reader thread, so the queues must take work from any thread (the live
// scheduler's do; tests on virtual time use ManualFileWatcher).

#include <memory>
#include <optional>
#include <thread>

#include "platform/FileWatcher.h"

namespace tavelin {

class InotifyFileWatcher final : public FileWatcher {
  public:
    // When the kernel refuses an inotify instance, every watch() fails with the reason.
    InotifyFileWatcher();
    // Stops and joins the reader thread; jobs already queued still run.
    ~InotifyFileWatcher() override;
    InotifyFileWatcher(const InotifyFileWatcher&) = delete;
    InotifyFileWatcher& operator=(const InotifyFileWatcher&) = delete;

    std::expected<FileWatch, FileError> watch(const std::filesystem::path& path, FileEvents events,
                                              Queue& queue, Handler handler) override;

  private:
    class Instance;

    std::shared_ptr<Instance> instance_;
    std::optional<FileError> unavailable_;
    std::thread reader_;
};

}  // namespace tavelin
