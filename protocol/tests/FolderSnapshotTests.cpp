#include <gtest/gtest.h>

#include "protocol/FolderOpenRequest.h"
#include "protocol/FolderSnapshot.h"
#include "protocol/JsonCoding.h"
#include "protocol/tests/RecordFixtures.h"

namespace tavelin {
namespace {

FolderSnapshot downloads() {
    return FolderSnapshot{
        .folderID = ItemID("ax-5-folder-/Users/me/Downloads"),
        .parentItemID = ItemID("ax-5-folder-/Users/me/Downloads"),
        .title = "Downloads",
        .path = "/Users/me/Downloads",
        .displayMode = FolderDisplayMode::grid,
        .revision = -7,
        .children = {FolderChild{.childID = ChildID("Report.pdf"),
                                 .kind = FolderChildKind::file,
                                 .title = "Report",
                                 .path = "/Users/me/Downloads/Report.pdf",
                                 .iconToken = IconToken("0123456789abcdef"),
                                 .childIndex = 0,
                                 .isReadable = true,
                                 .modifiedAt = testing::wholeSeconds(1'600'000'000)},
                     FolderChild{.childID = ChildID("Sub"), .kind = FolderChildKind::folder, .title = "Sub",
                                 .childIndex = 1}},
        .isReadable = true};
}

TEST(FolderSnapshot, RoundTripsAndLeavesAbsentFieldsOut) {
    const auto folder = downloads();
    const auto text = *encodeJSON(folder);
    EXPECT_NE(text.find(R"({"childID":"Sub","kind":"folder","title":"Sub","childIndex":1,"isReadable":true})"),
              std::string::npos);
    EXPECT_NE(text.find(R"("modifiedAt":"2020-09-13T12:26:40Z")"), std::string::npos);
    EXPECT_EQ(text.find("errorReason"), std::string::npos);
    EXPECT_EQ(decodeJSON<FolderSnapshot>(text), folder);
}

TEST(FolderSnapshot, FailedListingIsAnOrdinarySnapshot) {
    const auto decoded = decodeJSON<FolderSnapshot>(
        R"({"folderID":"f","parentItemID":"f","title":"Secret","displayMode":"automatic","revision":1,)"
        R"("children":[],"isReadable":false,"errorReason":"permission"})");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_FALSE(decoded->isReadable);
    EXPECT_EQ(decoded->errorReason, "permission");
    EXPECT_FALSE(decoded->prefersListLayout());
}

TEST(FolderSnapshot, ListLayoutOnlyForListMode) {
    auto folder = downloads();
    for (const auto mode : {FolderDisplayMode::fan, FolderDisplayMode::grid, FolderDisplayMode::automatic,
                            FolderDisplayMode::unknown}) {
        folder.displayMode = mode;
        EXPECT_FALSE(folder.prefersListLayout());
    }
    folder.displayMode = FolderDisplayMode::list;
    EXPECT_TRUE(folder.prefersListLayout());
}

TEST(FolderSnapshot, UnknownChildKindFailsTheWholeSnapshot) {
    auto text = *encodeJSON(downloads());
    text.replace(text.find(R"("kind":"folder")"), 15, R"("kind":"alias")");
    const auto decoded = decodeJSON<FolderSnapshot>(text);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().message, R"(FolderSnapshot.children[1].kind: no case "alias")");
}

TEST(FolderOpenRequest, OnlyTheItemIsRequired) {
    const FolderOpenRequest bare{.itemID = ItemID("ax-5-folder-/Users/me/Downloads")};
    EXPECT_EQ(encodeJSON(bare), R"({"itemID":"ax-5-folder-\/Users\/me\/Downloads"})");
    EXPECT_EQ(decodeJSON<FolderOpenRequest>(R"({"itemID":"ax-5-folder-/Users/me/Downloads","relativePath":null})"), bare);

    const FolderOpenRequest nested{.itemID = ItemID("d"), .relativePath = "Sub/Deeper", .userInitiated = false};
    EXPECT_EQ(decodeJSON<FolderOpenRequest>(*encodeJSON(nested)), nested);
    EXPECT_EQ(decodeJSON<FolderOpenRequest>(R"({"relativePath":"x"})").error().message,
              R"(FolderOpenRequest: missing required key "itemID")");
    EXPECT_EQ(decodeJSON<FolderOpenRequest>(R"({"itemID":"d","userInitiated":"yes"})").error().message,
              "FolderOpenRequest.userInitiated: expected a Boolean, found a string");
}

}  // namespace
}  // namespace tavelin
