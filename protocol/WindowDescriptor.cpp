#include "protocol/WindowDescriptor.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

bool WindowDescriptor::canArrangeWindow() const {
    if (state == WindowState::minimized) return false;
    if (supportsTile || supportsResize) return true;
    return frame.has_value();
}

void toJSON(JsonWriter& w, const WindowFrame& frame) {
    w.beginObject();
    writeField(w, "x", frame.x);
    writeField(w, "y", frame.y);
    writeField(w, "width", frame.width);
    writeField(w, "height", frame.height);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowFrame& frame) {
    ObjectReader r(v);
    r.required("x", frame.x)
        .required("y", frame.y)
        .required("width", frame.width)
        .required("height", frame.height);
    return r.ok();
}

void toJSON(JsonWriter& w, const WindowDescriptor& window) {
    w.beginObject();
    writeField(w, "windowID", window.windowID);
    writeField(w, "title", window.title);
    writeField(w, "screenID", window.screenID);
    writeField(w, "frame", window.frame);
    writeField(w, "state", window.state);
    writeField(w, "contentRevision", window.contentRevision);
    writeField(w, "thumbnailToken", window.thumbnailToken);
    writeField(w, "supportsClose", window.supportsClose);
    writeField(w, "supportsMinimize", window.supportsMinimize);
    writeField(w, "supportsResize", window.supportsResize);
    writeField(w, "supportsFullScreen", window.supportsFullScreen);
    writeField(w, "supportsTile", window.supportsTile);
    writeField(w, "isSecure", window.isSecure);
    writeField(w, "unavailableReason", window.unavailableReason);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WindowDescriptor& window) {
    ObjectReader r(v);
    r.required("windowID", window.windowID)
        .required("title", window.title)
        .optional("screenID", window.screenID)
        .optional("frame", window.frame)
        .required("state", window.state)
        .required("contentRevision", window.contentRevision)
        .optional("thumbnailToken", window.thumbnailToken)
        .required("supportsClose", window.supportsClose)
        .required("supportsMinimize", window.supportsMinimize)
        .required("supportsResize", window.supportsResize)
        .required("supportsFullScreen", window.supportsFullScreen)
        .required("supportsTile", window.supportsTile)
        .required("isSecure", window.isSecure)
        .optional("unavailableReason", window.unavailableReason);
    return r.ok();
}

}  // namespace tavelin
