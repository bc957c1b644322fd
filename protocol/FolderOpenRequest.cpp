#include "protocol/FolderOpenRequest.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const FolderOpenRequest& request) {
    w.beginObject();
    writeField(w, "itemID", request.itemID);
    writeField(w, "relativePath", request.relativePath);
    writeField(w, "userInitiated", request.userInitiated);
    w.endObject();
}

bool fromJSON(const JsonValue& v, FolderOpenRequest& request) {
    ObjectReader r(v);
    r.required("itemID", request.itemID)
        .optional("relativePath", request.relativePath)
        .optional("userInitiated", request.userInitiated);
    return r.ok();
}

}  // namespace tavelin
