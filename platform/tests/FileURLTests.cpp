#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Bundle.h"
#include "platform/FileURL.h"
#include "platform/PlistFile.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

using ::testing::Optional;

TEST(FileURL, FilePathsAreThePercentDecodedPathsOfFileURLsOnly) {
    EXPECT_THAT(filePathFromURL("file:///Applications/Safari.app/"),
                Optional(std::string("/Applications/Safari.app/")));
    EXPECT_THAT(filePathFromURL("file://localhost/Users/me/My%20Files/"),
                Optional(std::string("/Users/me/My Files/")));
    EXPECT_THAT(filePathFromURL("FILE:///a"), Optional(std::string("/a")));
    EXPECT_THAT(filePathFromURL("file:/a/b"), Optional(std::string("/a/b")));
    EXPECT_THAT(filePathFromURL("file:///a/b%3F?query#fragment"), Optional(std::string("/a/b?")));
    EXPECT_THAT(filePathFromURL("file:///%E3%82%A2%E3%83%97%E3%83%AA"), Optional(std::string("/アプリ")));

    for (const auto* notAFilePath : {
             "https://example.org/a",  // another scheme
             "/Applications",          // no scheme
             "",
             "file://",  // no path
             "file://localhost",
             "file:///a b",  // a blank is no URL character
             "file:///a%2",  // a stray '%'
             "file:///a%zz",
             "file:///a%00b",  // no path holds a NUL
             "file:///a#b#c",
             "file:///\xE3\x82\xA2",  // raw UTF-8 must be encoded in a URL
         }) {
        EXPECT_EQ(filePathFromURL(notAFilePath), std::nullopt) << notAFilePath;
    }
}

TEST(FileURL, OneTrailingSlashGoesFromPathsOfTwoOrMoreCharacters) {
    EXPECT_EQ(droppingTrailingSlash("/"), "/");
    EXPECT_EQ(droppingTrailingSlash(""), "");
    EXPECT_EQ(droppingTrailingSlash("/a/"), "/a");
    EXPECT_EQ(droppingTrailingSlash("a//"), "a/");
    EXPECT_EQ(droppingTrailingSlash("/a"), "/a");
}

TEST(FileURL, WrittenURLsReadBackAsTheirPaths) {
    const std::filesystem::path odd = "/home/me/My Files/100% #1?/アプリ.app";
    EXPECT_EQ(fileURL(odd, false),
              "file:///home/me/My%20Files/100%25%20%231%3F/%E3%82%A2%E3%83%97%E3%83%AA.app");
    EXPECT_THAT(filePathFromURL(fileURL(odd, false)), Optional(odd.string()));
    EXPECT_THAT(filePathFromURL(fileURL(odd, true)), Optional(odd.string() + "/"));
    EXPECT_EQ(fileURL("/a/", true), "file:///a/");
}

TEST(Bundle, IsAFolderDescribedByItsInformationFile) {
    const TemporaryFolder folder;
    ASSERT_TRUE(writePlistFile(folder / "Safari.app/Contents/Info.plist",
                               PlistDict{{"CFBundleIdentifier", "com.apple.Safari"}, {"CFBundleName", 7}},
                               PlistFormat::binary));
    const auto safari = loadBundle(folder / "Safari.app");
    ASSERT_TRUE(safari);
    EXPECT_EQ(safari->path, folder / "Safari.app");
    EXPECT_THAT(safari->identifier(), Optional(std::string("com.apple.Safari")));
    EXPECT_EQ(safari->infoString("CFBundleName"), std::nullopt);  // not a string

    std::filesystem::create_directories(folder / "Empty.app");
    ASSERT_TRUE(loadBundle(folder / "Empty.app"));
    EXPECT_EQ(loadBundle(folder / "Empty.app")->identifier(), std::nullopt);

    ASSERT_TRUE(writePlistFile(folder / "Damaged.app/Contents/Info.plist", PlistArray{}, PlistFormat::xml));
    EXPECT_EQ(loadBundle(folder / "Damaged.app")->identifier(), std::nullopt);

    EXPECT_EQ(loadBundle(folder / "Safari.app/Contents/Info.plist"), std::nullopt);
    EXPECT_EQ(loadBundle(folder / "Missing.app"), std::nullopt);
}

}  // namespace
}  // namespace tavelin
