#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "platform/LocalFileSystem.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAre;

class LocalFileSystemTest : public ::testing::Test {
  protected:
    fs::path make(const fs::path& relative, std::string_view contents = "x") {
        const auto path = folder_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << contents;
        return path;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TemporaryFolder folder_;
    LocalFileSystem files_;
};

TEST_F(LocalFileSystemTest, ListsOneLevelWithOrWithoutHiddenEntries) {
    make("a.txt");
    make(".hidden");
    make("Sub/deep.txt");
    EXPECT_THAT(*files_.contentsOfDirectory(folder_.path(), HiddenFiles::skip),
                UnorderedElementsAre(folder_ / "a.txt", folder_ / "Sub"));
    EXPECT_THAT(*files_.contentsOfDirectory(folder_.path(), HiddenFiles::include),
                UnorderedElementsAre(folder_ / "a.txt", folder_ / ".hidden", folder_ / "Sub"));

    const auto missing = files_.contentsOfDirectory(folder_ / "nope", HiddenFiles::skip);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().domain, FileErrorDomain::posix);
    EXPECT_EQ(missing.error().code, ENOENT);
    EXPECT_EQ(missing.error().localizedDescription,
              (folder_ / "nope").string() + ": No such file or directory");
    EXPECT_FALSE(files_.contentsOfDirectory(folder_ / "a.txt", HiddenFiles::skip));
}

TEST_F(LocalFileSystemTest, ResourceValuesTellFoldersPackagesAndApplicationsApart) {
    make("Tool.app/Contents/Info.plist");
    make("Plugin.bundle/Contents/Info.plist");
    make("Report.pdf");
    fs::create_directories(folder_ / "Plain");
    fs::create_directory_symlink(folder_ / "Plain", folder_ / "Link");

    const auto tool = *files_.resourceValues(folder_ / "Tool.app");
    EXPECT_EQ(tool.isDirectory, true);
    EXPECT_EQ(tool.isApplication, true);
    EXPECT_EQ(tool.isPackage, true);
    EXPECT_TRUE(tool.contentType->conformsToApplication);

    const auto plugin = *files_.resourceValues(folder_ / "Plugin.bundle");
    EXPECT_EQ(plugin.isPackage, true);
    EXPECT_EQ(plugin.isApplication, false);
    EXPECT_FALSE(plugin.contentType->conformsToApplication);

    const auto report = *files_.resourceValues(folder_ / "Report.pdf");
    EXPECT_EQ(report.isDirectory, false);
    EXPECT_EQ(report.isWritable, true);
    EXPECT_EQ(report.volumeIsReadOnly, false);

    // A link is no folder of its own, but it leads to one.
    EXPECT_EQ(files_.resourceValues(folder_ / "Link")->isDirectory, false);
    EXPECT_EQ(files_.itemType(folder_ / "Link"), ItemType::directory);
    EXPECT_EQ(files_.itemType(folder_ / "Report.pdf"), ItemType::file);
    EXPECT_EQ(files_.itemType(folder_ / "none"), ItemType::missing);
    EXPECT_EQ(files_.resourceValues(folder_ / "none").error().code, ENOENT);
}

TEST_F(LocalFileSystemTest, TheModificationDateKeepsMicroseconds) {
    const auto path = make("dated.txt");
    const timespec times[2] = {{0, UTIME_OMIT}, {1714564800, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const auto expected = Timestamp(std::chrono::seconds(1714564800) + std::chrono::microseconds(123456));
    EXPECT_EQ(files_.resourceValues(path)->contentModificationDate, expected);
}

TEST_F(LocalFileSystemTest, CopyingNeverReplacesAndCopiesFoldersWhole) {
    const auto source = make("From/a.txt", "new");
    make("From/Inner/b.txt", "inner");
    const auto existing = make("To/a.txt", "old");

    const auto refused = files_.copyItem(source, existing);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, EEXIST);
    EXPECT_EQ(read(existing), "old");

    ASSERT_TRUE(files_.copyItem(folder_ / "From", folder_ / "To/From"));
    EXPECT_EQ(read(folder_ / "To/From/Inner/b.txt"), "inner");
    EXPECT_EQ(read(source), "new");

    EXPECT_EQ(files_.copyItem(folder_ / "missing", folder_ / "To/m").error().code, ENOENT);
}

TEST_F(LocalFileSystemTest, AFolderIsNeitherCopiedNorMovedIntoItself) {
    make("Outer/Inner/file.txt");
    EXPECT_EQ(files_.copyItem(folder_ / "Outer", folder_ / "Outer/Inner/Outer").error().code, EINVAL);
    EXPECT_FALSE(fs::exists(folder_ / "Outer/Inner/Outer"));
    EXPECT_FALSE(files_.moveItem(folder_ / "Outer", folder_ / "Outer/Inner/Outer"));
    EXPECT_TRUE(fs::exists(folder_ / "Outer/Inner/file.txt"));
}

TEST_F(LocalFileSystemTest, MovingNeverReplacesAndRemovingTakesEverything) {
    const auto source = make("a.txt", "moved");
    const auto existing = make("b.txt", "kept");
    EXPECT_EQ(files_.moveItem(source, existing).error().code, EEXIST);
    EXPECT_EQ(read(existing), "kept");

    ASSERT_TRUE(files_.moveItem(source, folder_ / "c.txt"));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(read(folder_ / "c.txt"), "moved");

    make("Tree/a/b/c.txt");
    ASSERT_TRUE(files_.removeItem(folder_ / "Tree"));
    EXPECT_FALSE(fs::exists(folder_ / "Tree"));
    EXPECT_EQ(files_.removeItem(folder_ / "Tree").error().code, ENOENT);
}

TEST_F(LocalFileSystemTest, AMoveAcrossVolumesCopiesAndRemovesTheSource) {
    std::error_code error;
    const auto otherVolume = fs::path("/dev/shm");
    struct stat here {
    }, there{};
    if (::stat(folder_.path().c_str(), &here) != 0 || ::stat(otherVolume.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev || !files_.isWritableFile(otherVolume)) {
        GTEST_SKIP() << "no second writable volume at " << otherVolume;
    }
    make("Moving/inner.txt", "whole");
    const auto target = otherVolume / ("tavelin-move-" + folder_.path().filename().string());
    ASSERT_TRUE(files_.moveItem(folder_ / "Moving", target));
    EXPECT_EQ(read(target / "inner.txt"), "whole");
    EXPECT_FALSE(fs::exists(folder_ / "Moving"));
    fs::remove_all(target, error);
}

TEST_F(LocalFileSystemTest, VolumeFactsOfTheTemporaryFolderAreThoseOfALocalVolume) {
    const auto facts = files_.volumeFacts(folder_.path());
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->isLocal, true);
    EXPECT_EQ(files_.volumeFacts(folder_ / "none").error().code, ENOENT);
}

}  // namespace
}  // namespace tavelin
