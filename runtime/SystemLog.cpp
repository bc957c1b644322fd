#include "runtime/SystemLog.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "protocol/Timestamp.h"

namespace tavelin {

void SystemLog::logf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    writeLine(line);
}

void StderrSystemLog::writeLine(std::string_view line) {
    const std::string time = formatTimestamp(currentTimestamp()).value_or("-");
    std::lock_guard lock(mutex_);
    std::fprintf(stderr, "%s tavelin[%d] %.*s\n", time.c_str(), static_cast<int>(getpid()),
                 static_cast<int>(line.size()), line.data());
}

std::vector<std::string> CapturedSystemLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void CapturedSystemLog::writeLine(std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
}

}  // namespace tavelin
