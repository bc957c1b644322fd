#include "platform/ui/ImageNodes.h"

#include <algorithm>

#include "platform/ui/LayoutContext.h"

namespace tavelin::ui {

View image(Image image) { return View(std::make_shared<ImageNode>(std::move(image))); }

View symbol(Symbol symbol, double pointSize, Color color) {
    return View(std::make_shared<SymbolNode>(symbol, pointSize, color));
}

View image(const std::optional<Image>& picture, Symbol fallback, double pointSize, Color color) {
    return picture ? image(*picture) : symbol(fallback, pointSize, color);
}

Size ImageNode::sizeThatFits(ProposedSize proposal, LayoutContext&) const {
    const double width = image_.width();
    const double height = image_.height();
    if (!proposal.width && !proposal.height) return {width, height};
    const double byWidth = proposal.width ? *proposal.width / width : *proposal.height / height;
    const double byHeight = proposal.height ? *proposal.height / height : byWidth;
    const double scale = std::min(byWidth, byHeight);
    return {width * scale, height * scale};
}

void ImageNode::placeContent(const Rect& frame, ProposedSize, LayoutContext& context) const {
    context.draw(ImageOp{frame, image_});
    context.addHitRegion(frame);
}

Size SymbolNode::sizeThatFits(ProposedSize, LayoutContext&) const { return {pointSize_, pointSize_}; }

void SymbolNode::placeContent(const Rect& frame, ProposedSize, LayoutContext& context) const {
    context.draw(SymbolOp{frame, symbol_, color_});
    context.addHitRegion(frame);
}

}  // namespace tavelin::ui
