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

// What `write` returns; a failure of the test when it waited on the pipe.
template <class Write>
auto writesWithoutWaiting(const std::filesystem::path& pipe, Write write) {
    struct Reader {
        int fd = -1;
        ~Reader() {
            if (fd >= 0) ::close(fd);
        }
    } reader;
    auto result = std::async(std::launch::async, std::move(write));
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "waited on the named pipe " << pipe;
        reader.fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    return result.get();
}

}  // namespace tavelin::testing
