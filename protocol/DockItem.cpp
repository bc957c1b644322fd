#include "protocol/DockItem.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const DockItem& item) {
    w.beginObject();
    writeField(w, "itemID", item.itemID);
    writeField(w, "region", item.region);
    writeField(w, "kind", item.kind);
    writeField(w, "bundleID", item.bundleID);
    writeField(w, "path", item.path);
    writeField(w, "title", item.title);
    writeField(w, "iconToken", item.iconToken);
    writeField(w, "isDockPinned", item.isDockPinned);
    writeField(w, "dockIndex", item.dockIndex);
    writeField(w, "isRunning", item.isRunning);
    writeField(w, "isActive", item.isActive);
    writeField(w, "isHidden", item.isHidden);
    writeField(w, "activationPolicy", item.activationPolicy);
    writeField(w, "folderDisplayMode", item.folderDisplayMode);
    writeField(w, "folderArrangement", item.folderArrangement);
    writeField(w, "isAvailable", item.isAvailable);
    writeField(w, "needsAttention", item.needsAttention);
    writeField(w, "isRecentAppsTile", item.isRecentAppsTile);
    w.endObject();
}

bool fromJSON(const JsonValue& v, DockItem& item) {
    ObjectReader r(v);
    r.required("itemID", item.itemID)
        .required("region", item.region)
        .required("kind", item.kind)
        .optional("bundleID", item.bundleID)
        .optional("path", item.path)
        .required("title", item.title)
        .optional("iconToken", item.iconToken)
        .required("isDockPinned", item.isDockPinned)
        .required("dockIndex", item.dockIndex)
        .required("isRunning", item.isRunning)
        .required("isActive", item.isActive)
        .required("isHidden", item.isHidden)
        .required("activationPolicy", item.activationPolicy)
        .optional("folderDisplayMode", item.folderDisplayMode)
        .optional("folderArrangement", item.folderArrangement)
        .required("isAvailable", item.isAvailable)
        // Older senders leave these two out; they are always written.
        .orDefault("needsAttention", item.needsAttention, false)
        .orDefault("isRecentAppsTile", item.isRecentAppsTile, false);
    return r.ok();
}

}  // namespace tavelin
