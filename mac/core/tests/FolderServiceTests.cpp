#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "mac/core/FolderService.h"
#include "mac/core/tests/FolderWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FolderServiceTest : public FolderWorld {
  protected:
    FolderServiceTest() {
        // Every kind of entry a Dock folder holds, each with its own modification time.
        makeFile("Stacks/Report.pdf", "%PDF", at(50));
        makeFile("Stacks/Photo.JPG", "jpeg", at(10));
        makeFile("Stacks/Link.WEBLOC", "<plist/>", at(40));
        makeFolder("Stacks/X.webloc", at(20));
        makeFile("Stacks/Tool.app/Contents/Info.plist", "<plist/>");
        setModified(home_ / "Stacks/Tool.app", at(70));
        makeFolder("Stacks/Plugin.bundle/Contents", at(5));
        setModified(home_ / "Stacks/Plugin.bundle", at(30));
        makeFolder("Stacks/Archive.2", at(60));
        makeFile("Stacks/.hidden", "secret");
        makeFile("Stacks/Sub/a.txt", "a", at(1));
        makeFolder("Stacks/Sub/Deeper");
        setModified(home_ / "Stacks/Sub", at(80));
        tile = folderItem("ax-3-folder-stacks", home_ / "Stacks", 3);
        settings().folderChildrenSort = FolderArrangement::name;
    }

    FolderService service() { return FolderService(files(), scheduler_.clock()); }
    FolderSnapshot list(const DockItem& item, std::optional<std::string> root = std::nullopt) {
        return service().snapshot(item, settings(), icons(), root ? root : item.path);
    }
    static std::vector<std::string> titles(const FolderSnapshot& snapshot) {
        std::vector<std::string> titles;
        for (const auto& child : snapshot.children) titles.push_back(child.title);
        return titles;
    }
    // The order in which the file system lists the tile's folder.
    std::vector<std::string> listingOrder() {
        std::vector<std::string> names;
        const auto paths = files().contentsOfDirectory(*tile.path, HiddenFiles::skip);
        for (const auto& path : *paths) {
            names.push_back(path.filename().string());
        }
        return names;
    }

    DockItem tile;
};

TEST_F(FolderServiceTest, ListsEveryVisibleEntryWithItsKindTitleIdentifierAndTime) {
    scheduler_.advance(1500ms);
    const auto snapshot = list(tile);

    EXPECT_EQ(snapshot.folderID, tile.itemID);
    EXPECT_EQ(snapshot.parentItemID, tile.itemID);
    EXPECT_EQ(snapshot.title, "Stacks");
    EXPECT_EQ(snapshot.path, tile.path);
    EXPECT_EQ(snapshot.displayMode, FolderDisplayMode::automatic);
    EXPECT_EQ(snapshot.revision, 1736154001);  // 2025-01-06 09:00:01.5 UTC, truncated
    EXPECT_TRUE(snapshot.isReadable);
    EXPECT_EQ(snapshot.errorReason, std::nullopt);

    struct Expected {
        std::string childID;
        FolderChildKind kind;
        std::string title;
        Timestamp modified;
    };
    const std::vector<Expected> expected = {
        {"Archive.2", FolderChildKind::folder, "Archive", at(60)},
        {"Link.WEBLOC", FolderChildKind::url, "Link", at(40)},
        {"Photo.JPG", FolderChildKind::file, "Photo", at(10)},
        {"Plugin.bundle", FolderChildKind::folder, "Plugin", at(30)},
        {"Report.pdf", FolderChildKind::file, "Report", at(50)},
        {"Sub", FolderChildKind::folder, "Sub", at(80)},
        {"Tool.app", FolderChildKind::app, "Tool", at(70)},
        {"X.webloc", FolderChildKind::url, "X", at(20)},
    };
    ASSERT_EQ(snapshot.children.size(), expected.size()) << testing::PrintToString(snapshot);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& child = snapshot.children[i];
        SCOPED_TRACE(expected[i].childID);
        EXPECT_EQ(child.childID, ChildID(expected[i].childID));
        EXPECT_EQ(child.kind, expected[i].kind);
        EXPECT_EQ(child.title, expected[i].title);
        EXPECT_EQ(child.path, (home_ / "Stacks" / expected[i].childID).string());
        EXPECT_EQ(child.iconToken, icons().token(child.path));
        EXPECT_EQ(child.childIndex, static_cast<std::int64_t>(i));
        EXPECT_TRUE(child.isReadable);
        EXPECT_EQ(child.modifiedAt, expected[i].modified);
    }
}

// A time the wire cannot carry costs only that child's time, not the whole listing.
TEST_F(FolderServiceTest, AModificationTimeOutsideTheYears1To9999IsLeftOut) {
    using namespace std::chrono;
    files().setModificationDate(home_ / "Stacks/Photo.JPG", Timestamp(sys_days(year(0) / December / 31)));
    files().setModificationDate(home_ / "Stacks/Report.pdf", Timestamp(sys_days(year(10000) / January / 1)));
    const auto snapshot = list(tile);
    ASSERT_TRUE(encodeJSON(snapshot).has_value());
    for (const auto& child : snapshot.children) {
        const bool outside = child.title == "Photo" || child.title == "Report";
        EXPECT_EQ(child.modifiedAt.has_value(), !outside) << child.title;
    }
}

