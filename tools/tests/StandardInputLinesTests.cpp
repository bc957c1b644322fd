#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "tools/StandardInputLines.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

// The lines and discards that the reader hands on for `input`, read from a pipe to its end. The input
// ends with "end", without a newline, which is handed on last.
struct Heard {
    std::vector<std::string> lines;
    int discarded = 0;
};

Heard heardFrom(const std::string& input) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    std::mutex mutex;
    Heard heard;
    std::promise<void> ended;
    StandardInputLines reader(
        pipe[0],
        [&](std::string line) {
            std::lock_guard lock(mutex);
            heard.lines.push_back(line);
            if (line == "end") ended.set_value();
        },
        [&] {
            std::lock_guard lock(mutex);
            ++heard.discarded;
        });
    // Written in pieces, as a terminal or a pipe hands them over.
    for (std::size_t at = 0; at < input.size(); at += 1000) {
        const auto piece = input.substr(at, 1000);
        EXPECT_EQ(::write(pipe[1], piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
    }
    EXPECT_EQ(::write(pipe[1], "end", 3), 3);
    ::close(pipe[1]);
    EXPECT_EQ(ended.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    reader.stop();
    ::close(pipe[0]);
    std::lock_guard lock(mutex);
    return heard;
}

TEST(StandardInputLines, AnOverlongLineIsDiscardedWholeAndReadingGoesOn) {
    constexpr auto kMax = StandardInputLines::kMaxLineBytes;
    const std::string fits(kMax, 'f');
    const auto heard = heardFrom(std::string(kMax, 'x') + "quit\n" +  // its rest is no command
                                 "trash-add " + std::string(kMax - 10, 'y') + "trash-add pwned\n" +
                                 std::string(3 * kMax, 'z') + "\n" +  // one report, however long
                                 "launch com.apple.Notes\n" + fits + "\n" + "\n");
    EXPECT_THAT(heard.lines, ElementsAre("launch com.apple.Notes", fits, "", "end"));
    EXPECT_EQ(heard.discarded, 3);
}

}  // namespace
}  // namespace tavelin
