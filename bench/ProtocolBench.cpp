// Decoding and encoding the messages a device receives most, beside simdjson's bare parse of the same
// bytes (the floor for any typed decoder).

#include <benchmark/benchmark.h>

#include <random>
#include <tuple>

#include "protocol/AnyEnvelope.h"
#include "protocol/MacEnvelope.h"

namespace tavelin {
namespace {

DockSnapshot snapshotOf(int itemCount) {
    DockSnapshot snapshot{.dockGeneration = 42, .eventSequence = 57, .generatedAt = currentTimestamp()};
    for (int i = 0; i < itemCount; ++i) {
        const auto name = "Application " + std::to_string(i);
        snapshot.items.push_back(
            DockItem{.itemID = ItemID("ax-" + std::to_string(i) + "-com.example.app" + std::to_string(i)),
                     .region = i < 20 ? DockRegion::fixedApps : DockRegion::runningApps,
                     .kind = DockItemKind::app,
                     .bundleID = "com.example.app" + std::to_string(i),
                     .path = "/Applications/" + name + ".app",
                     .title = name,
                     .iconToken = IconToken("0123456789abcdef"),
                     .isDockPinned = i < 20,
                     .dockIndex = i,
                     .isRunning = i % 2 == 0});
    }
    snapshot.separators.push_back(
        DockSeparator{"ax-separator-20", DockRegion::fixedApps, 20, SeparatorKind::separator});
    return snapshot;
}

// Sixty icons of about 4 KB of Base64 each, from fixed pseudo-random bytes.
std::vector<IconData> sixtyIcons() {
    std::mt19937 random(7);
    std::vector<IconData> icons;
    for (int i = 0; i < 60; ++i) {
        Bytes png;
        png.data.resize(3000);
        for (auto& byte : png.data) byte = static_cast<std::uint8_t>(random());
        icons.push_back(
            IconData{IconToken("0123456789abcd" + std::to_string(10 + i)), base64Encode(png), 128});
    }
    return icons;
}

const auto kSnapshotEnvelope = macMessage<MessageType::dockSnapshot>(snapshotOf(60), SessionID::generate());
const auto kLargeSnapshotEnvelope = macMessage<MessageType::dockSnapshot>(snapshotOf(500), SessionID::generate());
const auto kIconEnvelope = macMessage<MessageType::iconData>(sixtyIcons(), SessionID::generate());
const std::string kSnapshotText = *encodeJSON(kSnapshotEnvelope);
const std::string kLargeSnapshotText = *encodeJSON(kLargeSnapshotEnvelope);
const std::string kIconText = *encodeJSON(kIconEnvelope);

void bareParse(benchmark::State& state, const std::string& text) {
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element element;
        benchmark::DoNotOptimize(parser.parse(text).get(element));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

template <class T>
void decode(benchmark::State& state, const std::string& text) {
    for (auto _ : state) benchmark::DoNotOptimize(decodeJSON<T>(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The receiver's road: the header with the payload as a tree, then the payload as its record.
template <class Payload>
void decodeThroughAnyEnvelope(benchmark::State& state, const std::string& text) {
    for (auto _ : state) benchmark::DoNotOptimize(decodeJSON<AnyEnvelope>(text)->decode<Payload>());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

template <class T>
void encode(benchmark::State& state, const T& value, const std::string& text) {
    for (auto _ : state) benchmark::DoNotOptimize(encodeJSON(value));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

const bool kRegistered = [] {
    using IconList = std::vector<IconData>;
    for (const auto& [name, envelope, text] :
         {std::tuple{"DockSnapshotEnvelope60", &kSnapshotEnvelope, &kSnapshotText},
          std::tuple{"DockSnapshotEnvelope500", &kLargeSnapshotEnvelope, &kLargeSnapshotText}}) {
        const std::string prefix = name;
        benchmark::RegisterBenchmark((prefix + "/BareParse").c_str(), bareParse, *text);
        benchmark::RegisterBenchmark((prefix + "/Decode").c_str(), decode<Envelope<DockSnapshot>>, *text);
        benchmark::RegisterBenchmark((prefix + "/DecodeThroughAnyEnvelope").c_str(),
                                     decodeThroughAnyEnvelope<DockSnapshot>, *text);
        benchmark::RegisterBenchmark((prefix + "/Encode").c_str(), encode<Envelope<DockSnapshot>>, *envelope,
                                     *text);
    }
    benchmark::RegisterBenchmark("IconDataEnvelope/BareParse", bareParse, kIconText);
    benchmark::RegisterBenchmark("IconDataEnvelope/Decode", decode<Envelope<IconList>>, kIconText);
    benchmark::RegisterBenchmark("IconDataEnvelope/DecodeThroughAnyEnvelope",
                                 decodeThroughAnyEnvelope<IconList>, kIconText);
    benchmark::RegisterBenchmark("IconDataEnvelope/Encode", encode<Envelope<IconList>>, kIconEnvelope,
                                 kIconText);
    return true;
}();

}  // namespace
}  // namespace tavelin
