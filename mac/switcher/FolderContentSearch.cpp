#include "mac/switcher/FolderContentSearch.h"

#include <algorithm>
#include <string>

#include "mac/core/FolderService.h"
#include "protocol/UnicodeText.h"

namespace tavelin::FolderContentSearch {
namespace {

std::string_view fileName(const std::filesystem::path& entry) {
    const std::string_view path = entry.native();
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// As FolderService::titleOf, without making a path.
std::string_view withoutExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot != std::string_view::npos && dot > 0 && dot + 1 < name.size() ? name.substr(0, dot) : name;
}

}  // namespace

std::vector<FolderChild> children(const FileSystem& files, const std::filesystem::path& folder,
                                  std::string_view query, std::int64_t limit) {
    std::vector<FolderChild> hits;
    if (limit < 1) return hits;
    const auto entries = files.contentsOfDirectory(folder, HiddenFiles::skip);
    if (!entries) return hits;
    for (const auto& entry : *entries) {
        if (static_cast<std::int64_t>(hits.size()) >= limit) break;
        // Most names fail the match: look at them in place, and make the title only for a hit.
        const auto name = fileName(entry);
        const auto bareTitle = withoutExtension(name);
        const bool ascii =
            std::ranges::all_of(bareTitle, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        const auto repaired = ascii ? std::string() : replaceInvalidUtf8(bareTitle);
        if (!localizedCaseInsensitiveContains(ascii ? bareTitle : std::string_view(repaired), query))
            continue;
        auto title = ascii ? std::string(bareTitle) : repaired;
        auto values = files.resourceValues(entry);
        hits.push_back(FolderChild{
            .childID = ChildID(std::string(name)),
            .kind = kind(entry, values ? std::optional(std::move(*values)) : std::nullopt),
            .title = std::move(title),
            .path = entry.string(),
            .iconToken = std::nullopt,
            .childIndex = static_cast<std::int64_t>(hits.size()),
            .isReadable = true,
            .modifiedAt = std::nullopt,
        });
    }
    return hits;
}

FolderChildKind kind(const std::filesystem::path& entry, const std::optional<FileResourceValues>& values) {
    const auto extension = FolderService::lowercasedExtension(entry);
    if (extension == "webloc" || extension == "inetloc") return FolderChildKind::url;
    if (values && values->isApplication == true) return FolderChildKind::app;
    if (extension == "app") return FolderChildKind::app;
    if (!values || values->isDirectory != true) return FolderChildKind::file;
    if (values->isPackage == true) return FolderChildKind::file;
    return FolderChildKind::folder;
}

}  // namespace tavelin::FolderContentSearch
