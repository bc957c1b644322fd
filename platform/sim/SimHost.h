#pragma once

// The simulated Mac's answers about itself and the program, as the desktop file gives them; tests
// change them through the setters.

#include "platform/HostInfo.h"
#include "platform/sim/Desktop.h"

namespace tavelin::sim {

class SimHost final : public HostInfo {
  public:
    SimHost(DesktopHost host, BundleInfo program) : host_(std::move(host)), program_(std::move(program)) {}

    std::optional<std::string> localizedName() const override { return host_.name; }
    std::string operatingSystemVersionString() const override { return host_.systemVersion; }
    // Read from the version text; the desktop file admits only texts that read.
    OperatingSystemVersion operatingSystemVersion() const override {
        return parseSystemVersion(host_.systemVersion).value_or(OperatingSystemVersion{});
    }
    BundleInfo mainBundle() const override { return program_; }

    void setLocalizedName(std::optional<std::string> name) { host_.name = std::move(name); }
    // "Version 14.4 (Build 23E214)".
    void setSystemVersion(std::string text) { host_.systemVersion = std::move(text); }

  private:
    DesktopHost host_;
    BundleInfo program_;
};

}  // namespace tavelin::sim
