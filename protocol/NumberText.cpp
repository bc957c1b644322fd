#include "protocol/NumberText.h"

#include <charconv>

namespace tavelin {

std::string shortestText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace tavelin
