#pragma once

// Whole-file reading with a size cap and whole-file replacement by atomic rename, for the small files the
// system keeps (preference files, the desktop file). A reader never sees a half-written file: the new
// contents go to a temporary file in the same folder, are flushed, and then renamed over the old one.

#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavelin {

struct FileError {
    std::string message;  // "/home/u/Library/Preferences/x.plist: No such file or directory"
    friend bool operator==(const FileError&, const FileError&) = default;
};

// Fails for a missing or unreadable file, for anything that is not a regular file (a named pipe, a
// device, a folder: "<path>: not a regular file"), and for a file larger than `maxBytes`. Never waits:
// every file the system reads comes through here, so that no file put in place of another can stop it.
std::expected<std::string, FileError> readFileContents(const std::filesystem::path& path,
                                                       std::size_t maxBytes);

// Creates the parent folder when it is missing. On failure the old file is left as it was and no
// temporary file is left behind.
std::expected<void, FileError> writeFileAtomically(const std::filesystem::path& path,
                                                   std::string_view contents);

}  // namespace tavelin
