#pragma once

// The file watcher of tests: nothing watches the disk; the test tells what happened with emit(), and
// every live watch of that path gets the events it asked for, as a job on its queue, as the real
// watcher delivers them (emits while that job waits join it). Where owners depend on the real watcher's
// ways it behaves alike: a path that does not exist cannot be watched, and deleteSelf or moveSelf ends
// the watch of the path, so an owner that does not watch the path again hears nothing more. watches()
// lists the live watches, so that a test can check that an owner cancelled its own. Any thread may call.

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/FileWatcher.h"

namespace tavelin {

class FileWatchRegistration;

class ManualFileWatcher final : public FileWatcher {
  public:
    struct Watched {
        std::filesystem::path path;
        FileEvents events;
        friend bool operator==(const Watched&, const Watched&) = default;
    };

    std::expected<FileWatch, FileError> watch(const std::filesystem::path& path, FileEvents events,
                                              Queue& queue, Handler handler) override;

    // `path` as it was given to watch().
    void emit(const std::filesystem::path& path, FileEvents events);

    // In the order they were made.
    std::vector<Watched> watches() const;

  private:
    struct State {
        std::mutex mutex;
        std::vector<std::shared_ptr<FileWatchRegistration>> live;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tavelin
