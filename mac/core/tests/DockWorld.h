#pragma once

// A simulated Mac for the Dock readers' tests, in a fresh home folder, on virtual time: the desktop is
// given in code, Dock preference files are written as real binary plists, and the readers and the
// running-applications service are made over the world on demand.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "mac/core/DockAXOrderReader.h"
#include "mac/core/DockPlistParser.h"
#include "mac/core/RunningAppsService.h"
#include "mac/settings/AppSettings.h"
#include "platform/PlistFile.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/PlistPrinting.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/DockItem.h"
#include "protocol/DockSeparator.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

inline void PrintTo(const DockItem& item, std::ostream* out) {
    const auto json = encodeJSON(item);
    *out << (json ? *json : json.error().message);
}
inline void PrintTo(const DockSeparator& separator, std::ostream* out) {
    const auto json = encodeJSON(separator);
    *out << (json ? *json : json.error().message);
}

inline void PrintTo(const DockAXOrderReader::Application& e, std::ostream* out) {
    *out << "Application(" << e.title << ", " << e.path.value_or("-") << ", " << e.bundleID.value_or("-")
         << ")";
}
inline void PrintTo(const DockAXOrderReader::Folder& e, std::ostream* out) {
    *out << "Folder(" << e.title << ", " << e.path.value_or("-") << ")";
}
inline void PrintTo(const DockAXOrderReader::Document& e, std::ostream* out) {
    *out << "Document(" << e.title << ", " << e.path.value_or("-") << ")";
}
inline void PrintTo(const DockAXOrderReader::Trash& e, std::ostream* out) {
    *out << "Trash(" << e.title << ")";
}
inline void PrintTo(const DockAXOrderReader::Separator&, std::ostream* out) { *out << "Separator"; }

class DockWorld : public ::testing::Test {
  public:
    using Entry = DockAXOrderReader::Entry;
    using Application = DockAXOrderReader::Application;
    using Folder = DockAXOrderReader::Folder;
    using Document = DockAXOrderReader::Document;
    using Trash = DockAXOrderReader::Trash;
    using Separator = DockAXOrderReader::Separator;

  protected:
    // The applications most tests know.
    static sim::Desktop standardDesktop() {
        return sim::Desktop{
            .applications = {
                {"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
                {"com.apple.mail", "Mail", "/System/Applications/Mail.app"},
                {"com.apple.Terminal", "Terminal", "/System/Applications/Utilities/Terminal.app"},
                {"com.apple.Preview",
                 "Preview",
                 "/System/Applications/Preview.app",
                 false,
                 RawActivationPolicy::regular,
                 std::nullopt,
                 {"pdf"}},
            }};
    }

    // Starts (again) over the same home folder.
    sim::SimMac& start(sim::Desktop desktop = standardDesktop()) {
        runningApps_.reset();
        settings_.reset();
        mac_ = std::make_unique<sim::SimMac>(std::move(desktop), home_.path(), scheduler_, log_);
        settings_ = std::make_unique<AppSettings>(mac_->standardUserDefaults(), mac_->host(), scheduler_.main());
        return *mac_;
    }
    // The standard desktop with this Dock, and the program trusted for Accessibility.
    sim::SimMac& startWithDock(sim::DesktopDock dock) {
        auto desktop = standardDesktop();
        desktop.dock = std::move(dock);
        auto& mac = start(desktop);
        mac.accessibility().setProcessTrusted(true);
        return mac;
    }
    sim::SimMac& mac() { return *mac_; }
    AppSettings& settings() { return *settings_; }

    DockPlistParser parser() {
        return DockPlistParser(mac_->userDefaults(), mac_->folders(), mac_->workspace(), mac_->host());
    }
    DockAXOrderReader axReader() { return DockAXOrderReader(mac_->accessibility(), mac_->workspace()); }
    RunningAppsService& runningApps() {
        if (!runningApps_)
            runningApps_ =
                std::make_unique<RunningAppsService>(mac_->workspace(), mac_->host(), scheduler_.main());
        return *runningApps_;
    }

    std::filesystem::path dockPlistFile() const { return home_ / "Library/Preferences/com.apple.dock.plist"; }
    void writeDockPlist(const PlistValue& plist) {
        ASSERT_TRUE(writePlistFile(dockPlistFile(), plist, PlistFormat::binary));
    }
    std::string disk(const std::string& macPath) const {
        return sim::diskPath(home_.path(), macPath).string();
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::unique_ptr<sim::SimMac> mac_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<RunningAppsService> runningApps_;
};

}  // namespace tavelin
