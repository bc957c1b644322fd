#pragma once

// Reads standard input line by line on a thread of its own and hands each line to a handler on that
// thread (which posts it where it belongs). It waits with a short poll, so that stop() returns soon
// also while nothing is typed. The end of the input ends the reading.
//
// A line longer than kMaxLineBytes is discarded whole (none of it is a command) and reported once to
// the second handler; reading goes on with the next line.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tavelin {

class StandardInputLines {
  public:
    using Handler = std::function<void(std::string line)>;
    using DiscardHandler = std::function<void()>;

    StandardInputLines(int descriptor, Handler handler, DiscardHandler discarded);
    ~StandardInputLines() { stop(); }
    StandardInputLines(const StandardInputLines&) = delete;
    StandardInputLines& operator=(const StandardInputLines&) = delete;

    void stop();

    static constexpr std::size_t kMaxLineBytes = 4096;

  private:
    void run();

    int descriptor_;
    Handler handler_;
    DiscardHandler discarded_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tavelin
