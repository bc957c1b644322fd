#include "runtime/WindowActionLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <system_error>

#include "runtime/Clock.h"

namespace tavelin {

std::string windowActionLogStamp(Timestamp time) {
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(time);
    const auto day = floor<days>(milliseconds);
    const year_month_day date(day);
    const hh_mm_ss clock(milliseconds - day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

WindowActionFileLog::WindowActionFileLog(const std::filesystem::path& homeFolder, const Clock& clock)
    : logURL_(homeFolder / "Library/Logs/Tavelin/window-actions.log"), clock_(clock) {}

void WindowActionFileLog::append(std::string_view message) {
    std::string line = windowActionLogStamp(clock_.now());
    line.reserve(line.size() + message.size() + 2);
    line += ' ';
    line += message;
    line += '\n';
    std::error_code ignored;
    std::filesystem::create_directories(logURL_.parent_path(), ignored);
    // Appending in one write keeps concurrent lines whole; creating with O_APPEND never truncates a file
    // that another caller made a moment before. A named pipe put there would hold up a blocking open until
    // something read it, and the main thread with it: the open never waits, and only a regular file
    // gets the line.
    const int file =
        ::open(logURL_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (file < 0) return;
    struct stat info {};
    if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
        [[maybe_unused]] const auto written = ::write(file, line.data(), line.size());
    }
    ::close(file);
}

void CapturedWindowActionLog::append(std::string_view message) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(message);
}

std::vector<std::string> CapturedWindowActionLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void CapturedWindowActionLog::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace tavelin
