#include "platform/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace tavelin {
namespace {

FileError errorFor(const std::filesystem::path& path, std::string_view reason) {
    return FileError{path.string() + ": " + std::string(reason)};
}

FileError errnoError(const std::filesystem::path& path, int error) {
    return errorFor(path, std::strerror(error));
}

// Closes on every path out of the functions below.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close (a delayed write error) can be reported.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const auto written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::expected<std::string, FileError> readFileContents(const std::filesystem::path& path,
                                                       std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever; a device may block as well.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) return std::unexpected(errnoError(path, errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return std::unexpected(errnoError(path, errno));
    if (!S_ISREG(info.st_mode)) return std::unexpected(errorFor(path, "not a regular file"));
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return std::unexpected(errorFor(path, "larger than " + std::to_string(maxBytes) + " bytes"));
    }
    std::string contents;
    char buffer[65536];
    for (;;) {
        const auto count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(errnoError(path, errno));
        }
        if (count == 0) break;
        // The file may have grown since it was measured.
        if (contents.size() + static_cast<std::size_t>(count) > maxBytes) {
            return std::unexpected(errorFor(path, "larger than " + std::to_string(maxBytes) + " bytes"));
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
    return contents;
}

std::expected<void, FileError> writeFileAtomically(const std::filesystem::path& path,
                                                   std::string_view contents) {
    const auto folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return std::unexpected(errorFor(folder, error.message()));

    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) return std::unexpected(errnoError(folder, errno));

    const auto fail = [&](int code) {
        ::unlink(temporary.c_str());
        return std::unexpected(errnoError(path, code));
    };
    if (!writeAll(file.get(), contents) || ::fsync(file.get()) != 0) return fail(errno);
    if (!file.close()) return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
    return {};
}

}  // namespace tavelin
