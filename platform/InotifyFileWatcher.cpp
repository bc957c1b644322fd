#include "platform/InotifyFileWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/FileWatchRegistration.h"

namespace tavelin {
namespace {

std::uint32_t kernelMask(FileEvents events) {
    std::uint32_t mask = 0;
    if (events.contains(FileEvent::write) || events.contains(FileEvent::extend)) mask |= IN_MODIFY;
    if (events.contains(FileEvent::attrib) || events.contains(FileEvent::link)) mask |= IN_ATTRIB;
    if (events.contains(FileEvent::deleteSelf)) mask |= IN_DELETE_SELF;
    if (events.contains(FileEvent::moveSelf)) mask |= IN_MOVE_SELF;
    if (events.contains(FileEvent::entryCreated)) mask |= IN_CREATE;
    if (events.contains(FileEvent::entryDeleted)) mask |= IN_DELETE;
    if (events.contains(FileEvent::entryMovedFrom)) mask |= IN_MOVED_FROM;
    if (events.contains(FileEvent::entryMovedTo)) mask |= IN_MOVED_TO;
    return mask;
}

FileEvents eventsOf(std::uint32_t mask) {
    FileEvents events;
    if (mask & IN_MODIFY) events = events | FileEvent::write | FileEvent::extend;
    if (mask & IN_ATTRIB) events = events | FileEvent::attrib | FileEvent::link;
    // An unmounted file system ends the watch as a deletion does.
    if (mask & (IN_DELETE_SELF | IN_UNMOUNT)) events = events | FileEvent::deleteSelf;
    if (mask & IN_MOVE_SELF) events = events | FileEvent::moveSelf;
    if (mask & IN_CREATE) events = events | FileEvent::entryCreated;
    if (mask & IN_DELETE) events = events | FileEvent::entryDeleted;
    if (mask & IN_MOVED_FROM) events = events | FileEvent::entryMovedFrom;
    if (mask & IN_MOVED_TO) events = events | FileEvent::entryMovedTo;
    return events;
}

}  // namespace

// The inotify descriptor and the watches on it, shared by the watcher, its reader thread and the
// handles that cancel watches.
class InotifyFileWatcher::Instance {
  public:
    using Registrations = std::vector<std::shared_ptr<FileWatchRegistration>>;

    static std::expected<std::shared_ptr<Instance>, FileError> open() {
        const int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify < 0) return std::unexpected(FileError{std::string("inotify: ") + std::strerror(errno)});
        const int stop = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (stop < 0) {
            const int error = errno;
            ::close(inotify);
            return std::unexpected(FileError{std::string("inotify: ") + std::strerror(error)});
        }
        return std::make_shared<Instance>(inotify, stop);
    }

    Instance(int inotify, int stop) : inotify_(inotify), stop_(stop) {}
    ~Instance() {
        ::close(inotify_);
        ::close(stop_);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // The kernel's descriptor of the watch, or the reason it refused.
    std::expected<int, FileError> add(const std::shared_ptr<FileWatchRegistration>& registration) {
        std::lock_guard lock(mutex_);
        // Added to the mask of a watch that another registration holds on the same file.
        const int descriptor = ::inotify_add_watch(inotify_, registration->path().c_str(),
                                                   kernelMask(registration->events()) | IN_MASK_ADD);
        if (descriptor < 0) {
            return std::unexpected(FileError{registration->path().string() + ": " + std::strerror(errno)});
        }
        watches_[descriptor].push_back(registration);
        return descriptor;
    }

    void remove(const std::shared_ptr<FileWatchRegistration>& registration, int descriptor) {
        std::lock_guard lock(mutex_);
        auto it = watches_.find(descriptor);
        // Gone with its file, or never this registration's: the kernel does not reuse a descriptor
        // soon, but a late cancel must not remove someone else's watch.
        if (it == watches_.end() || std::erase(it->second, registration) == 0) return;
        if (it->second.empty()) {
            ::inotify_rm_watch(inotify_, descriptor);
            watches_.erase(it);
        }
    }

    void readUntilStopped() {
        alignas(inotify_event) char buffer[64 * 1024];
        pollfd descriptors[] = {{inotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
        for (;;) {
            if (::poll(descriptors, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (descriptors[1].revents != 0) return;
            const auto count = ::read(inotify_, buffer, sizeof buffer);
            if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (count <= 0) return;
            // What one read brought is one delivery per watch, with every kind of event in it: 200 new
            // files in a folder are one call, not 200.
            Deliveries deliveries;
            for (std::size_t at = 0; at < static_cast<std::size_t>(count);) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                collect(event, deliveries);
                at += sizeof event + event.len;
            }
            for (const auto& [registration, events] : deliveries) {
                FileWatchRegistration::deliver(registration, events);
            }
        }
    }

    void stop() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(stop_, &one, sizeof one);
    }

  private:
    // In the order the watches were first concerned.
    using Deliveries = std::vector<std::pair<std::shared_ptr<FileWatchRegistration>, FileEvents>>;

    void collect(const inotify_event& event, Deliveries& deliveries) {
        const bool overflow = (event.mask & IN_Q_OVERFLOW) != 0;
        Registrations targets;
        {
            std::lock_guard lock(mutex_);
            if (overflow) {
                for (const auto& [descriptor, registrations] : watches_) {
                    targets.insert(targets.end(), registrations.begin(), registrations.end());
                }
            } else if (auto it = watches_.find(event.wd); it != watches_.end()) {
                targets = it->second;
                // The kernel has dropped the watch: its file was deleted or its file system unmounted.
                if (event.mask & IN_IGNORED) watches_.erase(it);
            }
        }
        for (const auto& registration : targets) {
            const FileEvents events = overflow ? registration->events() : eventsOf(event.mask);
            auto delivery = std::ranges::find(deliveries, registration, &Deliveries::value_type::first);
            if (delivery == deliveries.end()) {
                deliveries.emplace_back(registration, events);
            } else {
                delivery->second = delivery->second | events;
            }
        }
    }

    const int inotify_;
    const int stop_;  // an eventfd that ends the reader
    std::mutex mutex_;
    std::map<int, Registrations> watches_;  // by the kernel's watch descriptor
};

InotifyFileWatcher::InotifyFileWatcher() {
    auto instance = Instance::open();
    if (!instance) {
        unavailable_ = instance.error();
        return;
    }
    instance_ = std::move(*instance);
    reader_ = std::thread([instance = instance_] { instance->readUntilStopped(); });
}

InotifyFileWatcher::~InotifyFileWatcher() {
    if (reader_.joinable()) {
        instance_->stop();
        reader_.join();
    }
}

std::expected<FileWatch, FileError> InotifyFileWatcher::watch(const std::filesystem::path& path,
                                                              FileEvents events, Queue& queue,
                                                              Handler handler) {
    if (unavailable_) return std::unexpected(*unavailable_);
    auto registration = std::make_shared<FileWatchRegistration>(path, events, queue, std::move(handler));
    const auto descriptor = instance_->add(registration);
    if (!descriptor) return std::unexpected(descriptor.error());
    return FileWatch(
        [registration, descriptor = *descriptor, weakInstance = std::weak_ptr<Instance>(instance_)] {
            registration->cancel();
            if (auto instance = weakInstance.lock()) instance->remove(registration, descriptor);
        });
}

}  // namespace tavelin
