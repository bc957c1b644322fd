#pragma once

// The application on a simulated Mac in a fresh home folder, on virtual time, with a file watcher that
// the test drives: the world, the platform made from it, and one TavelinApplication (one process).
// launch() runs the platform's part of a launch: it installs the delegate and finishes launching.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mac/app/AppDelegate.h"
#include "mac/app/SimAppPlatform.h"
#include "mac/app/TavelinApplication.h"
#include "platform/ManualFileWatcher.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

class AppWorld : public ::testing::Test {
  public:
    // Finder and Safari running, Notes pinned, a Downloads folder in the Dock; the program in
    // /Applications.
    static sim::Desktop standardDesktop() {
        return sim::Desktop{
            .applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                             {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                             {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"}},
            .frontmost = "com.apple.Safari",
            .dock = sim::DesktopDock{.fixed = {{sim::DesktopDockTileKind::application, "com.apple.finder"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Safari"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Notes"}},
                                     .others = {{sim::DesktopDockTileKind::folder, "~/Downloads"}}}};
    }

  protected:
    explicit AppWorld(sim::Desktop desktop = standardDesktop()) : desktop_(std::move(desktop)) {
        makeWorld();
    }
    ~AppWorld() override { quitProcess(); }

    sim::SimMac& mac() { return *mac_; }
    TavelinApplication& application() { return *application_; }
    AppDelegate& delegate() { return application_->delegate(); }
    AppServices& services() { return application_->sharedServices(); }
    UserDefaults& defaults() { return mac_->standardUserDefaults(); }

    void launch() {
        mac_->application().setDelegate(&application_->delegate());
        mac_->application().finishLaunching();
        scheduler_.runUntilIdle();
    }

    // Ends this process and starts another on the same Mac and home folder (a relaunch).
    void newProcess() {
        quitProcess();
        application_ = std::make_unique<TavelinApplication>(*platform_);
    }

    // The world's calls from now on.
    void clearCalls() { mac_->calls().clear(); }
    std::vector<std::string> calls() { return mac_->calls().calls(); }
    // The calls that start with one of the prefixes, in order.
    std::vector<std::string> calls(std::initializer_list<std::string_view> prefixes) {
        std::vector<std::string> selected;
        for (const auto& call : calls()) {
            if (std::ranges::any_of(prefixes,
                                    [&](std::string_view prefix) { return call.starts_with(prefix); })) {
                selected.push_back(call);
            }
        }
        return selected;
    }
    // The calls with runs of one call made one.
    std::vector<std::string> distinctCalls() {
        auto all = calls();
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }

    // Long enough for everything that start-up runs later: the server's pairing port after 2 s.
    static constexpr Duration kAfterStart = std::chrono::seconds(3);

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    CapturedWindowActionLog windowActionLog_;
    ManualFileWatcher watcher_;

  private:
    void makeWorld() {
        mac_ = std::make_unique<sim::SimMac>(desktop_, home_.path(), scheduler_, log_);
        mac_->accessibility().setProcessTrusted(true);
        scheduler_.runUntilIdle();
        platform_.emplace(simAppPlatform(*mac_, scheduler_, log_, windowActionLog_, watcher_));
        application_ = std::make_unique<TavelinApplication>(*platform_);
    }
    void quitProcess() {
        application_.reset();
        scheduler_.runUntilIdle();
    }

    sim::Desktop desktop_;
    std::unique_ptr<sim::SimMac> mac_;
    std::optional<AppPlatform> platform_;
    std::unique_ptr<TavelinApplication> application_;
};

}  // namespace tavelin
