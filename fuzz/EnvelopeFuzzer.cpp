// Feeds arbitrary bytes to the envelope decoder and to every typed decoder. Whatever decodes must encode
// and decode again to an equal value; anything else (a crash, a sanitizer report, an encoding that
// fails or reads back differently) is a finding.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "protocol/AnyCodablePayload.h"
#include "protocol/AnyEnvelope.h"
#include "protocol/MessagePayloads.h"

namespace tavelin {
namespace {

[[noreturn]] void finding(std::string_view what, std::string_view record) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(record.size()), record.data(),
                 static_cast<int>(what.size()), what.data());
    std::abort();
}

template <class T>
void checkRoundTrip(const T& value) {
    const auto text = encodeJSON(value);
    if (!text) finding("a decoded value does not encode: " + text.error().message, recordName<T>);
    const auto again = decodeJSON<T>(*text);
    if (!again) finding("its encoding does not decode: " + again.error().message, recordName<T>);
    if (*again != value) finding("its encoding decodes to another value", recordName<T>);
}

// Decodes `element` as T (from the fuzzer's own parser, so that the round trip may reuse the codec's).
template <class T>
void decodeAndRoundTrip(simdjson::dom::element element) {
    if (const auto value = decodeElement<T>(element)) checkRoundTrip(*value);
}

// The receiver's road: the header, then the payload as its message type's record, which must read as it
// does straight from the bytes (repeated keys included). `element` is the fuzzer's own parse of them, if
// it parses without widening a big integer.
void checkEnvelope(std::string_view text, const simdjson::dom::element* element) {
    const auto any = decodeJSON<AnyEnvelope>(text);
    if (!any) return;
    checkRoundTrip(*any);
    const auto messageType = any->knownMessageType();
    if (!messageType) return;
    visitMessageType(*messageType, [&]<MessageType type>() {
        using Payload = MessagePayloadType<type>;
        auto payload = any->decode<Payload>();
        if (element) {
            const auto direct = decodeElement<Envelope<Payload>>(*element);
            if (direct && (!payload || direct->payload != *payload)) {
                finding("the payload reads otherwise through AnyEnvelope", recordName<Payload>);
            }
        }
        if (!payload) return;
        checkRoundTrip(*payload);
        checkRoundTrip(Envelope<Payload>{.protocolVersion = any->protocolVersion,
                                         .messageType = type,
                                         .requestID = any->requestID,
                                         .sessionID = any->sessionID,
                                         .revision = any->revision,
                                         .eventSequence = any->eventSequence,
                                         .payload = std::move(*payload)});
    });
}

}  // namespace
}  // namespace tavelin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavelin;
    static simdjson::dom::parser parser;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    simdjson::dom::element element;
    if (parser.parse(text.data(), text.size()).get(element)) {
        checkEnvelope(text, nullptr);
        return 0;
    }
    checkEnvelope(text, &element);
    // Every typed decoder straight on the bytes, bare and inside an envelope.
    for (std::size_t i = 0; i < messageTypeCount; ++i) {
        visitMessageType(static_cast<MessageType>(i), [&]<MessageType type>() {
            decodeAndRoundTrip<MessagePayloadType<type>>(element);
            decodeAndRoundTrip<Envelope<MessagePayloadType<type>>>(element);
        });
    }
    decodeAndRoundTrip<AnyCodablePayload>(element);
    decodeAndRoundTrip<JSONValue>(element);
    return 0;
}
