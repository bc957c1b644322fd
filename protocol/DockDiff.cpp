#include "protocol/DockDiff.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const DockDiff& diff) {
    w.beginObject();
    writeField(w, "fromGeneration", diff.fromGeneration);
    writeField(w, "toGeneration", diff.toGeneration);
    writeField(w, "eventSequence", diff.eventSequence);
    writeField(w, "upserts", diff.upserts);
    writeField(w, "removes", diff.removes);
    writeField(w, "reorders", diff.reorders);
    writeField(w, "separators", diff.separators);
    w.endObject();
}

bool fromJSON(const JsonValue& v, DockDiff& diff) {
    ObjectReader r(v);
    r.required("fromGeneration", diff.fromGeneration)
        .required("toGeneration", diff.toGeneration)
        .required("eventSequence", diff.eventSequence)
        .required("upserts", diff.upserts)
        .required("removes", diff.removes)
        .required("reorders", diff.reorders)
        .optional("separators", diff.separators);
    return r.ok();
}

}  // namespace tavelin
