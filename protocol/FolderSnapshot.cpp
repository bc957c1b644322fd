#include "protocol/FolderSnapshot.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const FolderChild& child) {
    w.beginObject();
    writeField(w, "childID", child.childID);
    writeField(w, "kind", child.kind);
    writeField(w, "title", child.title);
    writeField(w, "path", child.path);
    writeField(w, "iconToken", child.iconToken);
    writeField(w, "childIndex", child.childIndex);
    writeField(w, "isReadable", child.isReadable);
    writeField(w, "modifiedAt", child.modifiedAt);
    w.endObject();
}

bool fromJSON(const JsonValue& v, FolderChild& child) {
    ObjectReader r(v);
    r.required("childID", child.childID)
        .required("kind", child.kind)
        .required("title", child.title)
        .optional("path", child.path)
        .optional("iconToken", child.iconToken)
        .required("childIndex", child.childIndex)
        .required("isReadable", child.isReadable)
        .optional("modifiedAt", child.modifiedAt);
    return r.ok();
}

void toJSON(JsonWriter& w, const FolderSnapshot& snapshot) {
    w.beginObject();
    writeField(w, "folderID", snapshot.folderID);
    writeField(w, "parentItemID", snapshot.parentItemID);
    writeField(w, "title", snapshot.title);
    writeField(w, "path", snapshot.path);
    writeField(w, "displayMode", snapshot.displayMode);
    writeField(w, "revision", snapshot.revision);
    writeField(w, "children", snapshot.children);
    writeField(w, "isReadable", snapshot.isReadable);
    writeField(w, "errorReason", snapshot.errorReason);
    w.endObject();
}

bool fromJSON(const JsonValue& v, FolderSnapshot& snapshot) {
    ObjectReader r(v);
    r.required("folderID", snapshot.folderID)
        .required("parentItemID", snapshot.parentItemID)
        .required("title", snapshot.title)
        .optional("path", snapshot.path)
        .required("displayMode", snapshot.displayMode)
        .required("revision", snapshot.revision)
        .required("children", snapshot.children)
        .required("isReadable", snapshot.isReadable)
        .optional("errorReason", snapshot.errorReason);
    return r.ok();
}

}  // namespace tavelin
