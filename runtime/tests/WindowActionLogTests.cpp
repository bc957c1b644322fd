#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/NamedPipe.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"
#include "runtime/WindowActionLog.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// 2026-01-31T09:15:02.123456Z
Timestamp exampleTime() {
    using namespace std::chrono;
    return sys_days{2026y / January / 31} + 9h + 15min + 2s + 123456us;
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowActionLogTest, StampsAreUtcWithThreeDigitsOfMillisecondsFloored) {
    EXPECT_EQ(windowActionLogStamp(exampleTime()), "2026-01-31T09:15:02.123Z");
    EXPECT_EQ(windowActionLogStamp(exampleTime() - 123456us), "2026-01-31T09:15:02.000Z");
    EXPECT_EQ(windowActionLogStamp(exampleTime() + 876544us - 1us), "2026-01-31T09:15:02.999Z");
    EXPECT_EQ(windowActionLogStamp(Timestamp{}), "1970-01-01T00:00:00.000Z");
}

TEST(WindowActionLogTest, TheFirstLineMakesTheFolderAndLaterLinesFollowInOrder) {
    TemporaryFolder home;
    VirtualScheduler scheduler(exampleTime());
    WindowActionFileLog log(home.path(), scheduler.clock());
    EXPECT_EQ(log.logURL(), home / "Library/Logs/Tavelin/window-actions.log");

    log.append("activate ensure visible start cgID=4711 window=4711:Inbox");
    EXPECT_EQ(contents(log.logURL()), "2026-01-31T09:15:02.123Z activate ensure visible start cgID=4711 window=4711:Inbox\n");

    scheduler.advance(1500ms);
    log.append("");
    log.append("two\nlines");
    EXPECT_EQ(contents(log.logURL()),
              "2026-01-31T09:15:02.123Z activate ensure visible start cgID=4711 window=4711:Inbox\n"
              "2026-01-31T09:15:03.623Z \n"
              "2026-01-31T09:15:03.623Z two\nlines\n");
}

TEST(WindowActionLogTest, AnUnwritableHomeLosesTheLineQuietly) {
    TemporaryFolder folder;
    const auto home = folder / "home";
    std::ofstream(home) << "a file, not a folder";
    VirtualScheduler scheduler;
    WindowActionFileLog log(home, scheduler.clock());
    log.append("space skip no cgWindowID");
    EXPECT_EQ(contents(home), "a file, not a folder");
}

// A named pipe at the log path would hold up the main thread at the first window action: no line waits on
// it, none goes into it, and a file there again gets its line.
TEST(WindowActionLogTest, ANamedPipeAtTheLogPathIsNeitherWaitedOnNorWrittenTo) {
    TemporaryFolder home;
    VirtualScheduler scheduler(exampleTime());
    WindowActionFileLog log(home.path(), scheduler.clock());
    testing::makeNamedPipe(log.logURL());
    testing::writesWithoutWaiting(log.logURL(), [&] { log.append("activate start"); });

    const int reader = ::open(log.logURL().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    log.append("activate start");
    char buffer[256];
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 0) << "a line went into the pipe";
    ::close(reader);

    std::filesystem::remove(log.logURL());
    log.append("activate complete");
    EXPECT_EQ(contents(log.logURL()), "2026-01-31T09:15:02.123Z activate complete\n");
}

// Many writers that all begin with the file missing: no line is lost, none is torn, and each thread's
// lines keep their order.
TEST(WindowActionLogTest, ConcurrentWritersKeepEveryLineWhole) {
    TemporaryFolder home;
    VirtualScheduler scheduler(exampleTime());
    WindowActionFileLog log(home.path(), scheduler.clock());
    constexpr int kThreads = 8;
    constexpr int kLines = 500;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([&log, t] {
                for (int i = 0; i < kLines; ++i) {
                    log.append("windowList thread=" + std::to_string(t) + " line=" + std::to_string(i) +
                               " padding=" + std::string(100, 'x'));
                }
            });
        }
    }
    std::istringstream lines(contents(log.logURL()));
    std::vector<int> next(kThreads, 0);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        int thread = -1;
        int index = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "2026-01-31T09:15:02.123Z windowList thread=%d line=%d", &thread, &index), 2)
            << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        EXPECT_EQ(index, next[thread]++) << line;
        EXPECT_TRUE(line.ends_with(" padding=" + std::string(100, 'x'))) << line;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(WindowActionLogTest, TheCapturedLogKeepsMessagesInOrder) {
    CapturedWindowActionLog log;
    log.append("a");
    log.append("");
    EXPECT_THAT(log.lines(), ElementsAre("a", ""));
}

}  // namespace
}  // namespace tavelin
