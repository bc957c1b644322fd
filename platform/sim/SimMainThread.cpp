#include "platform/sim/SimMainThread.h"

#include <cstdio>
#include <cstdlib>

namespace tavelin::sim {

void SimMainThread::calledOffMain(const std::source_location& call) {
    std::fprintf(stderr, "SimMac: %s called off the main queue (%s:%u)\n", call.function_name(),
                 call.file_name(), static_cast<unsigned>(call.line()));
    std::abort();
}

}  // namespace tavelin::sim
