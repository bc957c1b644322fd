#pragma once

// One watch as the file watchers keep it: what it asked for, where its handler runs, what waits to be
// handed to it, and whether it was cancelled. The watchers share it with the jobs they queue, so a job
// outlives neither its handler nor the check that drops it after a cancel.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/FileWatcher.h"

namespace tavelin {

class FileWatchRegistration {
  public:
    FileWatchRegistration(std::filesystem::path path, FileEvents events, Queue& queue,
                          FileWatcher::Handler handler)
        : path_(std::move(path)), events_(events), queue_(queue), handler_(std::move(handler)) {}

    const std::filesystem::path& path() const { return path_; }
    FileEvents events() const { return events_; }

    // Queues the handler with the part of `happened` that this watch asked for; nothing when it asked
    // for none of it. What happens while a call waits on the queue joins that call, as one set.
    static void deliver(const std::shared_ptr<FileWatchRegistration>& registration, FileEvents happened) {
        const FileEvents events = happened & registration->events_;
        if (events.empty() || !registration->active_) return;
        {
            std::lock_guard lock(registration->mutex_);
            const bool waiting = !registration->pending_.empty();
            registration->pending_ = registration->pending_ | events;
            if (waiting) return;
        }
        registration->queue_.async([registration] {
            FileEvents pending;
            {
                std::lock_guard lock(registration->mutex_);
                pending = std::exchange(registration->pending_, FileEvents());
            }
            if (registration->active_) registration->handler_(pending);
        });
    }

    // No handler starts after this, also not for events already queued.
    void cancel() { active_ = false; }

  private:
    const std::filesystem::path path_;
    const FileEvents events_;
    Queue& queue_;
    FileWatcher::Handler handler_;  // runs only on queue_, one call at a time
    std::atomic<bool> active_{true};
    std::mutex mutex_;
    FileEvents pending_;  // not yet handed to the handler; a call for them is queued
};

}  // namespace tavelin
