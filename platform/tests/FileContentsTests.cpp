// Every reader of the platform reads through readFileContents: a named pipe in place of any file they
// read is an error naming it, at once.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Bundle.h"
#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/PlistFile.h"
#include "platform/UserDefaults.h"
#include "platform/tests/NamedPipe.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/SystemLog.h"

namespace tavelin {
namespace {

using ::testing::HasSubstr;
using testing::makeNamedPipe;
using testing::readsWithoutWaiting;

TEST(FileContents, ANamedPipeIsNoRegularFileAndIsNeverWaitedOn) {
    const TemporaryFolder folder;
    const auto pipe = folder / "com.apple.dock.plist";
    makeNamedPipe(pipe);
    const auto contents = readsWithoutWaiting(pipe, [&] { return readFileContents(pipe, 1 << 20); });
    ASSERT_FALSE(contents);
    EXPECT_EQ(contents.error().message, pipe.string() + ": not a regular file");

    const auto plist = readsWithoutWaiting(pipe, [&] { return readPlistFile(pipe); });
    ASSERT_FALSE(plist);
    EXPECT_THAT(plist.error().message, HasSubstr(pipe.string() + ": not a regular file"));

    const auto picture = folder / "Desktop.jpg";
    makeNamedPipe(picture);
    const auto image = readsWithoutWaiting(picture, [&] { return loadImage(picture); });
    ASSERT_FALSE(image);
    EXPECT_THAT(image.error().message, HasSubstr(picture.string() + ": not a regular file"));
}

TEST(FileContents, ABundleOrPreferenceFileThatIsANamedPipeReadsAsEmpty) {
    const TemporaryFolder folder;
    const auto info = folder / "Tool.app/Contents/Info.plist";
    makeNamedPipe(info);
    const auto bundle = readsWithoutWaiting(info, [&] { return loadBundle(folder / "Tool.app"); });
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->identifier(), std::nullopt);

    const auto preferences = folder / "Library/Preferences/jp.fenwold.lomaret.plist";
    makeNamedPipe(preferences);
    CapturedSystemLog log;
    auto defaults = readsWithoutWaiting(preferences, [&] {
        auto opened = std::make_unique<UserDefaults>("jp.fenwold.lomaret", preferences, log);
        // Writing keeps a copy of what it would replace first; a pipe cannot be kept, nor replaced.
        opened->set("launchAtLogin", true);
        return opened;
    });
    EXPECT_TRUE(defaults->boolForKey("launchAtLogin"));
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_THAT(log.lines()[0], HasSubstr(preferences.string() + ": not a regular file"));
    EXPECT_THAT(log.lines()[1], HasSubstr("not writing over the unreadable preference file"));
}

}  // namespace
}  // namespace tavelin
