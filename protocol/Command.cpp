#include "protocol/Command.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const Command& command) {
    w.beginObject();
    writeField(w, "kind", command.kind);
    writeField(w, "target", command.target);
    writeField(w, "child", command.child);
    writeField(w, "expectedGeneration", command.expectedGeneration);
    writeField(w, "nonce", command.nonce);
    writeField(w, "processID", command.processID);
    writeField(w, "processLaunchTime", command.processLaunchTime);
    writeField(w, "windowID", command.windowID);
    writeField(w, "expectedWindowListGeneration", command.expectedWindowListGeneration);
    writeField(w, "windowContentRevision", command.windowContentRevision);
    writeField(w, "tile", command.tile);
    writeField(w, "targetScreenID", command.targetScreenID);
    w.endObject();
}

bool fromJSON(const JsonValue& v, Command& command) {
    ObjectReader r(v);
    r.required("kind", command.kind)
        .optional("target", command.target)
        .optional("child", command.child)
        .required("expectedGeneration", command.expectedGeneration)
        .required("nonce", command.nonce)
        .optional("processID", command.processID)
        .optional("processLaunchTime", command.processLaunchTime)
        .optional("windowID", command.windowID)
        .optional("expectedWindowListGeneration", command.expectedWindowListGeneration)
        .optional("windowContentRevision", command.windowContentRevision)
        .optional("tile", command.tile)
        .optional("targetScreenID", command.targetScreenID);
    return r.ok();
}

}  // namespace tavelin
