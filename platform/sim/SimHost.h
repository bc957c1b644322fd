#pragma once

// The simulated Mac's answers about itself and the program, as the desktop file gives them; tests
// change them through the setters. Main thread, but for operatingSystemVersion() (see HostInfo.h).

#include <mutex>

#include "platform/HostInfo.h"
#include "platform/sim/Desktop.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimHost final : public HostInfo {
  public:
    SimHost(DesktopHost host, BundleInfo program, SequenceChecker mainThread)
        : host_(std::move(host)), program_(std::move(program)), mainThread_(mainThread) {}

    std::optional<std::string> localizedName() const override {
        mainThread_.check();
        return host_.name;
    }
    std::string operatingSystemVersionString() const override {
        mainThread_.check();
        std::lock_guard lock(versionMutex_);
        return host_.systemVersion;
    }
    // Read from the version text; the desktop file admits only texts that read.
    OperatingSystemVersion operatingSystemVersion() const override {
        std::lock_guard lock(versionMutex_);
        return parseSystemVersion(host_.systemVersion).value_or(OperatingSystemVersion{});
    }
    BundleInfo mainBundle() const override {
        mainThread_.check();
        return program_;
    }

    void setLocalizedName(std::optional<std::string> name) { host_.name = std::move(name); }
    // "Version 14.4 (Build 23E214)".
    void setSystemVersion(std::string text) {
        std::lock_guard lock(versionMutex_);
        host_.systemVersion = std::move(text);
    }

  private:
    DesktopHost host_;
    BundleInfo program_;
    SequenceChecker mainThread_;
    mutable std::mutex versionMutex_;  // guards the version text, which any thread may read
};

}  // namespace tavelin::sim
