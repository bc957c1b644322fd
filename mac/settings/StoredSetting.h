#pragma once

// One setting of the store: a published value backed by one user-defaults key. It is read once, when
// the store is built, by one of the read kinds below; every assignment, also one that leaves the value
// unchanged, is announced first (the owner's objectWillChange, then the value's subscribers, while the
// old value still holds), then takes effect, then is written to the key.
//
// Main thread only, as the store is.

#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UserDefaults.h"
#include "protocol/EnumText.h"
#include "runtime/Published.h"

namespace tavelin {

// What each kind of setting is written as.
inline PlistValue settingPlistValue(bool value) { return value; }
inline PlistValue settingPlistValue(const std::string& value) { return value; }
template <TextEnum E>
PlistValue settingPlistValue(E value) {
    return toString(value);
}
PlistValue settingPlistValue(const std::vector<std::string>& values);

template <class T>
class StoredSetting {
  public:
    // `read(defaults, key)` gives the value to start from.
    template <class Read>
    StoredSetting(ObservableObject& owner, UserDefaults& defaults, std::string_view key, Read read)
        : defaults_(defaults), key_(key), published_(owner, read(defaults, key)) {}

    std::string_view key() const { return key_; }
    const T& value(std::source_location call = std::source_location::current()) const {
        return published_.value(call);
    }

    void set(T newValue, std::source_location call = std::source_location::current()) {
        published_.set(std::move(newValue), call);
        defaults_.set(key_, settingPlistValue(published_.value()));
    }
    StoredSetting& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }

    // The current value first, then every assignment.
    Publisher<T> publisher() const { return published_.publisher(); }

  private:
    UserDefaults& defaults_;
    const std::string_view key_;
    Published<T> published_;
};

// --- Read kinds ---------------------------------------------------------------------------------------

// The stored object when it is a Boolean (or the number 0 or 1), otherwise `fallback`.
struct ObjectBoolRead {
    bool fallback;
    bool operator()(const UserDefaults& defaults, std::string_view key) const;
};

// The defaults' Boolean, false when the key is absent.
struct BoolRead {
    bool operator()(const UserDefaults& defaults, std::string_view key) const {
        return defaults.boolForKey(key);
    }
};

// The stored string (a stored number as its text), otherwise `fallback`. Never trimmed.
struct StringRead {
    std::string fallback;
    std::string operator()(const UserDefaults& defaults, std::string_view key) const {
        return defaults.stringForKey(key).value_or(fallback);
    }
};

// The case whose raw text the stored string is, exactly; any other string, or none, gives `fallback`.
template <TextEnum E>
struct EnumRead {
    E fallback;
    E operator()(const UserDefaults& defaults, std::string_view key) const {
        return enumFromString<E>(defaults.stringForKey(key).value_or("")).value_or(fallback);
    }
};
template <TextEnum E>
EnumRead(E) -> EnumRead<E>;  // clang 16 does not deduce aggregates by itself

// The stored array when every element is a string, otherwise the empty list.
struct StringListRead {
    std::vector<std::string> operator()(const UserDefaults& defaults, std::string_view key) const {
        return defaults.stringArrayForKey(key).value_or(std::vector<std::string>{});
    }
};

}  // namespace tavelin
