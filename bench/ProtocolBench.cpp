// Decoding and encoding the records a device receives most, beside simdjson's bare parse of the same
// bytes (the floor for any typed decoder).

#include <benchmark/benchmark.h>

#include "protocol/DockSnapshot.h"

namespace tavelin {
namespace {

DockSnapshot snapshotOfSixtyItems() {
    DockSnapshot snapshot{.dockGeneration = 42, .eventSequence = 57, .generatedAt = currentTimestamp()};
    for (int i = 0; i < 60; ++i) {
        const auto name = "Application " + std::to_string(i);
        snapshot.items.push_back(DockItem{.itemID = ItemID("ax-" + std::to_string(i) + "-com.example.app" + std::to_string(i)),
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
    snapshot.separators.push_back(DockSeparator{"ax-separator-20", DockRegion::fixedApps, 20, SeparatorKind::separator});
    return snapshot;
}

const std::string& snapshotText() {
    static const std::string text = *encodeJSON(snapshotOfSixtyItems());
    return text;
}

void BM_SnapshotBareParse(benchmark::State& state) {
    simdjson::dom::parser parser;
    const auto& text = snapshotText();
    for (auto _ : state) {
        simdjson::dom::element element;
        benchmark::DoNotOptimize(parser.parse(text).get(element));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SnapshotBareParse);

void BM_SnapshotDecode(benchmark::State& state) {
    const auto& text = snapshotText();
    for (auto _ : state) benchmark::DoNotOptimize(decodeJSON<DockSnapshot>(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SnapshotDecode);

void BM_SnapshotEncode(benchmark::State& state) {
    const auto snapshot = snapshotOfSixtyItems();
    for (auto _ : state) benchmark::DoNotOptimize(encodeJSON(snapshot));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * snapshotText().size()));
}
BENCHMARK(BM_SnapshotEncode);

}  // namespace
}  // namespace tavelin
