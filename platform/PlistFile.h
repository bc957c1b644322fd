#pragma once

// Property lists in their two file forms, binary ("bplist00") and XML, through libplist. Reading takes
// either form; a value that libplist cannot give (a keyed-archive UID), nesting deeper than
// `kMaxPlistDepth` or more than `kMaxPlistValues` values fail the whole read rather than dropping part of
// the file. libplist keeps every
// integer unsigned; it is taken back as the signed 64-bit value that was written, so -1 stays -1.
// Dates are kept to the second; their fractions may be off by a microsecond (the file forms hold a
// double, XML whole seconds only), and within the one second before 2001 their fraction's sign is lost.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace tavelin {

enum class PlistFormat { xml, binary };

struct PlistError {
    std::string message;
    friend bool operator==(const PlistError&, const PlistError&) = default;
};

inline constexpr std::size_t kMaxPlistDepth = 256;
// Preference files are small; anything larger, or holding more values, is refused before it is parsed.
inline constexpr std::size_t kMaxPlistFileBytes = 8 * 1024 * 1024;
inline constexpr std::uint64_t kMaxPlistValues = 1 << 20;

std::expected<PlistValue, PlistError> parsePlist(std::string_view bytes);
// Fails only for a date that the file forms cannot hold (before 1933 or after 2069, as libplist keeps
// 32-bit seconds).
std::expected<std::string, PlistError> serializePlist(const PlistValue& value, PlistFormat format);

std::expected<PlistValue, PlistError> readPlistFile(const std::filesystem::path& path);
// Replaces the file by atomic rename.
std::expected<void, PlistError> writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                                               PlistFormat format);

}  // namespace tavelin
