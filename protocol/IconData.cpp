#include "protocol/IconData.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const IconFetch& fetch) {
    w.beginObject();
    writeField(w, "tokens", fetch.tokens);
    w.endObject();
}

bool fromJSON(const JsonValue& v, IconFetch& fetch) {
    return ObjectReader(v).required("tokens", fetch.tokens).ok();
}

void toJSON(JsonWriter& w, const IconData& icon) {
    w.beginObject();
    writeField(w, "token", icon.token);
    writeField(w, "pngBase64", icon.pngBase64);
    writeField(w, "pixelSize", icon.pixelSize);
    w.endObject();
}

bool fromJSON(const JsonValue& v, IconData& icon) {
    ObjectReader r(v);
    r.required("token", icon.token)
        .required("pngBase64", icon.pngBase64)
        .required("pixelSize", icon.pixelSize);
    return r.ok();
}

void toJSON(JsonWriter& w, const IconInvalidated& invalidated) {
    w.beginObject();
    writeField(w, "tokens", invalidated.tokens);
    w.endObject();
}

bool fromJSON(const JsonValue& v, IconInvalidated& invalidated) {
    return ObjectReader(v).required("tokens", invalidated.tokens).ok();
}

}  // namespace tavelin
