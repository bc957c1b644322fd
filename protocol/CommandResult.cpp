#include "protocol/CommandResult.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const CommandResult& result) {
    w.beginObject();
    writeField(w, "requestID", result.requestID);
    writeField(w, "ok", result.ok);
    writeField(w, "error", result.error);
    writeField(w, "newGeneration", result.newGeneration);
    writeField(w, "processID", result.processID);
    writeField(w, "processLaunchTime", result.processLaunchTime);
    writeField(w, "processAlive", result.processAlive);
    w.endObject();
}

bool fromJSON(const JsonValue& v, CommandResult& result) {
    ObjectReader r(v);
    r.required("requestID", result.requestID)
        .required("ok", result.ok)
        .optional("error", result.error)
        .optional("newGeneration", result.newGeneration)
        .optional("processID", result.processID)
        .optional("processLaunchTime", result.processLaunchTime)
        .optional("processAlive", result.processAlive);
    return r.ok();
}

}  // namespace tavelin
