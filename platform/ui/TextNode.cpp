#include "platform/ui/TextNode.h"

#include "platform/ui/LayoutContext.h"
#include "platform/ui/TextMeasurer.h"
#include "protocol/UnicodeText.h"

namespace tavelin::ui {

View text(std::string_view text, Font font, Color color, Truncation truncation) {
    return View(std::make_shared<TextNode>(text, font, color, truncation));
}

TextNode::TextNode(std::string_view text, Font font, Color color, Truncation truncation)
    : text_(replaceInvalidUtf8(text)), font_(font), color_(color), truncation_(truncation) {}

const std::string& TextNode::shown(std::optional<double> width, LayoutContext& context) const {
    if (memoPass_ == context.pass() && memoWidth_ == width) return memoShown_;
    const TextMeasurer& measurer = context.measurer();
    const double natural = measurer.width(text_, font_);
    if (!width || natural <= *width) {
        memoShown_ = text_;
        memoShownWidth_ = natural;
    } else {
        memoShown_ = truncate(text_, font_, *width, truncation_, measurer);
        memoShownWidth_ = memoShown_.empty() ? 0 : measurer.width(memoShown_, font_);
    }
    memoPass_ = context.pass();
    memoWidth_ = width;
    return memoShown_;
}

Size TextNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    shown(proposal.width, context);
    return {memoShownWidth_, context.measurer().lineHeight(font_)};
}

void TextNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    const std::string& line = shown(proposal.width, context);
    if (!line.empty() && !color_.isClear()) context.draw(TextOp{frame, line, font_, color_});
    context.addHitRegion(frame);
}

}  // namespace tavelin::ui
