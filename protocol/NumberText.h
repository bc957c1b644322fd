#pragma once

// A double as the shortest text that reads back as the same number ("1512", "0.5", "2e+300"), for
// logs, traces and messages. Any double has one, so no conversion to an integer type is needed first.

#include <string>

namespace tavelin {

std::string shortestText(double value);

}  // namespace tavelin
