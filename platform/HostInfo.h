#pragma once

// What the program knows about the machine it runs on and about itself: the computer's name as the
// user sees it, the operating system's version text and the program's own bundle. Read on the main
// thread, but for operatingSystemVersion(), which any thread may read; the answers may change while the
// program runs (the user renames the computer).

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

namespace tavelin {

struct BundleInfo {
    std::string identifier;      // "jp.fenwold.lomaret"; also the name of the program's defaults domain
    std::string version;         // the short version text, "1.4.2"
    std::filesystem::path path;  // the application bundle, "/Applications/Lomaret.app"
    friend bool operator==(const BundleInfo&, const BundleInfo&) = default;
};

// The operating system's version as numbers: 14.5.0.
struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;

    bool isAtLeast(int wantedMajor, int wantedMinor = 0, int wantedPatch = 0) const {
        return std::tie(majorVersion, minorVersion, patchVersion) >= std::tie(wantedMajor, wantedMinor, wantedPatch);
    }
    friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

class HostInfo {
  public:
    virtual ~HostInfo() = default;

    // The computer's name as set in the system's sharing settings; absent when none is set.
    virtual std::optional<std::string> localizedName() const = 0;
    // "Version 14.5 (Build 23F79)".
    virtual std::string operatingSystemVersionString() const = 0;
    virtual OperatingSystemVersion operatingSystemVersion() const = 0;
    virtual BundleInfo mainBundle() const = 0;
};

}  // namespace tavelin
