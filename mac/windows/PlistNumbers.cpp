#include "mac/windows/PlistNumbers.h"

#include <cmath>

namespace tavelin {
namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

}  // namespace

std::optional<std::int64_t> plistInteger(const PlistValue* value) {
    if (value == nullptr) return std::nullopt;
    if (const auto* integer = value->getIf<std::int64_t>()) return *integer;
    const auto* real = value->getIf<double>();
    if (real == nullptr || !std::isfinite(*real)) return std::nullopt;
    const double whole = std::trunc(*real);
    if (whole < -kTwoTo63 || whole >= kTwoTo63) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

std::optional<std::uint64_t> plistUnsignedInteger(const PlistValue* value) {
    if (value == nullptr) return std::nullopt;
    if (const auto* integer = value->getIf<std::int64_t>()) return static_cast<std::uint64_t>(*integer);
    const auto* real = value->getIf<double>();
    if (real == nullptr || !std::isfinite(*real)) return std::nullopt;
    const double whole = std::trunc(*real);
    if (whole < 0 || whole >= kTwoTo64) return std::nullopt;
    return static_cast<std::uint64_t>(whole);
}

}  // namespace tavelin
