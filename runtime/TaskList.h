#pragma once

// Jobs waiting for their time, for the schedulers: ordered by due time, then by submission. Each job
// belongs to a lane, the queue it runs on, or no queue for the simulated world's own events.
// Not thread-safe; the schedulers guard it.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "runtime/Clock.h"
#include "runtime/Queue.h"
#include "runtime/WorkItem.h"

namespace tavelin {

class TaskList {
public:
    struct Entry {
        Duration due{};
        const Queue* lane = nullptr;  // none: a world event
        Job job;
        WorkItem item;
    };

    void add(Duration due, const Queue* lane, Job job, WorkItem item = {});

    // The earliest job due at `now`, cancelled ones skipped (and dropped); world events only when asked.
    std::optional<Entry> takeDue(Duration now, bool worldOnly = false);
    std::optional<Duration> nextDue(bool worldOnly = false) const;

    // Jobs still to run, cancelled ones not counted.
    std::size_t pendingCount() const;

    using Entries = std::map<std::pair<Duration, std::uint64_t>, Entry>;
    // Empties the list; the jobs are destroyed by the caller, outside its locks.
    Entries takeAll() { return std::exchange(tasks_, {}); }

private:
    Entries tasks_;
    std::uint64_t nextSequence_ = 0;
};

}  // namespace tavelin
