#include "platform/ManualFileWatcher.h"

#include <algorithm>
#include <system_error>

#include "platform/FileWatchRegistration.h"

namespace tavelin {

std::expected<FileWatch, FileError> ManualFileWatcher::watch(const std::filesystem::path& path,
                                                             FileEvents events, Queue& queue,
                                                             Handler handler) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
        return std::unexpected(FileError{path.string() + ": " + error.message()});
    }

    auto registration = std::make_shared<FileWatchRegistration>(path, events, queue, std::move(handler));
    {
        std::lock_guard lock(state_->mutex);
        state_->live.push_back(registration);
    }
    return FileWatch([registration, weakState = std::weak_ptr<State>(state_)] {
        registration->cancel();
        if (auto state = weakState.lock()) {
            std::lock_guard lock(state->mutex);
            std::erase(state->live, registration);
        }
    });
}

void ManualFileWatcher::emit(const std::filesystem::path& path, FileEvents events) {
    std::vector<std::shared_ptr<FileWatchRegistration>> matching;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& registration : state_->live) {
            if (registration->path() == path) matching.push_back(registration);
        }
        // A moved file takes its watch along: the path is heard of no more.
        if (events.contains(FileEvent::deleteSelf) || events.contains(FileEvent::moveSelf)) {
            std::erase_if(state_->live,
                          [&](const auto& registration) { return registration->path() == path; });
        }
    }
    for (const auto& registration : matching) FileWatchRegistration::deliver(registration, events);
}

std::vector<ManualFileWatcher::Watched> ManualFileWatcher::watches() const {
    std::lock_guard lock(state_->mutex);
    std::vector<Watched> watched;
    for (const auto& registration : state_->live)
        watched.push_back({registration->path(), registration->events()});
    return watched;
}

}  // namespace tavelin
