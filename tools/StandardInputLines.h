#pragma once

// Reads standard input line by line on a thread of its own and hands each line to a handler on that
// thread (which posts it where it belongs). It waits with a short poll, so that stop() returns soon
// also while nothing is typed. The end of the input ends the reading.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tavelin {

class StandardInputLines {
  public:
    using Handler = std::function<void(std::string line)>;

    StandardInputLines(int descriptor, Handler handler);
    ~StandardInputLines() { stop(); }
    StandardInputLines(const StandardInputLines&) = delete;
    StandardInputLines& operator=(const StandardInputLines&) = delete;

    void stop();

    // Longer lines are cut into pieces of this length.
    static constexpr std::size_t kMaxLineBytes = 4096;

  private:
    void run();

    int descriptor_;
    Handler handler_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tavelin
