// tavelin: the application on a simulated Mac. It runs the real start-up on the live scheduler, prints
// the system log (standard error) and, after each published Dock snapshot, a readable view of it or its
// wire form (standard output), follows edits of the Dock's preference file, and takes commands on
// standard input that act on the simulated world; "show" chooses the status item's first row, which
// opens the switcher's panel, and prints the panel.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "mac/app/AppDelegate.h"
#include "mac/app/SimAppPlatform.h"
#include "mac/app/TavelinApplication.h"
#include "platform/InotifyFileWatcher.h"
#include "platform/sim/SimMac.h"
#include "runtime/LiveScheduler.h"
#include "runtime/SystemLog.h"
#include "tools/DockSnapshotView.h"
#include "tools/PreferenceFileFollower.h"
#include "tools/StandardInputLines.h"
#include "tools/SwitcherPanelView.h"
#include "tools/TavelinOptions.h"
#include "tools/WorldCommands.h"

namespace {

using namespace tavelin;

// A fresh home folder in the temporary folder; none when it cannot be made.
std::optional<std::filesystem::path> makeFreshHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return std::filesystem::path(pattern);
}

void printLine(const std::string& text) { std::cout << text << '\n' << std::flush; }

// As the user does: the status item's "show the switcher" row.
void showSwitcher(sim::SimMac& mac, TavelinApplication& application) {
    const auto& switcher = application.delegate().switcher();
    if (!switcher || !mac.statusBar().choose(0, StatusItemController::kShowSwitcherTitle)) {
        std::cerr << "tavelin: no status item to show the switcher from\n";
        return;
    }
    printLine(readableSwitcherPanel(*switcher));
}

int run(const TavelinOptions& options) {
    const auto desktop =
        options.desktop.value_or(std::filesystem::path(TAVELIN_EXAMPLES_DIR) / "desktop.json");
    std::filesystem::path home;
    if (options.home) {
        home = *options.home;
        std::error_code error;
        std::filesystem::create_directories(home, error);
    } else if (auto fresh = makeFreshHome()) {
        home = *fresh;
    } else {
        std::cerr << "tavelin: cannot make a home folder in " << std::filesystem::temp_directory_path()
                  << '\n';
        return 1;
    }

    LiveScheduler scheduler;
    StderrSystemLog log;
    InotifyFileWatcher watcher;
    auto loaded = sim::SimMac::load(desktop, home, scheduler, log);
    if (!loaded) {
        std::cerr << "tavelin: " << loaded.error().message << '\n';
        return 1;
    }
    auto& mac = **loaded;
    std::cerr << "tavelin: the simulated Mac of " << desktop.string() << " in the home folder "
              << home.string() << "; type help for commands\n";

    WindowActionFileLog windowActionLog(home, scheduler.clock());
    TavelinApplication application(simAppPlatform(mac, scheduler, log, windowActionLog, watcher));
    mac.application().setDelegate(&application.delegate());
    mac.application().setTerminationHandler([&scheduler] { scheduler.stop(); });
    std::optional<PreferenceFileFollower> dockPreferences;
    if (auto* dock = mac.userDefaults().domain("com.apple.dock")) {
        dockPreferences.emplace(*dock, watcher, scheduler.main(), log);
    }

    Subscription snapshots;
    scheduler.main().async([&] {
        mac.application().finishLaunching();
        if (mac.application().isTerminated()) return;
        snapshots = application.sharedServices().dockState->snapshotPublisher().sink(
            [json = options.json](const std::optional<DockSnapshot>& snapshot) {
                if (!snapshot) return;
                if (!json) return printLine(readableDockSnapshot(*snapshot));
                const auto wire = encodeJSON(*snapshot);
                printLine(wire ? *wire : "error: " + wire.error().message);
            });
    });
    if (options.exitAfter) {
        scheduler.main().asyncAfter(*options.exitAfter, [&mac] { mac.application().terminate(); });
    }
    StandardInputLines input(
        STDIN_FILENO,
        [&scheduler, &mac, &application](std::string line) {
            scheduler.main().async([&mac, &application, line = std::move(line)] {
                if (mac.application().isTerminated()) return;
                if (line == "show") return showSwitcher(mac, application);
                if (auto reply = runWorldCommand(line, mac); !reply.empty()) std::cerr << reply << '\n';
            });
        },
        [&scheduler] {
            scheduler.main().async([] {
                std::cerr << "tavelin: a line longer than " << StandardInputLines::kMaxLineBytes
                          << " bytes was ignored\n";
            });
        });

    scheduler.run();
    input.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = tavelin::parseTavelinOptions(std::span<const char* const>(argv + 1, argc - 1));
    if (!options) {
        std::cerr << "tavelin: " << options.error() << '\n' << tavelin::kTavelinUsage;
        return 2;
    }
    if (options->help) {
        std::cout << tavelin::kTavelinUsage;
        return 0;
    }
    return run(*options);
}
