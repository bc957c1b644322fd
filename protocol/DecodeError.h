#pragma once

#include <string>

namespace tavelin {

// Why a value could not be read: the path to the first bad value and what was wrong with it.
struct DecodeError {
    std::string message;  // "DockSnapshot.items[3].kind: no case \"application\""
    friend bool operator==(const DecodeError&, const DecodeError&) = default;
};

}  // namespace tavelin
