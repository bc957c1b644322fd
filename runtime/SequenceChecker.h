#pragma once

// Confines an object to one queue, in builds with assertions: a call from any other queue stops at once
// and names the caller, where the program (every serial queue on a thread of its own) would race the
// queue's own changes. An unbound checker checks nothing. Copies check against the same queue.
//
//     explicit SimPrivacy(SequenceChecker mainThread) : mainThread_(mainThread) {}
//     bool isProcessTrusted() const { mainThread_.check(); ... }   // names isProcessTrusted when off main

#include <source_location>

namespace tavelin {

class Queue;

class SequenceChecker {
  public:
    SequenceChecker() = default;
    explicit SequenceChecker(const Queue& queue) : queue_(&queue) {}

    void check(std::source_location call = std::source_location::current()) const {
#ifndef NDEBUG
        if (queue_) checkCurrent(call);
#else
        (void)call;
#endif
    }

  private:
    void checkCurrent(const std::source_location& call) const;

    const Queue* queue_ = nullptr;
};

}  // namespace tavelin
