#pragma once

// Whether a running application asks for the user's attention (the Dock would bounce its icon). The
// platform tells this only through undocumented properties of the application object; where none of
// them answers, the answer is no.

#include "platform/RunningApplication.h"

namespace tavelin::RunningAppAttention {

// False for a terminated or active application; otherwise the first of "unseenAttentionRequest",
// "_unseenAttentionRequest" and "hasVisibleAttentionRequest" that the application responds to and
// answers with a Boolean decides.
bool needsAttention(const RunningApplication& application);

}  // namespace tavelin::RunningAppAttention
