#pragma once

// An editable text view that takes the keyboard in a panel: its text, the selection and the marked
// text of an input method's composition, with ranges in UTF-16 units as the platform counts them. A key
// goes to its input context, which calls back into the view as its client. Subclasses override the
// client's operations and the change notice to watch or refuse edits.
//
// Main thread.

#include <memory>
#include <string>
#include <string_view>

#include "platform/Panels.h"
#include "platform/TextInput.h"

namespace tavelin {

class TextView : public Responder, public TextInputClient {
  public:
    // The view's look and its text system's helpers; all off leaves a plain text view.
    struct Options {
        bool editable = true;
        bool selectable = true;
        bool richText = true;
        bool drawsBackground = true;
        bool fieldEditor = false;
        bool clearInsertionPointAndText = false;  // an invisible view
        bool automaticSubstitutions = true;       // quotes, dashes, text replacement
        bool spellAndGrammarChecking = true;
        bool usesFontPanel = true;
        bool focusRing = true;
        friend bool operator==(const Options&, const Options&) = default;
    };

    TextView(Rect frame, TextInput& textInput);

    Rect frame;  // in the window's content view
    Options options;
    // The panel it is in; none before it is added to one.
    const AppPanel* window = nullptr;

    std::string string() const;
    // Replaces the text; the marked text goes, the selection is kept within the text.
    void setString(std::string_view text);
    TextRange selectedRange() const { return selection_; }
    void setSelectedRange(TextRange range);
    TextRange markedRange() const { return marked_; }
    bool hasMarkedText() const override { return !marked_.isNotFound(); }

    TextInputContext& inputContext() { return *inputContext_; }

    // Hands the key to the input context.
    void keyDown(const InputEvent& event) override;

    void insertText(std::string_view text, TextRange replacementRange) override;
    void setMarkedText(std::string_view text, TextRange selectedRange, TextRange replacementRange) override;
    void unmarkText() override;
    void doCommand(std::string_view selector) override;
    Rect firstRect(TextRange range, TextRange* actualRange) override;

    // Deletes the selection, or else the grapheme cluster before the insertion point.
    void deleteBackward();
    // Told after every edit the view makes itself.
    virtual void didChangeText() {}

  private:
    // The range an edit replaces: the given one, else the marked text, else the selection.
    TextRange editRange(TextRange replacementRange) const;
    void replace(TextRange range, std::u16string_view text);

    std::u16string text_;
    TextRange selection_{0, 0};
    TextRange marked_;
    std::unique_ptr<TextInputContext> inputContext_;
};

}  // namespace tavelin