TEST_F(FolderServiceTest, EveryFailureIsASnapshotWithItsReason) {
    const auto expectFailure = [&](const DockItem& item, const std::string& reason) {
        const auto snapshot = list(item);
        EXPECT_FALSE(snapshot.isReadable) << reason;
        EXPECT_EQ(snapshot.errorReason, reason);
        EXPECT_EQ(snapshot.revision, 1) << reason;
        EXPECT_THAT(snapshot.children, IsEmpty());
        EXPECT_EQ(snapshot.path, item.path);
        EXPECT_EQ(snapshot.folderID, item.itemID);
    };

    auto file = tile;
    file.kind = DockItemKind::file;
    expectFailure(file, "not a folder");
    auto noPath = tile;
    noPath.path.reset();
    expectFailure(noPath, "not a folder");
    expectFailure(folderItem("plain-file", home_ / "Stacks/Report.pdf"), "missing");
    expectFailure(folderItem("gone", home_ / "Nowhere"), "missing");

    const auto refuseWith = [&](FileSystemError error, const std::string& reason) {
        files().refuse(sim::SimFileSystem::Operation::list, *tile.path, std::move(error));
        expectFailure(tile, reason);
    };
    refuseWith(FileSystemError::posix(EACCES, *tile.path), "permission");
    refuseWith(FileSystemError::posix(EPERM, *tile.path), "permission");
    refuseWith({FileErrorDomain::cocoa, kCocoaFileReadNoPermission, "no permission"}, "permission");
    refuseWith(FileSystemError::posix(EIO, *tile.path), "unreadable");
    refuseWith({FileErrorDomain::cocoa, 256, "unknown"}, "unreadable");
}

TEST_F(FolderServiceTest, AnEntryWhoseValuesCannotBeReadIsKeptAndJudgedByItsExtension) {
    for (const char* name : {"Tool.app", "Sub", "Link.WEBLOC", "Report.pdf"}) {
        files().refuse(sim::SimFileSystem::Operation::readValues, home_ / "Stacks" / name,
                       FileSystemError::posix(EACCES, name));
    }
    const auto snapshot = list(tile);
    ASSERT_EQ(snapshot.children.size(), 8u);
    const auto child = [&](const std::string& id) {
        return *std::ranges::find(snapshot.children, ChildID(id), &FolderChild::childID);
    };
    EXPECT_EQ(child("Tool.app").kind, FolderChildKind::app);
    EXPECT_EQ(child("Sub").kind, FolderChildKind::file);
    EXPECT_EQ(child("Link.WEBLOC").kind, FolderChildKind::url);
    EXPECT_EQ(child("Report.pdf").kind, FolderChildKind::file);
    EXPECT_EQ(child("Report.pdf").modifiedAt, std::nullopt);
    EXPECT_TRUE(child("Report.pdf").isReadable);
}

TEST_F(FolderServiceTest, KindRulesApplyInOrder) {
    const auto kind = [](const char* name, std::optional<FileResourceValues> values) {
        return FolderService::folderChildKind(name, values);
    };
    const FileResourceValues directory{.isDirectory = true, .isApplication = false, .isPackage = false};
    auto package = directory;
    package.isPackage = true;
    auto application = directory;
    application.isApplication = true;
    const FileResourceValues plainFile{.isDirectory = false, .isApplication = false, .isPackage = false};
    auto executable = plainFile;
    executable.contentType = ContentType{"com.apple.application-file", true};

    EXPECT_EQ(kind("/f/Bookmark.inetloc", directory), FolderChildKind::url);
    EXPECT_EQ(kind("/f/Odd.webloc", application), FolderChildKind::url);
    EXPECT_EQ(kind("/f/Named", application), FolderChildKind::app);
    EXPECT_EQ(kind("/f/Old.APP", package), FolderChildKind::app);
    EXPECT_EQ(kind("/f/Runner", executable), FolderChildKind::app);
    EXPECT_EQ(kind("/f/Plugin.bundle", package), FolderChildKind::folder);
    EXPECT_EQ(kind("/f/Folder.app", directory), FolderChildKind::folder);  // a folder unless it is a package
    EXPECT_EQ(kind("/f/Tool.app", std::nullopt), FolderChildKind::app);
    EXPECT_EQ(kind("/f/notes.txt", plainFile), FolderChildKind::file);
    EXPECT_EQ(kind("/f/Sub", std::nullopt), FolderChildKind::file);
}

