#pragma once

// The user's standard folders, as the file manager reports them.

#include <filesystem>
#include <optional>

namespace tavelin {

class UserFolders {
  public:
    virtual ~UserFolders() = default;

    virtual std::filesystem::path homeDirectory() const = 0;
    // The first Trash folder of the user's domain; none when the system names none.
    virtual std::optional<std::filesystem::path> trashDirectory() const = 0;
    // The user's Desktop, Documents and Downloads folders; none when the system names none.
    virtual std::optional<std::filesystem::path> desktopDirectory() const = 0;
    virtual std::optional<std::filesystem::path> documentsDirectory() const = 0;
    virtual std::optional<std::filesystem::path> downloadsDirectory() const = 0;
    // The Applications folder of the local domain, where the program is meant to be installed.
    virtual std::filesystem::path applicationsDirectory() const = 0;
};

}  // namespace tavelin
