#include <gmock/gmock.h>

#include "mac/app/tests/AppWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The program downloaded and started from the Downloads folder.
sim::Desktop fromDownloads() {
    auto desktop = AppWorld::standardDesktop();
    desktop.program.path = "/Users/kei/Downloads/Lomaret.app";
    return desktop;
}

class MoveToApplicationsFolderTest : public AppWorld {
  protected:
    MoveToApplicationsFolderTest() : AppWorld(fromDownloads()) {}

    std::filesystem::path downloaded() { return mac().diskPath("/Users/kei/Downloads/Lomaret.app"); }
    std::filesystem::path installed() { return mac().diskPath("/Applications/Lomaret.app"); }
};

TEST_F(MoveToApplicationsFolderTest, MovingRelaunchesFromTheApplicationsFolderAndEndsStartUp) {
    launch();
    ASSERT_EQ(mac().alerts().questions().size(), 1u);
    const auto& question = mac().alerts().questions()[0];
    EXPECT_EQ(question.buttonKeys,
              (std::vector<std::string>{"moveToApplications.move", "moveToApplications.doNotMove"}));
    EXPECT_TRUE(question.showsSuppressionButton);

    EXPECT_TRUE(std::filesystem::is_regular_file(installed() / "Contents/Info.plist"));
    EXPECT_FALSE(std::filesystem::exists(downloaded()));
    EXPECT_EQ(mac().application().relaunchedFrom(), installed());
    EXPECT_TRUE(mac().application().isTerminated());
    // Nothing after the move was made.
    EXPECT_EQ(delegate().settingsWindow(), nullptr);
    EXPECT_THAT(mac().statusBar().items(), IsEmpty());
    EXPECT_EQ(mac().softwareUpdater().starts(), 0);
}

TEST_F(MoveToApplicationsFolderTest, DeclinedWithDoNotAskAgainItIsNotAskedAgain) {
    mac().alerts().scriptAnswer(ModalAlertResponse{1, true});
    launch();
    EXPECT_TRUE(std::filesystem::exists(downloaded()));
    EXPECT_NE(delegate().statusItem(), nullptr);
    EXPECT_TRUE(defaults().boolForKey("moveToApplicationsFolderAlertSuppress"));

    newProcess();
    launch();
    EXPECT_EQ(mac().alerts().questions().size(), 1u);
}

TEST_F(MoveToApplicationsFolderTest, AProgramOfTheSameNameInApplicationsIsLeftAlone) {
    std::filesystem::create_directories(installed() / "Contents");
    launch();
    EXPECT_TRUE(std::filesystem::exists(downloaded()));
    EXPECT_FALSE(std::filesystem::exists(installed() / "Contents/Info.plist"));
    EXPECT_FALSE(mac().application().isTerminated());
    EXPECT_NE(delegate().statusItem(), nullptr);
    EXPECT_THAT(log_.lines(),
                ::testing::Contains(::testing::HasSubstr("not moved to the Applications folder")));
}

TEST_F(MoveToApplicationsFolderTest, AMoveRefusedForPermissionEndsTheProgram) {
    mac().fileSystem().refuse(sim::SimFileSystem::Operation::move, downloaded(),
                              FileSystemError::posix(EACCES, downloaded()));
    launch();
    EXPECT_TRUE(std::filesystem::exists(downloaded()));
    EXPECT_TRUE(mac().application().isTerminated());
    EXPECT_FALSE(mac().application().relaunchedFrom());
    EXPECT_EQ(delegate().settingsWindow(), nullptr);
}

TEST_F(MoveToApplicationsFolderTest, AnyOtherFailureIsLoggedAndStartUpGoesOn) {
    mac().fileSystem().refuse(sim::SimFileSystem::Operation::move, downloaded(),
                              FileSystemError::posix(EIO, downloaded()));
    launch();
    EXPECT_FALSE(mac().application().isTerminated());
    EXPECT_NE(delegate().statusItem(), nullptr);
    EXPECT_THAT(log_.lines(),
                ::testing::Contains(::testing::HasSubstr("moving to the Applications folder failed")));
}

class InTheApplicationsFolderTest : public AppWorld {};

TEST_F(InTheApplicationsFolderTest, NothingIsAsked) {
    launch();
    EXPECT_THAT(mac().alerts().questions(), IsEmpty());
    EXPECT_NE(delegate().statusItem(), nullptr);
}

}  // namespace
}  // namespace tavelin
