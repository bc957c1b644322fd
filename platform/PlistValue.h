#pragma once

// One property-list value, owned and plain: a Boolean, a signed 64-bit integer, a double, a string,
// data, a date, an array or a dictionary that keeps its keys in the order they were read or added.
// Values are built in code as easily as they are read from a file:
//     PlistValue tile = PlistDict{{"tile-type", "file-tile"}, {"tile-data", PlistDict{{"file-label",
//     "Safari"}}}};

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "protocol/Base64.h"
#include "protocol/EnumText.h"
#include "protocol/Timestamp.h"

namespace tavelin {

class PlistValue;
using PlistArray = std::vector<PlistValue>;

// Keys are unique; setting a present key replaces its value where it stands, a new key goes last.
// Two dictionaries are equal when they hold the same keys with equal values, whatever their order.
class PlistDict {
  public:
    using Entry = std::pair<std::string, PlistValue>;

    PlistDict() = default;
    PlistDict(std::initializer_list<Entry> entries);

    const PlistValue* find(std::string_view key) const;
    PlistValue* find(std::string_view key);
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    void set(std::string_view key, PlistValue value);
    // True when the key was there.
    bool remove(std::string_view key);

    // Defined below PlistValue, which they need complete.
    std::size_t size() const;
    bool empty() const;
    std::vector<Entry>::const_iterator begin() const;
    std::vector<Entry>::const_iterator end() const;

    friend bool operator==(const PlistDict& a, const PlistDict& b);

  private:
    std::vector<Entry> entries_;
};

enum class PlistKind { boolean, integer, real, string, data, date, array, dict };

class PlistValue {
  public:
    PlistValue() : storage_(false) {}
    PlistValue(bool value) : storage_(value) {}
    template <class I>
    requires(std::is_integral_v<I> && !std::is_same_v<I, bool>) PlistValue(I value)
        : storage_(static_cast<std::int64_t>(value)) {}
    PlistValue(double value) : storage_(value) {}
    PlistValue(std::string value) : storage_(std::move(value)) {}
    PlistValue(std::string_view value) : storage_(std::string(value)) {}
    PlistValue(const char* value) : storage_(std::string(value)) {}
    PlistValue(Bytes value) : storage_(std::move(value)) {}
    PlistValue(Timestamp value) : storage_(value) {}
    PlistValue(PlistArray value) : storage_(std::move(value)) {}
    PlistValue(PlistDict value) : storage_(std::move(value)) {}

    PlistKind kind() const { return static_cast<PlistKind>(storage_.index()); }

    // The value when it is of type T (bool, std::int64_t, double, std::string, Bytes, Timestamp,
    // PlistArray or PlistDict), otherwise null. No conversion between types happens here.
    template <class T>
    const T* getIf() const {
        return std::get_if<T>(&storage_);
    }
    template <class T>
    T* getIf() {
        return std::get_if<T>(&storage_);
    }

    friend bool operator==(const PlistValue&, const PlistValue&) = default;

  private:
    // In the order of PlistKind.
    std::variant<bool, std::int64_t, double, std::string, Bytes, Timestamp, PlistArray, PlistDict> storage_;
};

inline std::size_t PlistDict::size() const { return entries_.size(); }
inline bool PlistDict::empty() const { return entries_.empty(); }
inline std::vector<PlistDict::Entry>::const_iterator PlistDict::begin() const { return entries_.begin(); }
inline std::vector<PlistDict::Entry>::const_iterator PlistDict::end() const { return entries_.end(); }

template <>
struct EnumText<PlistKind> {
    static constexpr std::string_view names[] = {"boolean", "integer", "real",  "string",
                                                 "data",    "date",    "array", "dict"};
};

}  // namespace tavelin
