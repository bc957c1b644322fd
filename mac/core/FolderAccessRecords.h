#pragma once

// Whether reading a folder was allowed the last time it was tried, per folder path, kept in the
// program's user-defaults domain under "permissions.folderAccess" as a dictionary from path to
// "unknown", "granted" or "denied". A path that is missing, or whose value is another text, reads as
// unknown.
//
// A dictionary that also holds values of other types keeps its text entries: they are read as usual,
// and the next store writes them back (the other values are dropped), so that one stray value does not
// cost every record.
//
// Main thread.

#include <string>
#include <string_view>
#include <vector>

#include "platform/UserDefaults.h"
#include "protocol/EnumText.h"

namespace tavelin {

enum class FolderAccessState { unknown, granted, denied };

template <>
struct EnumText<FolderAccessState> {
    static constexpr std::string_view names[] = {"unknown", "granted", "denied"};
};

inline constexpr std::string_view kFolderAccessKey = "permissions.folderAccess";
inline constexpr std::string_view kFolderCheckDoneKey = "permissions.folderCheckDone";

class FolderAccessRecords {
  public:
    explicit FolderAccessRecords(UserDefaults& defaults) : defaults_(defaults) {}

    FolderAccessState state(std::string_view path) const;
    // Writes the whole dictionary back; false, and nothing written, when the path holds that state already.
    bool store(FolderAccessState state, std::string_view path);
    // Every recorded path, in the stored order.
    std::vector<std::string> paths() const;

  private:
    PlistDict textEntries() const;

    UserDefaults& defaults_;
};

}  // namespace tavelin
