#include "tools/StandardInputLines.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace tavelin {

StandardInputLines::StandardInputLines(int descriptor, Handler handler, DiscardHandler discarded)
    : descriptor_(descriptor),
      handler_(std::move(handler)),
      discarded_(std::move(discarded)),
      thread_([this] { run(); }) {}

void StandardInputLines::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

void StandardInputLines::run() {
    std::string pending;
    bool overlong = false;  // the rest of the current line is dropped
    char buffer[512];
    while (!stopping_) {
        pollfd request{descriptor_, POLLIN, 0};
        const int ready = ::poll(&request, 1, 100);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const auto count = ::read(descriptor_, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) break;
        for (const char c : std::string_view(buffer, static_cast<std::size_t>(count))) {
            if (c == '\n') {
                if (!std::exchange(overlong, false)) handler_(std::exchange(pending, {}));
            } else if (overlong) {
                continue;
            } else if (pending.size() == kMaxLineBytes) {
                overlong = true;
                pending.clear();
                discarded_();
            } else {
                pending.push_back(c);
            }
        }
    }
    if (!pending.empty() && !stopping_) handler_(std::move(pending));
}

}  // namespace tavelin
