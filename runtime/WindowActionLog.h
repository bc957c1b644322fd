#pragma once

// The window-actions log: the append-only trace of what window actions, activation, Spaces navigation,
// window lists and the switcher's and devices' window commands did, one line per step. Nothing reads it
// back; it is there for the user and for support. Each line is the wall-clock time in UTC with
// milliseconds, one space, the message unchanged and a line feed:
//
//     2026-01-31T09:15:02.123Z activate ensure visible start cgID=4711 window=4711:Inbox
//
// The message is not escaped: one that holds a line feed breaks its entry in two. Appending never
// fails towards the caller; a line that cannot be written is lost without a word.
//
// The program writes the file in the user's home folder (WindowActionFileLog); tests capture the lines
// (CapturedWindowActionLog). Any thread may append.

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Timestamp.h"

namespace tavelin {

class Clock;

class WindowActionLog {
  public:
    virtual ~WindowActionLog() = default;

    virtual void append(std::string_view message) = 0;
};

// "2026-01-31T09:15:02.123Z": the time floored to whole milliseconds.
std::string windowActionLogStamp(Timestamp time);

// The log file "Library/Logs/Tavelin/window-actions.log" under a home folder, fixed when the log is
// made. Every line is one open, one write and one close, so the file can be moved or deleted at any time
// and a new one begins. The file is opened for appending: lines of several threads or processes land
// whole and in the order of their writes. The open never waits, and anything at the path that is not a
// regular file (a named pipe, a device) gets no line.
class WindowActionFileLog final : public WindowActionLog {
  public:
    WindowActionFileLog(const std::filesystem::path& homeFolder, const Clock& clock);

    void append(std::string_view message) override;

    const std::filesystem::path& logURL() const { return logURL_; }

  private:
    const std::filesystem::path logURL_;
    const Clock& clock_;
};

// The messages, without stamps, in the order appended.
class CapturedWindowActionLog final : public WindowActionLog {
  public:
    void append(std::string_view message) override;
    std::vector<std::string> lines() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace tavelin
