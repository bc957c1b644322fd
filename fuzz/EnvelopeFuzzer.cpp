// Feeds arbitrary bytes to the envelope decoder and to every typed decoder. Whatever decodes must encode
// and decode again to an equal value; anything else (a crash, a sanitizer report, an encoding that
// fails or reads back differently) is a finding.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
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

// Whether an object at or below `element` repeats a key. The payload's tree keeps the first of them,
// while a record read straight from the text may meet another.
bool repeatsAKey(simdjson::dom::element element) {
    simdjson::dom::array array;
    if (!element.get_array().get(array)) {
        for (const auto child : array) {
            if (repeatsAKey(child)) return true;
        }
    }
    simdjson::dom::object object;
    if (!element.get_object().get(object)) {
        std::set<std::string_view> keys;
        for (const auto field : object) {
            if (!keys.insert(field.key).second || repeatsAKey(field.value)) return true;
        }
    }
    return false;
}

// The receiver's road: the header, then the payload as its message type's record, which must read as it
// does straight from the bytes.
void checkEnvelope(simdjson::dom::element element) {
    const auto any = decodeElement<AnyEnvelope>(element);
    if (!any) return;
    checkRoundTrip(*any);
    const auto messageType = any->knownMessageType();
    if (!messageType) return;
    visitMessageType(*messageType, [&]<MessageType type>() {
        using Payload = MessagePayloadType<type>;
        auto payload = any->decode<Payload>();
        simdjson::dom::element original;
        if (!element["payload"].get(original) && !original.is_null() && !repeatsAKey(element)) {
            const auto direct = decodeElement<Payload>(original);
            if (direct.has_value() != payload.has_value() || (direct && *direct != *payload)) {
                finding("the payload reads otherwise through the envelope's tree", recordName<Payload>);
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
    simdjson::dom::element element;
    if (parser.parse(reinterpret_cast<const char*>(data), size).get(element)) return 0;

    checkEnvelope(element);
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
