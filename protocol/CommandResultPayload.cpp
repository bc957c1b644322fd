#include "protocol/CommandResultPayload.h"

namespace tavelin {

CommandResult CommandResultPayload::commandResult() const {
    CommandResult result{.requestID = RequestID::generate(), .ok = isSuccess()};
    if (const auto* success = std::get_if<Success>(&value)) {
        result.processID = success->processID;
        result.processLaunchTime = success->processLaunchTime;
        result.processAlive = success->processAlive;
    } else {
        result.error = std::get<ProtocolError>(value);
    }
    return result;
}

std::string CommandResultPayload::textualForm() const {
    const auto* error = std::get_if<ProtocolError>(&value);
    return error ? "failure(" + error->errorDescription() + ")" : "success";
}

}  // namespace tavelin
