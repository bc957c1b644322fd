#pragma once

// A fresh folder under the system's temporary folder (or under another folder, such as one on a
// second volume), removed with everything in it at the end of the test.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tavelin {

class TemporaryFolder {
  public:
    explicit TemporaryFolder(const std::filesystem::path& under = std::filesystem::temp_directory_path()) {
        std::string pattern = (under / "tavelin-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace tavelin
