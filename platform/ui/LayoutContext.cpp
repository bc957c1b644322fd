#include "platform/ui/LayoutContext.h"

#include <atomic>

#include "platform/ui/Node.h"

namespace tavelin::ui {
namespace {

std::uint64_t nextPass() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

}  // namespace

LayoutContext::LayoutContext(const TextMeasurer& measurer, const Environment& environment, StateStore& state,
                             LayoutResult& result)
    : measurer_(measurer), environment_(environment), state_(state), result_(result), pass_(nextPass()) {}

LayoutContext LayoutContext::fork(LayoutResult& scratch) const {
    LayoutContext forked(measurer_, environment_, state_, scratch);
    forked.pass_ = pass_;
    forked.spaces_ = spaces_;
    return forked;
}

void LayoutContext::addHitRegion(const Rect& frame) {
    if (hitTestingOff_ > 0) return;
    Rect clipped = frame;
    for (const Rect& clip : clips_) clipped = intersection(clipped, clip);
    if (clipped.width <= 0 || clipped.height <= 0) return;
    HitRegion region = enclosing_;
    region.frame = clipped;
    result_.hitRegions.push_back(region);
}

Point LayoutContext::spaceOrigin(std::string_view name) const { return innermostOrigin(spaces_, name); }

void LayoutContext::pushClip(const Rect& rect) {
    clips_.push_back(rect);
    draw(BeginClipOp{rect});
}

void LayoutContext::popClip() {
    clips_.pop_back();
    draw(EndClipOp{});
}

void LayoutContext::addInteraction(const ViewAttributes& attributes, const Rect& frame) {
    std::string key;
    if (!ids_.empty()) key = ids_.back().first + "#" + std::to_string(ids_.back().second++);
    const int index = static_cast<int>(result_.interactions.size());
    result_.interactions.push_back(Interaction{std::move(key), frame, attributes.onTap, attributes.onHover,
                                               attributes.dropDelegate, attributes.onContextMenu});
    if (attributes.onTap) enclosing_.tap = index;
    if (attributes.onHover) enclosing_.hover = index;
    if (attributes.dropDelegate) enclosing_.drop = index;
    if (attributes.onContextMenu) enclosing_.contextMenu = index;
}

LayoutContext::NodeScope::NodeScope(LayoutContext& context, const ViewAttributes& attributes, const Rect& frame)
    : context_(context), attributes_(attributes), enclosing_(context.enclosing_) {
    if (!attributes.allowsHitTesting) ++context.hitTestingOff_;
    if (!attributes.coordinateSpace.empty()) {
        context.spaces_.push_back({attributes.coordinateSpace, {frame.x, frame.y}});
        context.result_.spaces.push_back(context.spaces_.back());
        pushedSpace_ = true;
    }
    if (!attributes.id.empty()) {
        context.ids_.emplace_back(attributes.id, 0);
        context.result_.views.push_back(ViewRecord{attributes.id, frame, attributes.animation, attributes.shadow,
                                                   attributes.accessibilityHidden, attributes.opacity});
        pushedID_ = true;
    }
    for (const FrameReport& report : attributes.frameReports) {
        const Point origin = context.spaceOrigin(report.space);
        context.result_.reportedFrames.push_back(ReportedFrame{
            report.preference, report.key, Rect{frame.x - origin.x, frame.y - origin.y, frame.width, frame.height}});
    }
    if (attributes.interactive() && context.hitTestingOff_ == 0) context.addInteraction(attributes, frame);
    if (attributes.opacity < 1) {
        context.draw(BeginGroupOp{attributes.opacity});
        group_ = true;
    }
}

LayoutContext::NodeScope::~NodeScope() {
    if (group_) context_.draw(EndGroupOp{});
    if (pushedID_) context_.ids_.pop_back();
    if (pushedSpace_) context_.spaces_.pop_back();
    if (!attributes_.allowsHitTesting) --context_.hitTestingOff_;
    context_.enclosing_ = enclosing_;
}

}  // namespace tavelin::ui
