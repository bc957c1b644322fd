#include "mac/switcher/views/SwitcherHostView.h"

namespace tavelin {

const ui::LayoutResult& SwitcherHostView::update(const ui::Environment& environment) {
    host_.setSize({frame.width, frame.height});
    host_.setEnvironment(environment);
    return host_.update();
}

}  // namespace tavelin
