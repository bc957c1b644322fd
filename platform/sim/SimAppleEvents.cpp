#include "platform/sim/SimAppleEvents.h"

#include <algorithm>
#include <cstring>

namespace tavelin::sim {
namespace {

constexpr FourCharCode kTypeAppleEvent = fourCharCode("aevt");
constexpr FourCharCode kTypeNull = fourCharCode("null");
constexpr OSStatus kErrAENotAEDesc = -1701;
constexpr OSStatus kErrAEEventNotHandled = -1708;

}  // namespace

std::expected<AEDesc, OSStatus> SimAppleEvents::createDesc(FourCharCode type,
                                                           std::vector<std::uint8_t> data) {
    mainThread_.check();
    return make(Descriptor{type, std::move(data), {}});
}

std::expected<AEDesc, OSStatus> SimAppleEvents::createAppleEvent(FourCharCode eventClass,
                                                                 FourCharCode eventID, const AEDesc& target,
                                                                 std::int16_t returnID,
                                                                 std::int32_t transactionID) {
    mainThread_.check();
    const auto address = descriptors_.find(target.handle);
    if (address == descriptors_.end() || address->second.type != kTypeKernelProcessID ||
        address->second.data.size() != sizeof(std::int32_t)) {
        return std::unexpected(kErrAENotAEDesc);
    }
    SentEvent event{eventClass, eventID, 0, returnID, transactionID};
    std::memcpy(&event.processIdentifier, address->second.data.data(), sizeof(std::int32_t));
    return make(Descriptor{kTypeAppleEvent, {}, event});
}

OSStatus SimAppleEvents::sendMessage(const AEDesc& event, AEDesc& reply, std::int32_t sendMode,
                                     std::int64_t timeoutTicks) {
    mainThread_.check();
    reply = make(Descriptor{kTypeNull, {}, {}});
    const auto found = descriptors_.find(event.handle);
    if (found == descriptors_.end() || found->second.type != kTypeAppleEvent) return kErrAENotAEDesc;
    auto sent = found->second.event;
    sent.sendMode = sendMode;
    sent.timeoutTicks = timeoutTicks;
    sent.status = deliver(sent);
    sent_.push_back(sent);
    return sent.status;
}

OSStatus SimAppleEvents::deliver(const SentEvent& event) {
    const auto process = workspace_.process(event.processIdentifier);
    if (!process) return kProcNotFound;
    const auto* application = workspace_.applicationOf(*process);
    if (event.eventClass != kCoreEventClass || event.eventID != kAEReopenApplication ||
        application == nullptr) {
        return kErrAEEventNotHandled;
    }
    const auto replyDelay = application->reopenReplyDelay;
    if (const auto window = application->reopenWindow) {
        workspace_.after(replyDelay, [this, pid = event.processIdentifier, title = *window] {
            workspace_.showWindow(pid, title);
        });
    }
    if ((event.sendMode & kAEWaitReply) != kAEWaitReply) return kNoErr;
    const Duration timeout = std::chrono::microseconds(
        std::clamp<std::int64_t>(event.timeoutTicks, 0, 1'000'000'000) * 1'000'000 / 60);
    workspace_.scheduler().sleepBlocking(std::min(replyDelay, timeout));
    return replyDelay > timeout ? kErrAETimeout : kNoErr;
}

void SimAppleEvents::disposeDesc(AEDesc& desc) {
    mainThread_.check();
    descriptors_.erase(desc.handle);
    desc = AEDesc{};
}

AEDesc SimAppleEvents::make(Descriptor descriptor) {
    const auto handle = nextHandle_++;
    descriptors_.emplace(handle, std::move(descriptor));
    return AEDesc{handle};
}

}  // namespace tavelin::sim
