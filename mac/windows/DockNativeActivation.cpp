#include "mac/windows/DockNativeActivation.h"

#include <algorithm>

namespace tavelin {

const std::set<std::string, std::less<>>& DockNativeActivation::chromiumBrowserBundleIDs() {
    static const std::set<std::string, std::less<>> identifiers{
        "com.google.Chrome",       "com.google.Chrome.canary", "com.microsoft.edgemac",  "com.brave.Browser",
        "company.thebrowser.Browser", "com.vivaldi.Vivaldi",   "com.eatbiscult.biscult", "org.chromium.Chromium",
    };
    return identifiers;
}

bool DockNativeActivation::isChromiumAppMode(std::optional<std::string_view> bundleID) {
    if (!bundleID) return false;
    return std::ranges::any_of(chromiumBrowserBundleIDs(), [&](const std::string& browser) {
        return bundleID->starts_with(browser) && bundleID->substr(browser.size()).starts_with(".app.");
    });
}

}  // namespace tavelin
