#pragma once

// The hosting view of the panel's root view: it lays the views out in its frame (origin top left, y
// downwards, the space "switcherHost"), hands them the pointer and drags that reach the panel, and
// never takes the keyboard from the search field. Main thread.

#include <memory>

#include "platform/Panels.h"
#include "platform/PointerInputView.h"
#include "platform/ui/Host.h"

namespace tavelin {

class SwitcherHostView final : public Responder, public PointerInputView {
  public:
    SwitcherHostView(std::shared_ptr<const ui::TextMeasurer> measurer, ui::Host::Builder root)
        : host_(std::move(measurer), std::move(root)) {}

    bool acceptsFirstResponder() const override { return false; }

    Rect frame;

    ui::Host& host() { return host_; }
    // Builds and lays the views out again in the frame's size.
    const ui::LayoutResult& update(const ui::Environment& environment);
    const ui::LayoutResult& layout() const { return host_.result(); }

    void mouseDown(Point point) override { host_.mouseDown(point); }
    void mouseUp(Point point) override { host_.mouseUp(point); }
    void rightMouseDown(Point point) override { host_.rightMouseDown(point); }
    void mouseMoved(Point point) override { host_.mouseMoved(point); }
    void mouseExited() override { host_.mouseExited(); }
    DropOperation dragUpdated(const DragInfo& drag) override { return host_.dragUpdated(drag); }
    void dragExited() override { host_.dragExited(); }
    bool performDrop(const DragInfo& drag) override { return host_.performDrop(drag); }

  private:
    ui::Host host_;
};

}  // namespace tavelin
