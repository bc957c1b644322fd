#pragma once

// What an executed command gives back: success with the process facts it learnt, or failure with a
// protocol error. Sessions turn it into the CommandResult they send.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "protocol/CommandResult.h"
#include "protocol/ProtocolError.h"

namespace tavelin {

struct CommandResultPayload {
    struct Success {
        std::optional<std::int64_t> processID;
        std::optional<double> processLaunchTime;  // seconds since 2001-01-01 00:00 UTC
        std::optional<bool> processAlive;
        friend bool operator==(const Success&, const Success&) = default;
    };

    std::variant<Success, ProtocolError> value;

    static CommandResultPayload success(Success facts = {}) { return {std::move(facts)}; }
    static CommandResultPayload failure(ProtocolError error) { return {std::move(error)}; }

    bool isSuccess() const { return std::holds_alternative<Success>(value); }

    // The result as sent: a request ID of its own, ok, the error only on failure, no new generation, and
    // the process facts of a success (none on failure).
    CommandResult commandResult() const;

    // The result as log lines print it: "success", or "failure(" with the error's description and ")"
    // ("failure(Not found)").
    std::string textualForm() const;

    friend bool operator==(const CommandResultPayload&, const CommandResultPayload&) = default;
};

}  // namespace tavelin
