#pragma once

// The window test world with the applications the application commands need: the Finder and Notes
// running (Notes with a window), Chrome installed as the default browser, a web app of Chrome, and
// TextEdit for text files; and the command platform over it.

#include "mac/windows/AppCommandPlatform.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {

inline void addCommandApplications(sim::Desktop& desktop) {
    desktop.applications.insert(
        desktop.applications.begin(),
        {"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true});
    desktop.applications.push_back({"com.google.Chrome", "Google Chrome", "/Applications/Google Chrome.app"});
    desktop.applications.push_back(
        {"com.google.Chrome.app.mail", "Mail (web)", "/Applications/Mail (web).app"});
    desktop.applications.push_back({"com.apple.TextEdit",
                                    "TextEdit",
                                    "/Applications/TextEdit.app",
                                    false,
                                    RawActivationPolicy::regular,
                                    std::nullopt,
                                    {"txt"}});
}

class AppCommandWorld : public WindowTestWorld {
  public:
    AppCommandWorld() : WindowTestWorld(addCommandApplications) {
        mac->workspace().setDefaultApplication("https", "com.google.Chrome");
        mac->workspace().setDefaultApplication("http", "com.google.Chrome");
        mac->calls().clear();
    }

    AppCommandPlatform commandPlatform() {
        return AppCommandPlatform{platform(), mac->workspaceActions(), mac->folders(), mac->appleEvents(),
                                  mac->processes()};
    }
    sim::SimApplication& installed(std::string_view bundleID) {
        return *mac->workspace().installedApplication(bundleID);
    }
    std::size_t windowCount(std::string_view bundleID) {
        const auto process = mac->workspace().process(bundleID);
        return process ? mac->windowWorld().applicationWindows(process->processIdentifier).size() : 0;
    }
};

}  // namespace tavelin
