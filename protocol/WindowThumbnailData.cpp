#include "protocol/WindowThumbnailData.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const WindowThumbnailFetch& fetch) {
    w.beginObject();
    writeField(w, "windowID", fetch.windowID);
    writeField(w, "contentRevision", fetch.contentRevision);
    writeField(w, "knownToken", fetch.knownToken);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowThumbnailFetch& fetch) {
    ObjectReader r(v);
    r.required("windowID", fetch.windowID)
        .required("contentRevision", fetch.contentRevision)
        .optional("knownToken", fetch.knownToken);
    return r.ok();
}

void toJSON(JsonWriter& w, const WindowThumbnailData& data) {
    w.beginObject();
    writeField(w, "windowID", data.windowID);
    writeField(w, "contentRevision", data.contentRevision);
    writeField(w, "token", data.token);
    writeField(w, "jpegBase64", data.jpegBase64);
    writeField(w, "pixelWidth", data.pixelWidth);
    writeField(w, "pixelHeight", data.pixelHeight);
    writeField(w, "unavailableReason", data.unavailableReason);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowThumbnailData& data) {
    ObjectReader r(v);
    r.required("windowID", data.windowID)
        .required("contentRevision", data.contentRevision)
        .required("token", data.token)
        .required("jpegBase64", data.jpegBase64)
        .required("pixelWidth", data.pixelWidth)
        .required("pixelHeight", data.pixelHeight)
        .optional("unavailableReason", data.unavailableReason);
    return r.ok();
}

}  // namespace tavelin
