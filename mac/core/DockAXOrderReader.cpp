#include "mac/core/DockAXOrderReader.h"

#include <system_error>

#include "platform/Bundle.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The Applications folder under its English and Japanese names.
bool isApplicationsName(std::string_view name) {
    return name == "Applications" || name == "アプリケーション";
}

}  // namespace

std::optional<std::vector<DockAXOrderReader::Entry>> DockAXOrderReader::readEntries() const {
    if (!accessibility_.isProcessTrusted()) return std::nullopt;
    std::optional<RunningApplication> dock;
    for (auto& application : workspace_.runningApplications()) {
        if (application.bundleIdentifier == "com.apple.dock") {
            dock = std::move(application);
            break;
        }
    }
    if (!dock) return std::nullopt;
    const auto children = axChildren(accessibility_.createApplication(dock->processIdentifier));
    if (children.empty()) return std::nullopt;
    // The tiles are the children of the Dock's list, its first child.
    std::vector<Entry> entries;
    for (const auto& tile : axChildren(children.front())) {
        if (auto read = entry(tile)) entries.push_back(std::move(*read));
    }
    if (entries.empty()) return std::nullopt;
    return entries;
}

std::optional<DockAXOrderReader::Entry> DockAXOrderReader::entry(const AXElement& tile) const {
    const auto subrole = axString(tile, "AXSubrole").value_or("");
    auto title = axString(tile, "AXTitle").value_or("");
    if (subrole == "AXSeparatorDockItem") return Separator{};
    if (subrole == "AXTrashDockItem") return Trash{title.empty() ? "Trash" : std::move(title)};
    auto path = pathFromDockItem(tile);
    if (subrole == "AXFolderDockItem") return Folder{std::move(title), std::move(path)};
    if (subrole == "AXDocumentDockItem") return Document{std::move(title), std::move(path)};
    if (subrole == "AXApplicationDockItem") {
        auto bundle = bundleID(path);
        return Application{std::move(title), std::move(path), std::move(bundle)};
    }
    if (classifyAsFolder(path, title, subrole)) return Folder{std::move(title), std::move(path)};
    if (classifyAsDocument(path, title, subrole)) return Document{std::move(title), std::move(path)};
    if (contains(subrole, "Application") || (path && path->ends_with(".app"))) {
        auto bundle = bundleID(path);
        return Application{std::move(title), std::move(path), std::move(bundle)};
    }
    if (!path && title.empty()) return std::nullopt;
    return Document{std::move(title), std::move(path)};
}

std::vector<AXElement> DockAXOrderReader::axChildren(const AXElement& element) const {
    auto value = accessibility_.copyAttributeValue(element, "AXChildren");
    auto* children = value ? std::get_if<std::vector<AXElement>>(&*value) : nullptr;
    return children ? std::move(*children) : std::vector<AXElement>{};
}

std::optional<std::string> DockAXOrderReader::axString(const AXElement& element,
                                                       std::string_view attribute) const {
    auto value = accessibility_.copyAttributeValue(element, attribute);
    auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
    return text ? std::optional(std::move(*text)) : std::nullopt;
}

std::optional<std::string> DockAXOrderReader::pathFromDockItem(const AXElement& element) const {
    auto url = axString(element, "AXURL");
    if (!url) return std::nullopt;
    auto path = url->starts_with('/') ? std::move(url) : filePathFromURL(*url);
    if (!path) return std::nullopt;
    return droppingTrailingSlash(std::move(*path));
}

std::optional<std::string> DockAXOrderReader::bundleID(const std::optional<std::string>& appPath) const {
    if (!appPath) return std::nullopt;
    const std::filesystem::path path(*appPath);
    if (const auto bundle = loadBundle(path)) {
        if (auto identifier = bundle->identifier()) return identifier;
    }
    if (path.extension() == ".app") return std::nullopt;
    const auto opener = workspace_.urlForApplicationToOpen(path);
    const auto application = opener ? loadBundle(*opener) : std::nullopt;
    return application ? application->identifier() : std::nullopt;
}

bool DockAXOrderReader::classifyAsFolder(const std::optional<std::string>& path, std::string_view title,
                                         std::string_view subrole) {
    if (contains(subrole, "Folder")) return true;
    if (!path) return isApplicationsName(title);
    std::error_code error;
    if (std::filesystem::is_directory(*path, error)) return !path->ends_with(".app");
    return isApplicationsName(std::filesystem::path(*path).filename().string());
}

bool DockAXOrderReader::classifyAsDocument(const std::optional<std::string>& path, std::string_view title,
                                           std::string_view subrole) {
    if (contains(subrole, "Document") || contains(subrole, "File") || contains(subrole, "URL")) return true;
    const std::string_view name = path ? std::string_view(*path) : title;
    return name.ends_with(".inetloc") || name.ends_with(".webloc");
}

}  // namespace tavelin
