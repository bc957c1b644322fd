#pragma once

// A named pipe put in place of a file, for the tests that check that no reader or writer waits on one.
// Opening a pipe for reading waits for a writer; a reader that does so is let go after 10 s by a writer
// that opens and closes at once, and the test fails instead of hanging. Opening one for writing waits
// for a reader; such a writer is let go in the same way by a reader, which stays open until the write
// is done (a write to a pipe without a reader would end the test with SIGPIPE).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <utility>

namespace tavelin::testing {

inline void makeNamedPipe(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

// What `work` returns; a failure of the test when it waited on the pipe for 10 s. The pipe's other end,
// opened with `otherEnd`, then lets it go, and stays open until `work` is done when `holdOtherEnd`.
template <class Work>
auto runsWithoutWaiting(const std::filesystem::path& pipe, Work work, int otherEnd, bool holdOtherEnd) {
    struct End {
        int fd = -1;
        ~End() {
            if (fd >= 0) ::close(fd);
        }
    } end;
    auto result = std::async(std::launch::async, std::move(work));
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "waited on the named pipe " << pipe;
        end.fd = ::open(pipe.c_str(), otherEnd | O_NONBLOCK | O_CLOEXEC);
        if (!holdOtherEnd && end.fd >= 0) ::close(std::exchange(end.fd, -1));
    }
    return result.get();
}

// A reader is let go by a writer that closes at once, so that it reads the end of the pipe.
template <class Read>
auto readsWithoutWaiting(const std::filesystem::path& pipe, Read read) {
    return runsWithoutWaiting(pipe, std::move(read), O_WRONLY, false);
}

// A writer is let go by a reader that stays open, so that its write does not raise SIGPIPE.
template <class Write>
auto writesWithoutWaiting(const std::filesystem::path& pipe, Write write) {
    return runsWithoutWaiting(pipe, std::move(write), O_RDONLY, true);
}

}  // namespace tavelin::testing
