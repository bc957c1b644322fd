#include "runtime/TaskList.h"

#include <algorithm>

namespace tavelin {

void TaskList::add(Duration due, const Queue* lane, Job job, WorkItem item) {
    tasks_.emplace(std::pair(due, nextSequence_++), Entry{due, lane, std::move(job), std::move(item)});
}

std::optional<TaskList::Entry> TaskList::takeDue(Duration now, bool worldOnly) {
    for (auto it = tasks_.begin(); it != tasks_.end() && it->first.first <= now;) {
        if (it->second.item.isCancelled()) {
            it = tasks_.erase(it);
        } else if (worldOnly && it->second.lane != nullptr) {
            ++it;
        } else {
            Entry task = std::move(it->second);
            tasks_.erase(it);
            return task;
        }
    }
    return std::nullopt;
}

std::optional<Duration> TaskList::nextDue(bool worldOnly) const {
    for (const auto& [key, task] : tasks_) {
        if (!task.item.isCancelled() && (!worldOnly || task.lane == nullptr)) return key.first;
    }
    return std::nullopt;
}

std::size_t TaskList::pendingCount() const {
    return static_cast<std::size_t>(
        std::ranges::count_if(tasks_, [](const auto& entry) { return !entry.second.item.isCancelled(); }));
}

}  // namespace tavelin
