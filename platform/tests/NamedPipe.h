#pragma once

// A named pipe put in place of a file, for the tests that check that no reader waits on one. Opening a
// pipe for reading waits for a writer; a reader that does so is let go after 10 s by a writer that
// opens and closes at once, and the test fails instead of hanging.

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

// What `read` returns; a failure of the test when it waited on the pipe.
template <class Read>
auto readsWithoutWaiting(const std::filesystem::path& pipe, Read read) {
    auto result = std::async(std::launch::async, std::move(read));
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "waited on the named pipe " << pipe;
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) ::close(writer);
    }
    return result.get();
}

}  // namespace tavelin::testing
