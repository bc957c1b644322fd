#include "platform/UserDefaultsDomains.h"

namespace tavelin {
namespace {

bool isDomainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace

UserDefaultsDomains::UserDefaultsDomains(std::filesystem::path homeFolder, SystemLog& log)
    : preferencesFolder_(std::move(homeFolder) / "Library" / "Preferences"), log_(log) {}

UserDefaults* UserDefaultsDomains::domain(std::string_view name) {
    if (!isDomainName(name)) return nullptr;
    const std::lock_guard lock(mutex_);
    auto found = domains_.find(name);
    if (found == domains_.end()) {
        auto defaults = std::make_unique<UserDefaults>(
            std::string(name), preferencesFolder_ / (std::string(name) + ".plist"), log_);
        found = domains_.emplace(std::string(name), std::move(defaults)).first;
    }
    return found->second.get();
}

}  // namespace tavelin
