#pragma once

// The outcome of a command, sent back in a "command.result" message.

#include <cstdint>
#include <optional>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/ProtocolError.h"

namespace tavelin {

struct CommandResult {
    static constexpr std::string_view typeName = "CommandResult";

    // The result's own ID; the envelope around it carries the command's.
    RequestID requestID;
    bool ok = false;
    std::optional<ProtocolError> error;
    std::optional<std::int64_t> newGeneration;
    // The process concerned, for a later liveness check; processLaunchTime in seconds since 2001-01-01.
    std::optional<std::int64_t> processID;
    std::optional<double> processLaunchTime;
    std::optional<bool> processAlive;

    friend bool operator==(const CommandResult&, const CommandResult&) = default;
};

void toJSON(JsonWriter& w, const CommandResult& result);
bool fromJSON(const JsonValue& v, CommandResult& result);

}  // namespace tavelin
