#pragma once

// Hosts a view tree in a window's content area, in place of the platform's hosting view. The host owns
// what outlives one update (the state by identity, the last layout), rebuilds the tree from its builder
// on each update, lays it out in its size, and routes pointer events to the views under them. The root
// view is proposed the host's size and centred in it.
//
// Preference handlers run after a layout only when their value differs from the one they last saw
// (the first time, from the empty default); when any ran, the tree is built and laid out again, so a
// handler that stores the value as state is seen by the views at once. Main thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PointerInputView.h"
#include "platform/ui/Environment.h"
#include "platform/ui/FramePreference.h"
#include "platform/ui/LayoutResult.h"
#include "platform/ui/Node.h"
#include "platform/ui/StateStore.h"

namespace tavelin::ui {

class TextMeasurer;

struct BuildContext {
    const Environment& environment;
    StateStore& state;
    const TextMeasurer& measurer;
};

class Host final : public PointerInputView {
  public:
    using Builder = std::function<View(const BuildContext&)>;

    // Layouts after which handlers still change something are cut off at this many.
    static constexpr int kMaxPassesPerUpdate = 3;

    Host(std::shared_ptr<const TextMeasurer> measurer, Builder builder);

    void setSize(Size size) { size_ = size; }
    Size size() const { return size_; }
    void setEnvironment(const Environment& environment) { environment_ = environment; }
    const Environment& environment() const { return environment_; }
    StateStore& state() { return state_; }
    const TextMeasurer& measurer() const { return *measurer_; }

    const LayoutResult& update();
    const LayoutResult& result() const { return result_; }

    template <class Key, class Less>
    void onPreferenceChange(const FramePreference<Key, Less>& preference,
                            std::function<void(const typename FramePreference<Key, Less>::Frames&)> handler) {
        handlers_.push_back([preference, handler = std::move(handler),
                             last = typename FramePreference<Key, Less>::Frames{}](const LayoutResult& result) mutable {
            auto frames = preference.frames(result);
            if (frames == last) return false;
            last = std::move(frames);
            handler(last);
            return true;
        });
    }

    // Pointer input, in points of the host. A tap runs when the press and the release hit the same
    // view; a view that takes no clicks lets them through to what lies under it.
    void mouseDown(Point point) override;
    void mouseUp(Point point) override;
    void rightMouseDown(Point point) override;
    void mouseMoved(Point point) override;
    void mouseExited() override;

    // A drag over the host: returns the operation that the view under the point proposes (forbidden
    // over nothing that takes drops). The view that takes the drop gets the drag's items.
    DropOperation dragUpdated(const DragInfo& drag) override;
    void dragExited() override;
    bool performDrop(const DragInfo& drag) override;

  private:
    void layOut();
    const Interaction* interactionAt(Point point, int HitRegion::*kind) const;

    std::shared_ptr<const TextMeasurer> measurer_;
    Builder builder_;
    Size size_;
    Environment environment_;
    StateStore state_;
    LayoutResult result_;
    std::vector<std::function<bool(const LayoutResult&)>> handlers_;

    std::optional<std::string> pressed_;
    std::optional<Interaction> hovered_;
    std::optional<Interaction> dropTarget_;
};

}  // namespace tavelin::ui
