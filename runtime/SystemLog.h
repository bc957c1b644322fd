#pragma once

// The system log: one line per call. The program writes to standard error; tests capture the lines.
// Any thread may log.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

class SystemLog {
public:
    virtual ~SystemLog() = default;

    void log(std::string_view line) { writeLine(line); }
    // printf-style: log("Tavelin wallpaper: refresh failed, keeping cached (%zu bytes)", size).
    void logf(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    virtual void writeLine(std::string_view line) = 0;
};

// "<UTC time> tavelin[<pid>] <line>" on standard error.
class StderrSystemLog final : public SystemLog {
protected:
    void writeLine(std::string_view line) override;

private:
    std::mutex mutex_;
};

class CapturedSystemLog final : public SystemLog {
public:
    std::vector<std::string> lines() const;

protected:
    void writeLine(std::string_view line) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace tavelin
