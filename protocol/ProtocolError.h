#pragma once

// The one error of the protocol and of commands: the payload of an "error" message, the error of a
// failed command result, and the failure of every command the Mac executes. Each case has a fixed
// English description, or one formed from its value.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "protocol/JsonCodingForward.h"

namespace tavelin {

class ProtocolError {
public:
    static constexpr std::string_view typeName = "ProtocolError";

    // The cases, in the order of their coding keys.
    struct VersionUnsupported {
        friend bool operator==(const VersionUnsupported&, const VersionUnsupported&) = default;
    };
    struct Unauthorized {
        friend bool operator==(const Unauthorized&, const Unauthorized&) = default;
    };
    struct Revoked {
        friend bool operator==(const Revoked&, const Revoked&) = default;
    };
    struct StaleGeneration {
        friend bool operator==(const StaleGeneration&, const StaleGeneration&) = default;
    };
    struct StaleWindowRevision {
        friend bool operator==(const StaleWindowRevision&, const StaleWindowRevision&) = default;
    };
    struct NotFound {
        friend bool operator==(const NotFound&, const NotFound&) = default;
    };
    struct Unavailable {
        std::string reason;  // "hide failed"
        friend bool operator==(const Unavailable&, const Unavailable&) = default;
    };
    struct PermissionDenied {
        std::string kind;  // "accessibility"
        friend bool operator==(const PermissionDenied&, const PermissionDenied&) = default;
    };
    struct RateLimited {
        std::int64_t retryAfter = 0;  // seconds
        friend bool operator==(const RateLimited&, const RateLimited&) = default;
    };
    struct Internal {
        std::string message;  // "message too large"
        friend bool operator==(const Internal&, const Internal&) = default;
    };
    struct CodeMismatch {
        std::int64_t attemptsLeft = 0;
        friend bool operator==(const CodeMismatch&, const CodeMismatch&) = default;
    };

    using Case = std::variant<VersionUnsupported, Unauthorized, Revoked, StaleGeneration, StaleWindowRevision,
                              NotFound, Unavailable, PermissionDenied, RateLimited, Internal, CodeMismatch>;

    static constexpr std::string_view caseNames[] = {
        "versionUnsupported",  "unauthorized", "revoked",     "staleGeneration",
        "staleWindowRevision", "notFound",     "unavailable", "permissionDenied",
        "rateLimited",         "internal",     "codeMismatch"};
    static_assert(std::size(caseNames) == std::variant_size_v<Case>);

    ProtocolError() = default;
    // Each case converts to an error: `ProtocolError error = ProtocolError::NotFound{};`
    template <class C>
        requires(std::is_constructible_v<Case, C &&> && !std::is_same_v<std::remove_cvref_t<C>, ProtocolError>)
    ProtocolError(C&& value) : value_(std::forward<C>(value)) {}

    static ProtocolError versionUnsupported() { return VersionUnsupported{}; }
    static ProtocolError unauthorized() { return Unauthorized{}; }
    static ProtocolError revoked() { return Revoked{}; }
    static ProtocolError staleGeneration() { return StaleGeneration{}; }
    static ProtocolError staleWindowRevision() { return StaleWindowRevision{}; }
    static ProtocolError notFound() { return NotFound{}; }
    static ProtocolError unavailable(std::string reason) { return Unavailable{std::move(reason)}; }
    static ProtocolError permissionDenied(std::string kind) { return PermissionDenied{std::move(kind)}; }
    static ProtocolError rateLimited(std::int64_t retryAfter) { return RateLimited{retryAfter}; }
    static ProtocolError internal(std::string message) { return Internal{std::move(message)}; }
    static ProtocolError codeMismatch(std::int64_t attemptsLeft) { return CodeMismatch{attemptsLeft}; }

    const Case& value() const { return value_; }
    std::string_view caseName() const { return caseNames[value_.index()]; }

    // Whether this is the case `C`; `as<C>()` gives its values, or null for another case.
    template <class C>
    bool is() const {
        return std::holds_alternative<C>(value_);
    }
    template <class C>
    const C* as() const {
        return std::get_if<C>(&value_);
    }

    // "Stale dock generation", "Permission denied: accessibility", "Rate limited (30s)", ...
    std::string errorDescription() const;

    friend bool operator==(const ProtocolError&, const ProtocolError&) = default;

private:
    Case value_;
};

// {"notFound":{}}, {"unavailable":{"reason":"hide failed"}}, {"rateLimited":{"retryAfter":30}}.
void toJSON(JsonWriter& w, const ProtocolError& error);
bool fromJSON(const JsonValue& v, ProtocolError& error);

}  // namespace tavelin
