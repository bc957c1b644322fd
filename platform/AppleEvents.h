#pragma once

// Apple events sent to another application process. Descriptors are handles that the caller makes and
// must dispose of, each once; a reply is made by the send, also when it fails. Sending blocks the
// calling thread until the reply comes or the time-out ends. Main thread.

#include <cstdint>
#include <expected>
#include <vector>

#include "platform/FourCharCode.h"

namespace tavelin {

using FourCharCode = std::uint32_t;

inline constexpr FourCharCode kTypeKernelProcessID = fourCharCode("kpid");
inline constexpr FourCharCode kCoreEventClass = fourCharCode("aevt");
inline constexpr FourCharCode kAEReopenApplication = fourCharCode("rapp");
inline constexpr std::int16_t kAutoGenerateReturnID = -1;
inline constexpr std::int32_t kAnyTransactionID = 0;
// Send modes, as bits.
inline constexpr std::int32_t kAEWaitReply = 0x3;
inline constexpr std::int32_t kAECanInteract = 0x20;
inline constexpr OSStatus kProcNotFound = -600;
inline constexpr OSStatus kErrAETimeout = -1712;

struct AEDesc {
    std::uint64_t handle = 0;  // 0: none
    friend bool operator==(const AEDesc&, const AEDesc&) = default;
};

class AppleEvents {
  public:
    virtual ~AppleEvents() = default;

    virtual std::expected<AEDesc, OSStatus> createDesc(FourCharCode type, std::vector<std::uint8_t> data) = 0;
    virtual std::expected<AEDesc, OSStatus> createAppleEvent(FourCharCode eventClass, FourCharCode eventID,
                                                             const AEDesc& target, std::int16_t returnID,
                                                             std::int32_t transactionID) = 0;
    // The status of the send, and the reply to dispose of. `timeoutTicks` in sixtieths of a second.
    virtual OSStatus sendMessage(const AEDesc& event, AEDesc& reply, std::int32_t sendMode,
                                 std::int64_t timeoutTicks) = 0;
    virtual void disposeDesc(AEDesc& desc) = 0;
};

}  // namespace tavelin
