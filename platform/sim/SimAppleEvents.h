#pragma once

// Apple events on the simulated Mac. Every event sent is recorded with its target process, send mode
// and time-out. A reopen event ('aevt'/'rapp') to a running application is answered as the installed
// application is set up (SimApplication): after its reply delay, spent as a blocking wait of the
// sender that the time-out cuts short (then the send fails with a time-out), the application shows
// its reopen window, if it has one, even when the sender stopped waiting. An event to a process that
// does not run fails at once. Descriptors are counted until disposed of. Main thread.

#include <cstdint>
#include <map>
#include <vector>

#include "platform/AppleEvents.h"
#include "platform/sim/SimWorkspace.h"

namespace tavelin::sim {

class SimAppleEvents final : public AppleEvents {
  public:
    struct SentEvent {
        FourCharCode eventClass = 0;
        FourCharCode eventID = 0;
        std::int32_t processIdentifier = 0;  // of the target address
        std::int16_t returnID = 0;
        std::int32_t transactionID = 0;
        std::int32_t sendMode = 0;
        std::int64_t timeoutTicks = 0;
        OSStatus status = kNoErr;
        friend bool operator==(const SentEvent&, const SentEvent&) = default;
    };

    explicit SimAppleEvents(SimWorkspace& workspace)
        : workspace_(workspace), mainThread_(workspace.mainThread()) {}

    std::expected<AEDesc, OSStatus> createDesc(FourCharCode type, std::vector<std::uint8_t> data) override;
    std::expected<AEDesc, OSStatus> createAppleEvent(FourCharCode eventClass, FourCharCode eventID,
                                                     const AEDesc& target, std::int16_t returnID,
                                                     std::int32_t transactionID) override;
    OSStatus sendMessage(const AEDesc& event, AEDesc& reply, std::int32_t sendMode,
                         std::int64_t timeoutTicks) override;
    void disposeDesc(AEDesc& desc) override;

    // --- The world's side ---

    const std::vector<SentEvent>& sentEvents() const { return sent_; }
    // Descriptors made and not yet disposed of.
    std::size_t liveDescriptors() const { return descriptors_.size(); }

  private:
    struct Descriptor {
        FourCharCode type = 0;
        std::vector<std::uint8_t> data;
        SentEvent event;  // for an Apple event
    };

    AEDesc make(Descriptor descriptor);
    OSStatus deliver(const SentEvent& event);

    SimWorkspace& workspace_;
    SequenceChecker mainThread_;
    std::map<std::uint64_t, Descriptor> descriptors_;
    std::uint64_t nextHandle_ = 1;
    std::vector<SentEvent> sent_;
};

}  // namespace tavelin::sim
