#include "mac/core/RunningAppAttention.h"

namespace tavelin::RunningAppAttention {

bool needsAttention(const RunningApplication& application) {
    if (application.isTerminated || application.isActive) return false;
    for (const auto key :
         {"unseenAttentionRequest", "_unseenAttentionRequest", "hasVisibleAttentionRequest"}) {
        if (!application.respondsTo(key)) continue;
        const auto value = application.value(key);
        if (const auto* decided = value ? value->getIf<bool>() : nullptr) return *decided;
    }
    return false;
}

}  // namespace tavelin::RunningAppAttention
