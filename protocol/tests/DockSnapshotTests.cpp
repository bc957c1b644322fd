#include <gtest/gtest.h>

#include "protocol/DockSnapshotApplier.h"
#include "protocol/JsonCoding.h"
#include "protocol/tests/RecordFixtures.h"

namespace tavelin {
namespace {

using testing::appItem;
using testing::snapshotOf;
using testing::wholeSeconds;

const Timestamp kNow = wholeSeconds(1'800'000'000);

std::vector<std::string> idsOf(const DockSnapshot& snapshot) {
    std::vector<std::string> ids;
    for (const auto& item : snapshot.items) ids.push_back(item.itemID.rawValue());
    return ids;
}

std::vector<ItemID> itemIDs(std::initializer_list<const char*> texts) {
    std::vector<ItemID> ids;
    for (const auto* text : texts) ids.emplace_back(text);
    return ids;
}

DockDiff diffFrom(const DockSnapshot& base) {
    return DockDiff{.fromGeneration = base.dockGeneration, .toGeneration = base.dockGeneration + 1, .eventSequence = 99};
}

TEST(DockSnapshot, RoundTripsWithWholeSecondTimes) {
    auto snapshot = snapshotOf({appItem("A", 0), appItem("B", 2)});
    const auto text = encodeJSON(snapshot);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find(R"("generatedAt":"2023-11-14T22:13:20Z")"), std::string::npos);
    EXPECT_EQ(decodeJSON<DockSnapshot>(*text), snapshot);
}

TEST(DockSnapshot, AnyBadItemFailsTheSnapshotWithItsPath) {
    auto text = *encodeJSON(snapshotOf({appItem("A"), appItem("B"), appItem("C"), appItem("D")}));
    const auto fourth = text.find(R"("kind":"app")", text.find(R"("itemID":"D")"));
    text.replace(fourth, 12, R"("kind":"application")");
    const auto decoded = decodeJSON<DockSnapshot>(text);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().message, R"(DockSnapshot.items[3].kind: no case "application")");
}

TEST(DockDiff, AbsentSeparatorsDifferFromAnEmptyList) {
    DockDiff diff{.fromGeneration = 1, .toGeneration = 2, .eventSequence = 3, .removes = itemIDs({"A"})};
    const auto absent = *encodeJSON(diff);
    EXPECT_EQ(absent, R"({"fromGeneration":1,"toGeneration":2,"eventSequence":3,"upserts":[],"removes":["A"],"reorders":[]})");
    EXPECT_EQ(decodeJSON<DockDiff>(absent), diff);

    diff.separators.emplace();
    const auto empty = *encodeJSON(diff);
    EXPECT_NE(empty.find(R"("separators":[])"), std::string::npos);
    EXPECT_EQ(decodeJSON<DockDiff>(empty), diff);
    EXPECT_NE(decodeJSON<DockDiff>(empty), decodeJSON<DockDiff>(absent));
}

TEST(DockSnapshotApplier, DiffForAnotherGenerationDoesNotFit) {
    const auto base = snapshotOf({appItem("A")});
    auto diff = diffFrom(base);
    diff.fromGeneration -= 1;
    EXPECT_FALSE(DockSnapshotApplier::apply(diff, base, kNow).has_value());
    EXPECT_EQ(base.applying(diff, kNow), base);
}

TEST(DockSnapshotApplier, EmptyDiffKeepsItemsAndStampsTheResult) {
    const auto base = snapshotOf({appItem("A"), appItem("B")});
    const auto result = DockSnapshotApplier::apply(diffFrom(base), base, kNow);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->items, base.items);
    EXPECT_EQ(result->separators, base.separators);
    EXPECT_EQ(result->dockGeneration, base.dockGeneration + 1);
    EXPECT_EQ(result->eventSequence, 99);
    EXPECT_EQ(result->generatedAt, kNow);
    EXPECT_EQ(result->runningSort, RunningAppsSort::launchOrder);
}

TEST(DockSnapshotApplier, RemovesUpsertsAndReorders) {
    auto changedB = appItem("B");
    changedB.title = "Changed";
    const struct {
        std::vector<const char*> base;
        std::vector<DockItem> upserts;
        std::vector<ItemID> removes;
        std::vector<ItemID> reorders;
        std::vector<std::string> expected;
    } cases[] = {
        {{"A", "B", "C"}, {}, itemIDs({"A"}), {}, {"B", "C"}},
        {{"A", "B", "C"}, {changedB}, {}, {}, {"A", "B", "C"}},
        {{"A", "B", "C"}, {appItem("D")}, {}, {}, {"A", "B", "C", "D"}},
        {{"A", "B"}, {appItem("A")}, itemIDs({"A"}), {}, {"B", "A"}},
        {{"A", "B", "C"}, {}, itemIDs({"X"}), itemIDs({"C", "X", "A"}), {"C", "A", "B"}},
        // A reorder that names an ID twice places it once.
        {{"A", "B", "C"}, {}, {}, itemIDs({"B", "B", "A"}), {"B", "A", "C"}},
        // A broken base with a repeated ID keeps its first occurrence.
        {{"A", "B", "A"}, {}, {}, itemIDs({"B"}), {"B", "A"}},
        // IDs match by their canonical form: a composed é and e with a combining accent are one ID.
        {{"A", "caf\xC3\xA9"}, {}, itemIDs({"cafe\xCC\x81"}), {}, {"A"}},
        {{"caf\xC3\xA9", "B"}, {appItem("cafe\xCC\x81")}, {}, {}, {"cafe\xCC\x81", "B"}},
        {{"A", "caf\xC3\xA9"}, {}, {}, itemIDs({"cafe\xCC\x81"}), {"caf\xC3\xA9", "A"}},
    };
    for (const auto& c : cases) {
        std::vector<DockItem> items;
        for (std::size_t i = 0; i < c.base.size(); ++i) items.push_back(appItem(c.base[i], static_cast<std::int64_t>(i)));
        const auto base = snapshotOf(items);
        auto diff = diffFrom(base);
        diff.upserts = c.upserts;
        diff.removes = c.removes;
        diff.reorders = c.reorders;
        const auto result = DockSnapshotApplier::apply(diff, base, kNow);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(idsOf(*result), c.expected);
    }
}

TEST(DockSnapshotApplier, UpsertKeepsPlaceAndSecondUpsertOfANewIDReplacesTheFirst) {
    const auto base = snapshotOf({appItem("A"), appItem("B"), appItem("C")});
    auto diff = diffFrom(base);
    auto changedB = appItem("B");
    changedB.isRunning = true;
    auto firstD = appItem("D");
    auto secondD = appItem("D");
    secondD.title = "second";
    diff.upserts = {changedB, firstD, secondD};
    const auto result = *DockSnapshotApplier::apply(diff, base, kNow);
    EXPECT_EQ(idsOf(result), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_TRUE(result.items[1].isRunning);
    EXPECT_EQ(result.items[3].title, "second");
}

TEST(DockSnapshotApplier, SeparatorsReplacedOnlyWhenPresent) {
    const auto base = snapshotOf({appItem("A")});
    auto diff = diffFrom(base);
    EXPECT_EQ(DockSnapshotApplier::apply(diff, base, kNow)->separators, base.separators);
    diff.separators.emplace();
    EXPECT_TRUE(DockSnapshotApplier::apply(diff, base, kNow)->separators.empty());
}

}  // namespace
}  // namespace tavelin
