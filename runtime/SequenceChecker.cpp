#include "runtime/SequenceChecker.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/Queue.h"

namespace tavelin {

void SequenceChecker::checkCurrent(const std::source_location& call) const {
    if (queue_->isCurrent()) return;
    const std::string label(queue_->label());
    std::fprintf(stderr, "%s called off the %s queue (%s:%u)\n", call.function_name(), label.c_str(),
                 call.file_name(), static_cast<unsigned>(call.line()));
    std::abort();
}

}  // namespace tavelin
