// tavelin: the application on a simulated Mac. It runs the real start-up on the live scheduler, prints
// the system log (standard error) and, after each published Dock snapshot, a readable view of it or its
// wire form (standard output), follows edits of the Dock's preference file, and takes commands on
// standard input: key lines that drive the switcher as a keyboard would, and commands that act on the
// simulated world ("show" chooses the status item's first row, which opens the switcher's panel, and
// prints the panel). Report lines tell what the switcher shows and what the world was asked to do;
// with --panel-png the open panel is drawn to a PNG file after each change.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
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
#include "tools/EscapedText.h"
#include "tools/InputLineInterpreter.h"
#include "tools/PanelPictureWriter.h"
#include "tools/PreferenceFileFollower.h"
#include "tools/StandardInputLines.h"
#include "tools/SwitcherReport.h"
#include "tools/TavelinOptions.h"

namespace {

using namespace tavelin;

// A fresh home folder in the temporary folder; none when it cannot be made.
std::optional<std::filesystem::path> makeFreshHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return std::filesystem::path(pattern);
}

void printLine(const std::string& text) { std::cout << text << '\n' << std::flush; }

// The picture goes into a folder that is there (none is made for it) and is no folder itself: each
// drawing would fail on it.
std::optional<std::string> pictureProblem(const std::filesystem::path& picture) {
    std::error_code error;
    if (std::filesystem::is_directory(picture, error)) return picture.string() + " is a folder";
    const auto folder = picture.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        return "no folder " + folder.string();
    }
    return std::nullopt;
}

int run(const TavelinOptions& options) {
    const auto desktop =
        options.desktop.value_or(std::filesystem::path(TAVELIN_EXAMPLES_DIR) / "desktop.json");
    if (const auto problem = options.panelPNG ? pictureProblem(*options.panelPNG) : std::nullopt) {
        std::cerr << "tavelin: --panel-png: " << escapedText(*problem) << '\n';
        return 1;
    }
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
        std::cerr << "tavelin: " << escapedText(loaded.error().message) << '\n';
        // A fresh home is the program's own; one named with --home is the user's.
        std::error_code error;
        if (!options.home) std::filesystem::remove_all(home, error);
        return 1;
    }
    auto& mac = **loaded;
    std::cerr << "tavelin: the simulated Mac of " << escapedText(desktop.string()) << " in the home folder "
              << escapedText(home.string()) << "; type help for commands\n";

    WindowActionFileLog windowActionLog(home, scheduler.clock());
    TavelinApplication application(simAppPlatform(mac, scheduler, log, windowActionLog, watcher));
    mac.application().setDelegate(&application.delegate());
    mac.application().setTerminationHandler([&scheduler] { scheduler.stop(); });
    std::optional<PreferenceFileFollower> dockPreferences;
    if (auto* dock = mac.userDefaults().domain("com.apple.dock")) {
        dockPreferences.emplace(*dock, watcher, scheduler.main(), log);
    }

    Subscription snapshots;
    std::optional<SwitcherReport> report;
    std::optional<PanelPictureWriter> pictures;
    scheduler.main().async([&] {
        mac.application().finishLaunching();
        if (mac.application().isTerminated()) return;
        report.emplace(mac, scheduler, printLine);
        if (const auto& switcher = application.delegate().switcher()) {
            report->follow(*switcher);
            if (options.panelPNG) pictures.emplace(*switcher, scheduler, mac.displays(), *options.panelPNG, printLine);
        }
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
    InputLineInterpreter interpreter(
        mac, scheduler, application, printLine, [](const std::string& reply) { std::cerr << reply << '\n'; },
        [&report] {
            if (report) report->flush();
        });
    StandardInputLines input(
        STDIN_FILENO,
        [&scheduler, &interpreter](std::string line) {
            scheduler.main().async([&interpreter, line = std::move(line)]() mutable { interpreter.take(std::move(line)); });
        },
        [&scheduler] {
            scheduler.main().async([] {
                printLine("error: a line longer than " + std::to_string(StandardInputLines::kMaxLineBytes) +
                          " bytes was ignored");
            });
        });

    scheduler.run();
    input.stop();
    // What the last turns asked of the world.
    if (report) report->flush();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = tavelin::parseTavelinOptions(std::span<const char* const>(argv + 1, argc - 1));
    if (!options) {
        std::cerr << "tavelin: " << tavelin::escapedText(options.error()) << '\n' << tavelin::kTavelinUsage;
        return 2;
    }
    if (options->help) {
        std::cout << tavelin::kTavelinUsage;
        return 0;
    }
    return run(*options);
}
