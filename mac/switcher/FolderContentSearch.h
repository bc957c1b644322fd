#pragma once

// The search inside one Dock folder that a panel search adds to its result: the folder's direct
// entries (hidden files skipped, sub-folders not entered), in the order the listing gives them, whose
// names without the extension hold the query (case-insensitive in the user's locale, diacritics
// count). At most `limit` hits. A folder that cannot be listed gives none; a name that is not valid
// UTF-8 is matched and shown with U+FFFD, while its identifier and path keep the bytes on disk.
//
// Its kind rule is its own: a package that is no application (a bundle, a document package) is a
// file here, where the folder listings call it a folder.
//
// No state; any thread; blocks on the disk.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "protocol/FolderSnapshot.h"

namespace tavelin::FolderContentSearch {

inline constexpr std::int64_t kLimit = 24;

std::vector<FolderChild> children(const FileSystem& files, const std::filesystem::path& folder,
                                  std::string_view query, std::int64_t limit);

FolderChildKind kind(const std::filesystem::path& entry, const std::optional<FileResourceValues>& values);

}  // namespace tavelin::FolderContentSearch
