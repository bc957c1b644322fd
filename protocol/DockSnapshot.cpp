#include "protocol/DockSnapshot.h"

#include "protocol/DockSnapshotApplier.h"
#include "protocol/JsonCoding.h"

namespace tavelin {

DockSnapshot DockSnapshot::applying(const DockDiff& diff, Timestamp now) const {
    if (auto applied = DockSnapshotApplier::apply(diff, *this, now)) return std::move(*applied);
    return *this;
}

void toJSON(JsonWriter& w, const DockSnapshot& snapshot) {
    w.beginObject();
    writeField(w, "dockGeneration", snapshot.dockGeneration);
    writeField(w, "eventSequence", snapshot.eventSequence);
    writeField(w, "generatedAt", snapshot.generatedAt);
    writeField(w, "items", snapshot.items);
    writeField(w, "separators", snapshot.separators);
    writeField(w, "runningSort", snapshot.runningSort);
    w.endObject();
}

bool fromJSON(const JsonValue& v, DockSnapshot& snapshot) {
    ObjectReader r(v);
    r.required("dockGeneration", snapshot.dockGeneration)
        .required("eventSequence", snapshot.eventSequence)
        .required("generatedAt", snapshot.generatedAt)
        .required("items", snapshot.items)
        .required("separators", snapshot.separators)
        .required("runningSort", snapshot.runningSort);
    return r.ok();
}

}  // namespace tavelin
