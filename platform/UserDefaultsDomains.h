#pragma once

// The user-defaults domains of one home folder, by name: the program's own domain (its bundle
// identifier) and suites such as "com.apple.dock". Each domain is opened once, on first use, and shared
// by everyone who asks for it afterwards, so that a value written through one reference is read through
// every other.
//
// Any thread may call. Domains live as long as this object.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/UserDefaults.h"

namespace tavelin {

class UserDefaultsDomains {
  public:
    UserDefaultsDomains(std::filesystem::path homeFolder, SystemLog& log);

    // "<home>/Library/Preferences".
    const std::filesystem::path& preferencesFolder() const { return preferencesFolder_; }

    // Null for a name that cannot be a file name of its own (empty, ".", "..", or holding '/' or NUL),
    // so that no name reaches outside the preferences folder.
    UserDefaults* domain(std::string_view name);

  private:
    const std::filesystem::path preferencesFolder_;
    SystemLog& log_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<UserDefaults>, std::less<>> domains_;
};

}  // namespace tavelin
