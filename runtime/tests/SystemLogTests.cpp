#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "protocol/Timestamp.h"
#include "runtime/SystemLog.h"

namespace tavelin {
namespace {

TEST(SystemLogTest, CapturesOneFormattedLinePerCall) {
    CapturedSystemLog log;
    log.logf("Tavelin wallpaper: refresh failed, keeping cached (%d bytes)", 48213);
    log.log("Tavelin wallpaper: no Wallpaper SCWindow on display 1");
    const std::string path(5000, 'x');
    log.logf("long %s end", path.c_str());
    log.logf("%s", "");
    EXPECT_THAT(log.lines(),
                ::testing::ElementsAre("Tavelin wallpaper: refresh failed, keeping cached (48213 bytes)",
                                       "Tavelin wallpaper: no Wallpaper SCWindow on display 1",
                                       "long " + path + " end", ""));
}

TEST(SystemLogTest, TheLiveLogWritesAStampedLineToStandardError) {
    StderrSystemLog log;
    ::testing::internal::CaptureStderr();
    log.logf("Tavelin wallpaper: %s", "refreshed");
    const std::string written = ::testing::internal::GetCapturedStderr();
    // "<time> tavelin[<pid>] <line>\n"
    const auto space = written.find(' ');
    ASSERT_NE(space, std::string::npos) << written;
    EXPECT_TRUE(parseTimestamp(written.substr(0, space)).has_value()) << written;
    EXPECT_EQ(written.substr(space + 1),
              "tavelin[" + std::to_string(getpid()) + "] Tavelin wallpaper: refreshed\n");
}

}  // namespace
}  // namespace tavelin
