#include "mac/windows/DockItemWindowHost.h"

#include "mac/windows/DockNativeActivation.h"
#include "platform/Bundle.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

bool isWebLink(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    std::string scheme(text.substr(0, colon));
    for (auto& c : scheme) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return scheme == "http" || scheme == "https";
}

std::optional<std::string> identifierOfApplication(const std::optional<std::filesystem::path>& application) {
    const auto bundle = application ? loadBundle(*application) : std::nullopt;
    auto identifier = bundle ? bundle->identifier() : std::nullopt;
    return identifier && !identifier->empty() ? identifier : std::nullopt;
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    return path.string().starts_with(droppingTrailingSlash(folder.string()) + "/");
}

}  // namespace

std::optional<std::string> DockItemWindowHost::hostBundleID(const DockItem& item) const {
    if (item.bundleID && !item.bundleID->empty()) return item.bundleID;
    if (!item.path || item.path->empty()) return std::nullopt;
    const auto& path = *item.path;
    if (item.kind == DockItemKind::folder) return std::string(kFinderBundleID);
    // A link item's path is its link: a web link goes to the default browser; anything else (a
    // ".webloc" or ".inetloc" file among them) opens as the file it names.
    if (item.kind == DockItemKind::url && isWebLink(path)) {
        return identifierOfApplication(workspace_.urlForApplicationToOpenURL(path));
    }
    const std::filesystem::path file = filePathFromURL(path).value_or(path);
    if (files_.itemType(file) == ItemType::directory) return std::string(kFinderBundleID);
    return identifierOfApplication(workspace_.urlForApplicationToOpen(file));
}

std::vector<RunningApplication> DockItemWindowHost::runningApps(const DockItem& item) const {
    return runningApps(hostBundleID(item));
}

std::vector<RunningApplication> DockItemWindowHost::runningApps(
    const std::optional<std::string>& hostBundleID) const {
    std::vector<RunningApplication> instances;
    if (!hostBundleID) return instances;
    for (auto& application : workspace_.runningApplications()) {
        if (application.bundleIdentifier == hostBundleID) instances.push_back(std::move(application));
    }
    return instances;
}

ProcessIDSet DockItemWindowHost::processIDs(const DockItem& item) const {
    return processIDs(hostBundleID(item));
}

ProcessIDSet DockItemWindowHost::processIDs(const std::optional<std::string>& hostBundleID) const {
    const auto instances = runningApps(hostBundleID);
    ProcessIDSet processIDs;
    for (const auto& instance : instances) processIDs.insert(instance.processIdentifier);
    // Browsers and their web apps share helper processes, whose windows are not the item's.
    if (instances.empty() || DockNativeActivation::chromiumBrowserBundleIDs().contains(*hostBundleID) ||
        DockNativeActivation::isChromiumAppMode(*hostBundleID)) {
        return processIDs;
    }
    const auto prefix = *hostBundleID + ".";
    const auto& bundlePath = instances.front().bundlePath;
    for (const auto& application : workspace_.runningApplications()) {
        const auto& identifier = application.bundleIdentifier;
        const bool helper = identifier && (*identifier == *hostBundleID || identifier->starts_with(prefix));
        const bool inBundle = bundlePath && !bundlePath->empty() && application.executablePath &&
                              isInside(*application.executablePath, *bundlePath);
        if (helper || inBundle) processIDs.insert(application.processIdentifier);
    }
    return processIDs;
}

}  // namespace tavelin
