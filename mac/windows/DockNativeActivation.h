#pragma once

// Dock-like activation of applications. So far: the Chromium-family browsers, whose windows and web apps
// (app-mode shims: applications of their own whose bundle identifier is the browser's followed by
// ".app." and the web app's own) several window operations treat apart.

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tavelin {

class DockNativeActivation {
  public:
    // The browsers' bundle identifiers; membership is exact and case-sensitive.
    static const std::set<std::string, std::less<>>& chromiumBrowserBundleIDs();
    // True when the identifier is a browser's followed by ".app." (and anything, also nothing).
    static bool isChromiumAppMode(std::optional<std::string_view> bundleID);
};

}  // namespace tavelin
