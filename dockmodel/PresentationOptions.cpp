#include "dockmodel/PresentationOptions.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

void toJSON(JsonWriter& w, const PresentationOptions& options) {
    w.beginObject();
    writeField(w, "showSeparators", options.showSeparators);
    writeField(w, "reproduceSpacers", options.reproduceSpacers);
    writeField(w, "showUnavailableItems", options.showUnavailableItems);
    writeField(w, "hiddenAppsMode", options.hiddenAppsMode);
    writeField(w, "backgroundOnlyAppsMode", options.backgroundOnlyAppsMode);
    writeField(w, "runningSort", options.runningSort);
    writeField(w, "folderChildrenSort", options.folderChildrenSort);
    writeField(w, "filterText", options.filterText);
    writeField(w, "itemStyle", options.itemStyle);
    w.endObject();
}

bool fromJSON(const JsonValue& v, PresentationOptions& options) {
    ObjectReader r(v);
    r.required("showSeparators", options.showSeparators)
        .required("reproduceSpacers", options.reproduceSpacers)
        .required("showUnavailableItems", options.showUnavailableItems)
        .required("hiddenAppsMode", options.hiddenAppsMode)
        .required("backgroundOnlyAppsMode", options.backgroundOnlyAppsMode)
        .required("runningSort", options.runningSort)
        .required("folderChildrenSort", options.folderChildrenSort)
        .required("filterText", options.filterText)
        .required("itemStyle", options.itemStyle);
    return r.ok();
}

}  // namespace tavelin
