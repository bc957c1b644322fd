#pragma once

// One user-defaults domain: a dictionary of settings kept in the domain's preference file
// "<home>/Library/Preferences/<domain>.plist". The file is read once, when the domain is opened; each
// change is written at once (binary form, atomic rename). The typed reads coerce as the platform's
// defaults do, so that code written against it behaves the same here.
//
// A file that cannot be read or parsed is taken as an empty domain and reported once through the log.
// It is not overwritten blindly: before the first write, a copy is kept beside it as
// "<file>.corrupt" (or "<file>.corrupt.1", ".2", ... when that name is taken); when no copy can be
// made, writes are refused and reported, and the values live in memory only.
//
// Any thread may call; one lock guards the values and the file.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/PlistValue.h"
#include "runtime/Subject.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class UserDefaults {
  public:
    // `log` receives one line for a damaged file and for each failed write.
    UserDefaults(std::string domain, std::filesystem::path file, SystemLog& log);

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    const std::string& domain() const { return domain_; }
    const std::filesystem::path& file() const { return file_; }

    // The stored value as it stands; absent when the key is missing.
    std::optional<PlistValue> object(std::string_view key) const;
    // Numbers are true when non-zero; strings "YES", "true" and "1" in any letter case are true; every
    // other value, and a missing key, is false.
    bool boolForKey(std::string_view key) const;
    // A stored number gives its decimal text (a Boolean gives "1" or "0"); any other type gives none.
    std::optional<std::string> stringForKey(std::string_view key) const;
    // Only an array whose elements are all strings.
    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const;
    // Numbers truncated toward zero (saturating); a string's leading decimal integer ("12abc" is 12);
    // 0 for anything else and for a missing key.
    std::int64_t integerForKey(std::string_view key) const;
    // Numbers as they are (a Boolean 1 or 0); a string's leading decimal number ("47.9px" is 47.9); 0 for
    // anything else and for a missing key.
    double doubleForKey(std::string_view key) const;
    std::optional<PlistDict> dictionaryForKey(std::string_view key) const;

    void set(std::string_view key, PlistValue value);
    void removeObject(std::string_view key);

    // Every value of the domain; none when it holds none, as there is no such domain then.
    std::optional<PlistDict> persistentDomain() const;
    // Replaces every value of the domain at once, with one write of its file.
    void setPersistentDomain(PlistDict values);

    // Takes the values of the file as it now is on disk, when someone else has edited it: announced like
    // a change when they differ, never written back. A file that is missing or cannot be read as a
    // dictionary changes nothing (its reason comes back). True when the values changed.
    std::expected<bool, std::string> synchronize();

    // Announced after each change made through this object (set, a removal, a new persistent domain),
    // once it is stored, on the thread that made it: the platform's did-change notification.
    Publisher<std::monostate> didChangePublisher() const { return didChange_.publisher(); }

  private:
    void load();
    void save();
    bool keepDamagedFile();

    const std::string domain_;
    const std::filesystem::path file_;
    SystemLog& log_;
    mutable std::mutex mutex_;
    PlistDict values_;
    bool fileDamaged_ = false;  // until a copy of it has been kept
    Subject<std::monostate> didChange_;
};

}  // namespace tavelin
