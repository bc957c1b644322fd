// Feeds arbitrary bytes to the Dock's preference-file reader, end to end: the bytes become the
// preference file of a simulated Mac, which is loaded, handed to the running applications' two syncs,
// and assembled both from the file alone and in an Accessibility order. Nothing may crash or throw, and
// the assembly from the file must number items and separators 0, 1, 2, ... without a gap or a repeat.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "mac/core/DockPlistParser.h"
#include "mac/core/RunningAppsService.h"
#include "mac/settings/AppSettings.h"
#include "platform/FileContents.h"
#include "platform/sim/SimMac.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

class DiscardedLog final : public SystemLog {
  protected:
    void writeLine(std::string_view) override {}
};

// One simulated Mac for the whole run, in a home folder of its own that goes at exit.
struct World {
    World()
        : home(makeHome()),
          mac(desktop(), home, scheduler, log),
          settings(mac.standardUserDefaults(), mac.host(), scheduler.main()) {
        mac.workspace().launch("com.apple.Notes");
        mac.workspace().launchProcess({.bundleIdentifier = "com.example.agent", .activationPolicy = 1});
        settings.excludedBundleIDs = {"com.example.excluded"};
    }
    ~World() {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }

    static std::filesystem::path makeHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }
    static sim::Desktop desktop() {
        return sim::Desktop{
            .applications = {
                {"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
            }};
    }

    std::filesystem::path home;
    VirtualScheduler scheduler;
    DiscardedLog log;
    sim::SimMac mac;
    AppSettings settings;
};

void checkSequential(const ParsedDock& dock) {
    std::vector<bool> taken(dock.items.size() + dock.separators.size(), false);
    const auto take = [&](std::int64_t index) {
        if (index < 0 || static_cast<std::size_t>(index) >= taken.size() || taken[index]) {
            std::fprintf(stderr, "dock index %lld is out of sequence\n", static_cast<long long>(index));
            std::abort();
        }
        taken[index] = true;
    };
    for (const auto& item : dock.items) take(item.dockIndex);
    for (const auto& separator : dock.separators) take(separator.dockIndex);
}

}  // namespace
}  // namespace tavelin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavelin;
    static World world;
    auto& mac = world.mac;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!writeFileAtomically(mac.homeFolder() / "Library/Preferences/com.apple.dock.plist", bytes)) return 0;

    // Fresh domains, so that the file is read again.
    UserDefaultsDomains userDefaults(mac.homeFolder(), world.log);
    const DockPlistParser parser(userDefaults, mac.folders(), mac.workspace(), mac.host());
    const auto plist = parser.loadDockPlist();
    if (!plist) return 0;

    RunningAppsService runningApps(mac.workspace(), mac.host(), world.scheduler.main());
    runningApps.refreshPinned(plist);
    runningApps.syncUnpinnedRunningOrder(plist);
    const auto& running = runningApps.state();
    checkSequential(parser.parseLegacyPlist(*plist, running, world.settings));

    using Reader = DockAXOrderReader;
    static const std::vector<Reader::Entry> entries{
        Reader::Application{"Finder", std::nullopt, "com.apple.finder"},
        Reader::Application{"Safari", std::nullopt, std::nullopt},
        Reader::Separator{},
        Reader::Application{"Notes", std::nullopt, std::nullopt},
        Reader::Application{"", std::nullopt, "com.example.agent"},
        Reader::Separator{},
        Reader::Folder{"Downloads", std::nullopt},
        Reader::Document{"Report", std::nullopt},
        Reader::Document{"Example", std::nullopt},
        Reader::Trash{""},
    };
    for (const auto& item : parser.parse(entries, *plist, running, world.settings).items) {
        if (item.dockIndex < 0 || static_cast<std::size_t>(item.dockIndex) >= entries.size()) std::abort();
    }
    return 0;
}
