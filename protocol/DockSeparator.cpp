#include "protocol/DockSeparator.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const DockSeparator& separator) {
    w.beginObject();
    writeField(w, "separatorID", separator.separatorID);
    writeField(w, "region", separator.region);
    writeField(w, "dockIndex", separator.dockIndex);
    writeField(w, "kind", separator.kind);
    w.endObject();
}

bool fromJSON(const JsonValue& v, DockSeparator& separator) {
    ObjectReader r(v);
    r.required("separatorID", separator.separatorID)
        .required("region", separator.region)
        .required("dockIndex", separator.dockIndex)
        .required("kind", separator.kind);
    return r.ok();
}

}  // namespace tavelin
