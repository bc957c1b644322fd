#include "mac/switcher/FolderContentSearch.h"

#include "mac/core/FolderService.h"
#include "protocol/UnicodeText.h"

namespace tavelin::FolderContentSearch {

std::vector<FolderChild> children(const FileSystem& files, const std::filesystem::path& folder,
                                  std::string_view query, std::int64_t limit) {
    std::vector<FolderChild> hits;
    if (limit < 1) return hits;
    const auto entries = files.contentsOfDirectory(folder, HiddenFiles::skip);
    if (!entries) return hits;
    for (const auto& entry : *entries) {
        if (static_cast<std::int64_t>(hits.size()) >= limit) break;
        auto title = replaceInvalidUtf8(FolderService::titleOf(entry));
        if (!localizedCaseInsensitiveContains(title, query)) continue;
        auto values = files.resourceValues(entry);
        hits.push_back(FolderChild{
            .childID = ChildID(entry.filename().string()),
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
