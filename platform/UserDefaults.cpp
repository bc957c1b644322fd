#include "platform/UserDefaults.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "platform/PlistFile.h"
#include "protocol/NumberText.h"

namespace tavelin {
namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase) {
    return std::ranges::equal(text, lowerCase, [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

std::int64_t truncateToInteger(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

// Leading white space, an optional sign, then as many digits as there are.
std::int64_t leadingInteger(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\n\r\f\v");
    if (start == std::string_view::npos) return 0;
    text.remove_prefix(start);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) {
            return negative ? std::numeric_limits<std::int64_t>::min()
                            : std::numeric_limits<std::int64_t>::max();
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

UserDefaults::UserDefaults(std::string domain, std::filesystem::path file, SystemLog& log)
    : domain_(std::move(domain)), file_(std::move(file)), log_(log) {
    load();
}

void UserDefaults::load() {
    std::error_code ignored;
    if (std::filesystem::symlink_status(file_, ignored).type() == std::filesystem::file_type::not_found) {
        return;
    }
    auto contents = readPlistFile(file_);
    if (contents && contents->kind() == PlistKind::dict) {
        values_ = std::move(*contents->getIf<PlistDict>());
        return;
    }
    fileDamaged_ = true;
    log_.log("User defaults \"" + domain_ + "\": unreadable preference file, starting empty (" +
             (contents ? file_.string() + ": not a dictionary" : contents.error().message) + ")");
}

bool UserDefaults::keepDamagedFile() {
    std::error_code error;
    std::filesystem::path copy = file_.string() + ".corrupt";
    for (int suffix = 1; std::filesystem::exists(std::filesystem::symlink_status(copy, error)); ++suffix) {
        copy = file_.string() + ".corrupt." + std::to_string(suffix);
    }
    std::filesystem::copy_file(file_, copy, error);
    if (error) {
        log_.log("User defaults \"" + domain_ + "\": not writing over the unreadable preference file, " +
                 "since no copy could be kept (" + copy.string() + ": " + error.message() + ")");
        return false;
    }
    fileDamaged_ = false;
    return true;
}

void UserDefaults::save() {
    if (fileDamaged_ && !keepDamagedFile()) return;
    const auto written = writePlistFile(file_, PlistValue(values_), PlistFormat::binary);
    if (!written) log_.log("User defaults \"" + domain_ + "\": " + written.error().message);
}

std::optional<PlistValue> UserDefaults::object(std::string_view key) const {
    const std::lock_guard lock(mutex_);
    const auto* value = values_.find(key);
    return value ? std::optional(*value) : std::nullopt;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    const auto value = object(key);
    if (!value) return false;
    if (const auto* b = value->getIf<bool>()) return *b;
    if (const auto* i = value->getIf<std::int64_t>()) return *i != 0;
    if (const auto* d = value->getIf<double>()) return *d != 0;
    if (const auto* s = value->getIf<std::string>()) {
        return equalsIgnoringCase(*s, "yes") || equalsIgnoringCase(*s, "true") || *s == "1";
    }
    return false;
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    const auto value = object(key);
    if (!value) return std::nullopt;
    if (const auto* s = value->getIf<std::string>()) return *s;
    if (const auto* b = value->getIf<bool>()) return *b ? "1" : "0";
    if (const auto* i = value->getIf<std::int64_t>()) return std::to_string(*i);
    if (const auto* d = value->getIf<double>()) return shortestText(*d);
    return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(std::string_view key) const {
    const auto value = object(key);
    const auto* array = value ? value->getIf<PlistArray>() : nullptr;
    if (array == nullptr) return std::nullopt;
    std::vector<std::string> strings;
    strings.reserve(array->size());
    for (const auto& element : *array) {
        const auto* s = element.getIf<std::string>();
        if (s == nullptr) return std::nullopt;
        strings.push_back(*s);
    }
    return strings;
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    const auto value = object(key);
    if (!value) return 0;
    if (const auto* i = value->getIf<std::int64_t>()) return *i;
    if (const auto* b = value->getIf<bool>()) return *b ? 1 : 0;
    if (const auto* d = value->getIf<double>()) return truncateToInteger(*d);
    if (const auto* s = value->getIf<std::string>()) return leadingInteger(*s);
    return 0;
}

double UserDefaults::doubleForKey(std::string_view key) const {
    const auto value = object(key);
    if (!value) return 0;
    if (const auto* d = value->getIf<double>()) return *d;
    if (const auto* i = value->getIf<std::int64_t>()) return static_cast<double>(*i);
    if (const auto* b = value->getIf<bool>()) return *b ? 1 : 0;
    if (const auto* s = value->getIf<std::string>()) {
        double number = 0;
        const auto* begin = s->data();
        while (begin != s->data() + s->size() && (*begin == ' ' || *begin == '\t')) ++begin;
        const auto result = std::from_chars(begin, s->data() + s->size(), number);
        return result.ec == std::errc() && std::isfinite(number) ? number : 0;
    }
    return 0;
}

std::optional<PlistDict> UserDefaults::dictionaryForKey(std::string_view key) const {
    const auto value = object(key);
    const auto* dict = value ? value->getIf<PlistDict>() : nullptr;
    return dict ? std::optional(*dict) : std::nullopt;
}

void UserDefaults::set(std::string_view key, PlistValue value) {
    {
        const std::lock_guard lock(mutex_);
        values_.set(key, std::move(value));
        save();
    }
    didChange_.send({});
}

void UserDefaults::removeObject(std::string_view key) {
    {
        const std::lock_guard lock(mutex_);
        if (!values_.remove(key)) return;
        save();
    }
    didChange_.send({});
}

std::optional<PlistDict> UserDefaults::persistentDomain() const {
    const std::lock_guard lock(mutex_);
    return values_.empty() ? std::nullopt : std::optional(values_);
}

void UserDefaults::setPersistentDomain(PlistDict values) {
    {
        const std::lock_guard lock(mutex_);
        values_ = std::move(values);
        save();
    }
    didChange_.send({});
}

std::expected<bool, std::string> UserDefaults::synchronize() {
    auto contents = readPlistFile(file_);
    if (!contents) return std::unexpected(contents.error().message);
    auto* values = contents->getIf<PlistDict>();
    if (!values) return std::unexpected(file_.string() + " holds no dictionary");
    {
        const std::lock_guard lock(mutex_);
        if (values_ == *values) return false;
        values_ = std::move(*values);
        fileDamaged_ = false;  // what is on disk now reads well
    }
    didChange_.send({});
    return true;
}

}  // namespace tavelin
