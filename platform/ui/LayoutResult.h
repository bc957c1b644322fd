#pragma once

// Everything one layout pass of a view tree yields: the display list, the hit regions in drawing order,
// the views that react to the pointer, the frames reported as preferences, and a record of each view
// that carries an id. Frames are in points of the host's space unless a named space is asked for.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Effects.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/ViewGeometry.h"

namespace tavelin::ui {

using ViewID = std::string;

// A view with at least one pointer behaviour. `key` follows it from one pass to the next: the id of
// its nearest identified view (itself included) and its order among the behaviours under that id.
struct Interaction {
    std::string key;
    Rect frame;
    std::function<void()> onTap;
    std::function<void(const HoverPhase&)> onHover;
    std::shared_ptr<DropDelegate> dropDelegate;
    std::function<void()> onContextMenu;
};

// Something drawn that the pointer can hit (a shape, whatever its fill, a text, an image, a symbol),
// with the nearest enclosing interaction of each kind, as an index into `interactions` or -1.
struct HitRegion {
    Rect frame;
    int tap = -1;
    int hover = -1;
    int drop = -1;
    int contextMenu = -1;
};

struct ReportedFrame {
    std::string preference;
    std::shared_ptr<const void> key;
    Rect frame;  // in the space the report named
};

struct ViewRecord {
    ViewID id;
    Rect frame;  // in the host's space, offsets and scrolling included
    std::optional<Animation> animation;
    std::optional<Shadow> shadow;
    bool accessibilityHidden = false;
    double opacity = 1;
};

struct NamedSpace {
    std::string name;
    Point origin;  // in the host's space
};

// The origin of the innermost space of that name in a list of enclosing spaces (innermost last); the
// host's origin when none has the name.
Point innermostOrigin(const std::vector<NamedSpace>& spaces, std::string_view name);

struct LayoutResult {
    Size size;
    DisplayList displayList;
    std::vector<HitRegion> hitRegions;
    std::vector<Interaction> interactions;
    std::vector<ReportedFrame> reportedFrames;
    std::vector<ViewRecord> views;
    std::vector<NamedSpace> spaces;

    // The first view with this id, in drawing order.
    const ViewRecord* view(std::string_view id) const;
    // The view's frame in the named space (the first one declared under that name), or in the host's
    // space for an empty name. None for an unknown id or space.
    std::optional<Rect> frame(std::string_view id, std::string_view space = {}) const;
    // The topmost region under the point; none when nothing drawn that takes clicks is there.
    const HitRegion* hitTest(Point point) const;
};

}  // namespace tavelin::ui
