#include <gtest/gtest.h>

#include <fstream>

#include "mac/core/FolderService.h"
#include "mac/switcher/FolderContentSearch.h"
#include "platform/LocalFileSystem.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

class FolderContentSearchTest : public ::testing::Test {
  protected:
    void file(const std::string& name) { std::ofstream(folder / name) << "x"; }
    void directory(const std::string& name) { fs::create_directories(folder / name); }
    std::vector<FolderChild> search(std::string_view query,
                                    std::int64_t limit = FolderContentSearch::kLimit) {
        return FolderContentSearch::children(files, folder.path(), query, limit);
    }

    TemporaryFolder folder;
    LocalFileSystem files;
};

TEST_F(FolderContentSearchTest, MatchesTheNameWithoutItsExtensionAndFillsTheChildAsTheSearchDoes) {
    file("Report.pdf");
    file(".report-hidden");
    directory("Reports/Inner Report");  // one level only

    const auto hits = search("REP");
    ASSERT_EQ(hits.size(), 2u);
    const auto report = std::ranges::find(hits, ChildID("Report.pdf"), &FolderChild::childID);
    ASSERT_NE(report, hits.end());
    EXPECT_EQ(report->title, "Report");
    EXPECT_EQ(report->path, (folder / "Report.pdf").string());
    EXPECT_EQ(report->kind, FolderChildKind::file);
    EXPECT_FALSE(report->iconToken);
    EXPECT_FALSE(report->modifiedAt);
    EXPECT_TRUE(report->isReadable);
    EXPECT_EQ(hits[0].childIndex, 0);
    EXPECT_EQ(hits[1].childIndex, 1);

    EXPECT_TRUE(search("pdf").empty());
    EXPECT_TRUE(search("rep", 0).empty());
}

TEST_F(FolderContentSearchTest, StopsAtTheLimitInListingOrder) {
    for (int i = 0; i < 30; ++i) file("match " + std::to_string(i) + ".txt");
    const auto listing = *files.contentsOfDirectory(folder.path(), HiddenFiles::skip);

    const auto hits = search("match");
    ASSERT_EQ(hits.size(), 24u);
    for (std::size_t i = 0; i < hits.size(); ++i) EXPECT_EQ(hits[i].path, listing[i].string()) << i;
}

TEST_F(FolderContentSearchTest, KindsFollowTheSearchsOwnRuleWhereAPackageIsAFile) {
    file("Site.webloc");
    directory("Tool.app/Contents");
    directory("Plugin.bundle/Contents");  // a package, no application
    directory("Projects");
    file("Notes.txt");

    std::map<std::string, FolderChildKind> kinds;
    for (const auto& hit : search("t")) kinds[hit.childID.rawValue()] = hit.kind;
    for (const auto& hit : search("u")) kinds[hit.childID.rawValue()] = hit.kind;
    EXPECT_EQ(kinds["Site.webloc"], FolderChildKind::url);
    EXPECT_EQ(kinds["Tool.app"], FolderChildKind::app);
    EXPECT_EQ(kinds["Plugin.bundle"], FolderChildKind::file);
    EXPECT_EQ(kinds["Projects"], FolderChildKind::folder);
    EXPECT_EQ(kinds["Notes.txt"], FolderChildKind::file);
    // The folder listings call the same bundle a folder.
    EXPECT_EQ(FolderService::folderChildKind(folder / "Plugin.bundle",
                                             *files.resourceValues(folder / "Plugin.bundle")),
              FolderChildKind::folder);
    // Unreadable values: a file, unless the extension says otherwise.
    EXPECT_EQ(FolderContentSearch::kind("/x/Projects", std::nullopt), FolderChildKind::file);
    EXPECT_EQ(FolderContentSearch::kind("/x/Tool.APP", std::nullopt), FolderChildKind::app);
    // The system's word that a bundle is an application holds without the extension.
    EXPECT_EQ(
        FolderContentSearch::kind(
            "/x/Tool", FileResourceValues{.isDirectory = true, .isApplication = true, .isPackage = true}),
        FolderChildKind::app);
}

TEST_F(FolderContentSearchTest, ANameThatIsNotUtf8IsMatchedAndShownWithReplacementKeepingItsBytes) {
    const std::string name = "caf\xE9-menu.txt";  // Latin-1, invalid UTF-8
    file(name);
    const auto hits = search("menu");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].title, "caf\uFFFD-menu");
    EXPECT_EQ(hits[0].childID.rawValue(), name);
    EXPECT_EQ(hits[0].path, (folder / name).string());
    EXPECT_EQ(search("caf\uFFFD").size(), 1u);
}

TEST_F(FolderContentSearchTest, AFolderThatCannotBeListedGivesNothing) {
    EXPECT_TRUE(FolderContentSearch::children(files, folder / "missing", "a", 24).empty());
}

}  // namespace
}  // namespace tavelin
