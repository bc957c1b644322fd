#pragma once

// The platform confines many of its services to the main thread. Their simulated counterparts check
// every call the program makes, in builds with assertions: a call from another queue stops at once and
// names itself, where the program (every serial queue on a thread of its own) would race the main
// thread's changes to the world. Copies check against the same main queue.

#include <source_location>

#include "runtime/Queue.h"

namespace tavelin::sim {

class SimMainThread {
  public:
    explicit SimMainThread(const Queue& main) : main_(&main) {}

    void check(std::source_location call = std::source_location::current()) const {
#ifndef NDEBUG
        if (!main_->isCurrent()) calledOffMain(call);
#else
        (void)call;
#endif
    }

  private:
    [[noreturn]] static void calledOffMain(const std::source_location& call);

    const Queue* main_;
};

}  // namespace tavelin::sim
