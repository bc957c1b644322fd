#pragma once

// Laying views out in a host of a given size, with round-number text widths, and finding what they drew.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/ui/Host.h"
#include "platform/ui/Views.h"
#include "platform/ui/tests/FixedAdvanceMeasurer.h"

namespace tavelin {

inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

namespace viewtest {

inline const ui::FixedAdvanceMeasurer& measurer() {
    static const ui::FixedAdvanceMeasurer instance;
    return instance;
}

inline ui::LayoutResult layOut(std::function<ui::View(const ui::Environment&)> build, ui::Size size,
                               ui::Environment environment = {}) {
    ui::Host host(std::make_shared<ui::FixedAdvanceMeasurer>(),
                  [&](const ui::BuildContext& context) { return build(context.environment); });
    host.setSize(size);
    host.setEnvironment(environment);
    return host.update();
}

template <class Op>
std::vector<Op> ops(const ui::LayoutResult& result) {
    std::vector<Op> found;
    for (const ui::DrawOp& op : result.displayList) {
        if (const Op* match = std::get_if<Op>(&op)) found.push_back(*match);
    }
    return found;
}

inline ui::Environment environment(ui::ColorScheme scheme, bool reduceMotion = false) {
    ui::Environment environment;
    environment.colorScheme = scheme;
    environment.reduceMotion = reduceMotion;
    return environment;
}

}  // namespace viewtest
}  // namespace tavelin
