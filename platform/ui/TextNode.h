#pragma once

// One line of text.

#include <string>
#include <string_view>

#include "platform/ui/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/Node.h"
#include "platform/ui/TextTruncation.h"

namespace tavelin::ui {

// Rule: measures the text on one line; takes its natural width when the proposal leaves room for it
// (or makes none), else cuts it to the proposed width (see TextTruncation.h) and takes the cut text's
// width; always takes one line's height. A line break is drawn as a character, never as a new line.
// Invalid UTF-8 (file names) is replaced by U+FFFD when the node is made.
class TextNode final : public NodeOf<TextNode> {
  public:
    TextNode(std::string_view text, Font font, Color color, Truncation truncation);

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    // The text as it shows in `width`, and that width.
    const std::string& shown(std::optional<double> width, LayoutContext& context) const;

    std::string text_;
    Font font_;
    Color color_;
    Truncation truncation_;
    mutable std::uint64_t memoPass_ = 0;
    mutable std::optional<double> memoWidth_;
    mutable std::string memoShown_;
    mutable double memoShownWidth_ = 0;
};

View text(std::string_view text, Font font, Color color, Truncation truncation = Truncation::tail);

}  // namespace tavelin::ui
