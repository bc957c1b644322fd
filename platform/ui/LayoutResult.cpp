#include "platform/ui/LayoutResult.h"

#include <algorithm>

namespace tavelin::ui {

Point innermostOrigin(const std::vector<NamedSpace>& spaces, std::string_view name) {
    for (auto it = spaces.rbegin(); it != spaces.rend(); ++it) {
        if (it->name == name) return it->origin;
    }
    return {};
}

const ViewRecord* LayoutResult::view(std::string_view id) const {
    const auto found = std::find_if(views.begin(), views.end(), [&](const ViewRecord& v) { return v.id == id; });
    return found == views.end() ? nullptr : &*found;
}

std::optional<Rect> LayoutResult::frame(std::string_view id, std::string_view space) const {
    const ViewRecord* record = view(id);
    if (record == nullptr) return std::nullopt;
    if (space.empty()) return record->frame;
    const auto named = std::find_if(spaces.begin(), spaces.end(), [&](const NamedSpace& s) { return s.name == space; });
    if (named == spaces.end()) return std::nullopt;
    const Rect& f = record->frame;
    return Rect{f.x - named->origin.x, f.y - named->origin.y, f.width, f.height};
}

const HitRegion* LayoutResult::hitTest(Point point) const {
    for (auto it = hitRegions.rbegin(); it != hitRegions.rend(); ++it) {
        if (contains(it->frame, point)) return &*it;
    }
    return nullptr;
}

}  // namespace tavelin::ui
