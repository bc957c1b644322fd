#pragma once

// A window's content revision: a signed 64-bit value that changes whenever the window's title, frame,
// state or minimized flag does, and stays while none of them does. Every window list and every live
// descriptor computes it here, so that equal windows get equal revisions within one run. It is a
// SipHash-1-3 keyed with 16 random bytes drawn once per process, so values mean nothing across runs
// and devices compare them for equality only. Any thread.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/SipHash.h"
#include "protocol/WindowDescriptor.h"
#include "protocol/WindowEnums.h"

namespace tavelin {

std::int64_t windowContentRevision(std::string_view title, const std::optional<WindowFrame>& frame,
                                   WindowState state, bool minimized);

// Replaces the process's key, so that a test can pin revisions.
void setWindowContentRevisionKey(const SipHashKey& key);

}  // namespace tavelin
