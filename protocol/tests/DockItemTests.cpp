#include <gtest/gtest.h>

#include "protocol/DockItem.h"
#include "protocol/DockSeparator.h"
#include "protocol/JsonCoding.h"
#include "protocol/tests/RecordFixtures.h"

namespace tavelin {
namespace {

using testing::appItem;

constexpr std::string_view kMinimalItem =
    R"({"itemID":"x","region":"dockOthers","kind":"url","title":"Site","isDockPinned":true,"dockIndex":3,)"
    R"("isRunning":true,"isActive":false,"isHidden":false,"activationPolicy":"unknown","isAvailable":true})";

std::string withKey(std::string_view base, std::string_view member) {
    std::string text(base);
    text.insert(text.size() - 1, "," + std::string(member));
    return text;
}

TEST(DockItem, WritesEveryKeyInOrderAndOptionalsOnlyWhenPresent) {
    auto item = appItem("Notes", 2);
    item.folderArrangement = FolderArrangement::dateAdded;
    EXPECT_EQ(*encodeJSON(item),
              R"({"itemID":"Notes","region":"fixedApps","kind":"app","bundleID":"com.example.Notes",)"
              R"("path":"\/Applications\/Notes.app","title":"Notes","iconToken":"00112233aabbccdd",)"
              R"("isDockPinned":true,"dockIndex":2,"isRunning":false,"isActive":false,"isHidden":false,)"
              R"("activationPolicy":"regular","folderArrangement":"dateAdded","isAvailable":true,)"
              R"("needsAttention":false,"isRecentAppsTile":false})");

    item.bundleID.reset();
    item.path.reset();
    item.iconToken.reset();
    const auto text = *encodeJSON(item);
    for (const auto* key : {"bundleID", "path", "iconToken", "folderDisplayMode", "null"}) {
        EXPECT_EQ(text.find(key), std::string::npos) << key;
    }
    EXPECT_EQ(decodeJSON<DockItem>(text), item);
}

TEST(DockItem, AttentionAndRecentsDefaultToFalseWhenMissingOrNull) {
    const auto missing = decodeJSON<DockItem>(kMinimalItem);
    const auto nulls = decodeJSON<DockItem>(withKey(kMinimalItem, R"("needsAttention":null,"isRecentAppsTile":null)"));
    ASSERT_TRUE(missing && nulls);
    EXPECT_EQ(*missing, *nulls);
    EXPECT_FALSE(missing->needsAttention);
    EXPECT_FALSE(missing->isRecentAppsTile);
    const auto text = *encodeJSON(*missing);
    EXPECT_NE(text.find(R"("needsAttention":false,"isRecentAppsTile":false)"), std::string::npos);

    const auto set =
        decodeJSON<DockItem>(withKey(kMinimalItem, R"("needsAttention":true,"isRecentAppsTile":true)"));
    EXPECT_TRUE(set->needsAttention && set->isRecentAppsTile);
}

TEST(DockItem, RejectsUnknownCasesMissingKeysAndWrongTypes) {
    const struct {
        std::string text;
        std::string_view error;
    } cases[] = {
        {R"({"itemID":"x"})", R"(DockItem: missing required key "region")"},
        {std::string(kMinimalItem).replace(kMinimalItem.find("dockOthers"), 10, "dock"),
         R"(DockItem.region: no case "dock")"},
        {std::string(kMinimalItem).replace(kMinimalItem.find("\"url\""), 5, "\"URL\""), R"(DockItem.kind: no case "URL")"},
        {withKey(kMinimalItem, R"("folderDisplayMode":"stack")"), R"(DockItem.folderDisplayMode: no case "stack")"},
        {withKey(kMinimalItem, R"("iconToken":7)"), "DockItem.iconToken: expected a string, found a number"},
        {withKey(kMinimalItem, R"("needsAttention":"yes")"), "DockItem.needsAttention: expected a Boolean, found a string"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<DockItem>(c.text);
        ASSERT_FALSE(decoded.has_value()) << c.text;
        EXPECT_EQ(decoded.error().message, c.error);
    }
}

TEST(DockItem, RunningIndicatorOnlyForRunningApplications) {
    auto item = appItem("A");
    item.isRunning = true;
    EXPECT_TRUE(item.showsRunningIndicator());
    for (const auto kind : {DockItemKind::folder, DockItemKind::url, DockItemKind::trash, DockItemKind::file}) {
        item.kind = kind;
        EXPECT_FALSE(item.showsRunningIndicator());
    }
    item.kind = DockItemKind::app;
    item.isRunning = false;
    EXPECT_FALSE(item.showsRunningIndicator());
}

TEST(DockEnums, TextsInDeclarationOrder) {
    EXPECT_EQ(toString(FolderArrangement::dockDefault), "dockDefault");
    EXPECT_EQ(toString(ActivationPolicy::prohibited), "prohibited");
    EXPECT_EQ(enumFromString<RunningAppsSort>("launchOrder"), RunningAppsSort::launchOrder);
    EXPECT_EQ(enumFromString<FolderDisplayMode>("Fan"), std::nullopt);
    EXPECT_EQ(enumFromString<DockItemKind>("unknown"), DockItemKind::unknown);
}

TEST(DockSeparator, AllKeysRequired) {
    const DockSeparator separator{"ax-separator-4", DockRegion::runningApps, 4, SeparatorKind::smallSpacer};
    const auto text = *encodeJSON(separator);
    EXPECT_EQ(text, R"({"separatorID":"ax-separator-4","region":"runningApps","dockIndex":4,"kind":"smallSpacer"})");
    EXPECT_EQ(decodeJSON<DockSeparator>(text), separator);
    EXPECT_EQ(decodeJSON<DockSeparator>(R"({"separatorID":"s","region":"fixedApps","dockIndex":1})").error().message,
              R"(DockSeparator: missing required key "kind")");
}

}  // namespace
}  // namespace tavelin