TEST_F(FolderServiceTest, DateOrdersRunEachWayWithAbsentDatesAsTheDistantPast) {
    files().refuse(sim::SimFileSystem::Operation::readValues, home_ / "Stacks/Photo.JPG",
                   FileSystemError::posix(EIO, "Photo.JPG"));

    settings().folderChildrenSort = FolderArrangement::dateModified;
    EXPECT_THAT(titles(list(tile)),
                ElementsAre("Sub", "Tool", "Archive", "Report", "Link", "Plugin", "X", "Photo"));
    settings().folderChildrenSort = FolderArrangement::dateCreated;  // by the modification date too
    EXPECT_THAT(titles(list(tile)),
                ElementsAre("Sub", "Tool", "Archive", "Report", "Link", "Plugin", "X", "Photo"));
    settings().folderChildrenSort = FolderArrangement::dateAdded;
    EXPECT_THAT(titles(list(tile)),
                ElementsAre("Photo", "X", "Plugin", "Link", "Report", "Archive", "Tool", "Sub"));
}

TEST_F(FolderServiceTest, TheTilesArrangementCountsOnlyWhenTheSettingIsTheDocksDefault) {
    settings().folderChildrenSort = FolderArrangement::dockDefault;

    // Kinds compare as their raw texts.
    tile.folderArrangement = FolderArrangement::kind;
    std::vector<FolderChildKind> kinds;
    for (const auto& child : list(tile).children) kinds.push_back(child.kind);
    using enum FolderChildKind;
    EXPECT_THAT(kinds, ElementsAre(app, file, file, folder, folder, folder, url, url));

    // The Dock's own default keeps the file system's order.
    tile.folderArrangement = FolderArrangement::dockDefault;
    std::vector<std::string> listed;
    for (const auto& child : list(tile).children) listed.push_back(child.childID.rawValue());
    EXPECT_EQ(listed, listingOrder());

    tile.folderArrangement.reset();
    EXPECT_THAT(titles(list(tile)),
                ElementsAre("Archive", "Link", "Photo", "Plugin", "Report", "Sub", "Tool", "X"));

    settings().folderChildrenSort = FolderArrangement::dateAdded;
    tile.folderArrangement = FolderArrangement::kind;
    EXPECT_EQ(titles(list(tile)).front(), "Photo");  // the setting wins over the tile
}

// Case-insensitive, accents counting, digits not read as numbers.
TEST_F(FolderServiceTest, NamesSortInTheLocaleIgnoringCaseAndIndicesFollowTheDisplayOrder) {
    for (const char* name :
         {"File 10.txt", "file 2.txt", "File 1.txt", "Éclair.txt", "eclair.txt", "Zebra.txt", "x.tar.gz"}) {
        makeFile(std::string("Names/") + name);
    }
    const auto snapshot = list(folderItem("names", home_ / "Names"));
    EXPECT_THAT(titles(snapshot), ElementsAre("eclair", "Éclair", "File 1", "File 10", "file 2", "x.tar", "Zebra"));
    for (std::size_t i = 0; i < snapshot.children.size(); ++i) {
        EXPECT_EQ(snapshot.children[i].childIndex, static_cast<std::int64_t>(i));
    }
}

TEST_F(FolderServiceTest, SortsAreStableAndRenumberTheGivenChildren) {
    std::vector<FolderChild> children;
    for (const auto* title : {"b", "B", "a"}) {
        children.push_back({.childID = ChildID(title), .title = title, .childIndex = 7});
    }
    const auto sorted = FolderService::sortChildren(children, tile, settings());
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0].childID, ChildID("a"));
    EXPECT_EQ(sorted[1].childID, ChildID("b"));  // "b" and "B" are equal without case: listing order
    EXPECT_EQ(sorted[2].childID, ChildID("B"));
    EXPECT_EQ(sorted[2].childIndex, 2);
}

TEST_F(FolderServiceTest, ChildIdentifiersAreRelativeToTheRootWhenOneIsGiven) {
    auto sub = folderItem("ax-3-folder-stacks", home_ / "Stacks/Sub");
    const auto withRoot = list(sub, *tile.path);
    EXPECT_THAT(titles(withRoot), ElementsAre("a", "Deeper"));
    EXPECT_EQ(withRoot.children[0].childID, ChildID("Sub/a.txt"));
    EXPECT_EQ(withRoot.children[1].childID, ChildID("Sub/Deeper"));

    const auto withoutRoot = service().snapshot(sub, settings(), icons(), std::nullopt);
    EXPECT_EQ(withoutRoot.children[0].childID, ChildID("a.txt"));

    // A root that is only a prefix of the name is no root.
    const auto lookalike = list(sub, *tile.path + "/Su");
    EXPECT_EQ(lookalike.children[0].childID, ChildID("a.txt"));
}

TEST_F(FolderServiceTest, AnEmptyFolderIsReadableWithTheCurrentSecondAsRevision) {
    auto empty = folderItem("empty", makeFolder("Empty"));
    empty.folderDisplayMode = FolderDisplayMode::list;
    scheduler_.advance(42s);
    const auto snapshot = list(empty);
    EXPECT_TRUE(snapshot.isReadable);
    EXPECT_THAT(snapshot.children, IsEmpty());
    EXPECT_EQ(snapshot.revision, 1736154042);
    EXPECT_EQ(snapshot.displayMode, FolderDisplayMode::list);
}

}  // namespace
}  // namespace tavelin
