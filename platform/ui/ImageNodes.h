#pragma once

// Pictures and symbols.

#include <optional>

#include "platform/ui/Color.h"
#include "platform/ui/Image.h"
#include "platform/ui/Node.h"
#include "platform/ui/Symbol.h"

namespace tavelin::ui {

// A resizable image fitted keeping its aspect ratio. Rule: takes the largest size of the image's shape
// within the proposal (with one dimension proposed, the one that follows from it; with none, the image's
// own size in pixels) and draws the image in it.
class ImageNode final : public NodeOf<ImageNode> {
  public:
    explicit ImageNode(Image image) : image_(std::move(image)) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    Image image_;
};

// A symbol at a font size. Rule: takes a square as wide and tall as the font size, whatever is proposed,
// and draws the symbol in it.
class SymbolNode final : public NodeOf<SymbolNode> {
  public:
    SymbolNode(Symbol symbol, double pointSize, Color color) : symbol_(symbol), pointSize_(pointSize), color_(color) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    Symbol symbol_;
    double pointSize_;
    Color color_;
};

View image(Image image);
View symbol(Symbol symbol, double pointSize, Color color);
// The image when there is one; else (an icon that could not be decoded) the fallback symbol.
View image(const std::optional<Image>& image, Symbol fallback, double pointSize, Color color);

}  // namespace tavelin::ui
