#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/FileContents.h"
#include "platform/FileURL.h"
#include "platform/PlistFile.h"
#include "platform/sim/DockTiles.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/PlistPrinting.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using ::testing::ElementsAre;

class SimDockTest : public ::testing::Test {
  protected:
    SimMac& start(DesktopDock dock) {
        mac_ = std::make_unique<SimMac>(
            Desktop{.applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app",
                                      true},
                                     {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                                     {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
                                     {"com.apple.mail", "Mail", "/System/Applications/Mail.app"}},
                    .dock = std::move(dock)},
            home_.path(), scheduler_, log_);
        mac_->accessibility().setProcessTrusted(true);
        return *mac_;
    }

    // "subrole title" of each tile of the Dock's list.
    std::vector<std::string> tiles() {
        const auto& ax = mac_->accessibility();
        const auto dock = ax.createApplication(*mac_->dock()->processIdentifier());
        const auto children = [&](const AXElement& e) {
            return std::get<std::vector<AXElement>>(*ax.copyAttributeValue(e, "AXChildren"));
        };
        std::vector<std::string> shown;
        for (const auto& tile : children(children(dock).front())) {
            shown.push_back(std::get<std::string>(*ax.copyAttributeValue(tile, "AXSubrole")) + " " +
                            std::get<std::string>(*ax.copyAttributeValue(tile, "AXTitle")));
        }
        return shown;
    }
    std::filesystem::path preferenceFile() const {
        return home_ / "Library/Preferences/com.apple.dock.plist";
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::unique_ptr<SimMac> mac_;
};

TEST_F(SimDockTest, WritesItsPreferencesAsABinaryPlistInTheHomeFolder) {
    start(
        {.fixed = {{.target = "com.apple.Safari"}, {.kind = DesktopDockTileKind::smallSpacer}},
         .others = {{.kind = DesktopDockTileKind::folder, .target = "~/Downloads", .showAs = 2},
                    {.kind = DesktopDockTileKind::file, .target = "~/Documents/Report.pdf"},
                    {.kind = DesktopDockTileKind::url, .target = "https://example.org/", .label = "Example"}},
         .recents = {"com.apple.Notes"},
         .showRecents = false});
    const auto bytes = readFileContents(preferenceFile(), 1 << 20);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->starts_with("bplist00"));
    const auto disk = [&](const char* path) { return home_ / path; };
    const PlistDict expected{
        {"persistent-apps",
         PlistArray{dockApplicationTile("com.apple.Safari", "Safari", disk("Applications/Safari.app")),
                    dockSpacerTile("small-spacer-tile")}},
        {"persistent-others", PlistArray{dockFolderTile(disk("Downloads"), "Downloads", 2, std::nullopt),
                                         dockFileTile(disk("Documents/Report.pdf"), "Report.pdf"),
                                         dockURLTile("https://example.org/", "Example")}},
        {"recent-apps",
         PlistArray{dockApplicationTile("com.apple.Notes", "Notes", disk("System/Applications/Notes.app"))}},
        {"show-recents", false},
    };
    EXPECT_EQ(*parsePlist(*bytes), PlistValue(expected));
    EXPECT_EQ(mac_->userDefaults().domain("com.apple.dock")->persistentDomain(), expected);
    // A tile's reference is a file URL of type 15; a folder's ends in '/'.
    EXPECT_EQ(dockFileReference(disk("My Files"), true),
              (PlistDict{{"_CFURLString", fileURL(disk("My Files"), true)}, {"_CFURLStringType", 15}}));
    EXPECT_TRUE(std::filesystem::is_directory(disk("Downloads")));
    EXPECT_TRUE(std::filesystem::is_regular_file(disk("Documents/Report.pdf")));

    mac_->dock()->configure({});
    EXPECT_EQ(*readPlistFile(preferenceFile()), PlistValue(PlistDict{{"persistent-apps", PlistArray{}},
                                                                     {"persistent-others", PlistArray{}},
                                                                     {"recent-apps", PlistArray{}},
                                                                     {"show-recents", true}}));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(preferenceFile().parent_path()))
        names.push_back(entry.path().filename().string());
    // Beside the system's shortcuts, which the world writes when it starts.
    EXPECT_THAT(names, ::testing::UnorderedElementsAre("com.apple.dock.plist", "com.apple.symbolichotkeys.plist"))
        << "replaced by rename, nothing left beside it";
}

TEST_F(SimDockTest, ItsTreeFollowsTheRunningApplications) {
    auto& mac = start({.fixed = {{.target = "com.apple.Safari"}, {.kind = DesktopDockTileKind::spacer}},
                       .others = {{.kind = DesktopDockTileKind::url, .target = "https://example.org/"}},
                       .recents = {"com.apple.mail"},
                       .showRecents = false});
    EXPECT_THAT(tiles(), ElementsAre("AXApplicationDockItem Finder", "AXApplicationDockItem Safari",
                                     "AXSpacerDockItem ", "AXSeparatorDockItem ",
                                     "AXURLDockItem https://example.org/", "AXTrashDockItem Trash"));

    const auto notes = *mac.workspace().launch("com.apple.Notes");
    mac.workspace().launchProcess({.bundleIdentifier = "com.example.agent", .activationPolicy = 1});
    mac.workspace().launch("com.apple.mail");
    EXPECT_THAT(
        tiles(),
        ElementsAre("AXApplicationDockItem Finder", "AXApplicationDockItem Safari", "AXSpacerDockItem ",
                    "AXSeparatorDockItem ", "AXApplicationDockItem Mail", "AXApplicationDockItem Notes",
                    "AXSeparatorDockItem ", "AXURLDockItem https://example.org/", "AXTrashDockItem Trash"));

    mac.workspace().terminate(notes);
    mac.dock()->configure({.recents = {"com.apple.Notes"}});  // shown, although Notes does not run
    EXPECT_THAT(tiles(),
                ElementsAre("AXApplicationDockItem Finder", "AXSeparatorDockItem ",
                            "AXApplicationDockItem Notes", "AXApplicationDockItem Safari",
                            "AXApplicationDockItem Mail", "AXSeparatorDockItem ", "AXTrashDockItem Trash"));

    const auto dock = *mac.dock()->processIdentifier();
    mac.workspace().terminate(dock);
    EXPECT_EQ(mac.dock()->processIdentifier(), std::nullopt);
    EXPECT_EQ(
        mac.accessibility().copyAttributeValue(mac.accessibility().createApplication(dock), "AXChildren"),
        std::unexpected(AXError::cannotComplete));
}

// A kept home folder keeps the Dock the user left: the file is not written over, and the tree shows
// what it holds, also after the domain reads the file again.
TEST_F(SimDockTest, AnExistingPreferenceFileIsTheDocksStateAndItsTreeFollowsIt) {
    start({.fixed = {{.target = "com.apple.Safari"}, {.target = "com.apple.Notes"}}});
    auto edited = *mac_->userDefaults().domain("com.apple.dock")->persistentDomain();
    edited.set("persistent-apps",
               PlistArray{dockApplicationTile("com.apple.Notes", "My Notes", home_ / "System/Applications/Notes.app")});
    edited.set("persistent-others", PlistArray{dockFolderTile(home_ / "Work", "Work", 1, std::nullopt)});
    ASSERT_TRUE(writePlistFile(preferenceFile(), PlistValue(edited), PlistFormat::binary));
    const auto bytes = readFileContents(preferenceFile(), 1 << 20);

    start({.fixed = {{.target = "com.apple.Safari"}}});
    EXPECT_EQ(readFileContents(preferenceFile(), 1 << 20), bytes);
    const std::vector<std::string> shown{"AXApplicationDockItem Finder", "AXApplicationDockItem My Notes",
                                         "AXSeparatorDockItem ", "AXApplicationDockItem Safari",
                                         "AXSeparatorDockItem ", "AXFolderDockItem Work", "AXTrashDockItem Trash"};
    EXPECT_EQ(tiles(), shown);

    edited.set("persistent-others", PlistArray{});
    ASSERT_TRUE(writePlistFile(preferenceFile(), PlistValue(edited), PlistFormat::binary));
    ASSERT_TRUE(mac_->userDefaults().domain("com.apple.dock")->synchronize());
    EXPECT_THAT(tiles(), ElementsAre("AXApplicationDockItem Finder", "AXApplicationDockItem My Notes",
                                     "AXSeparatorDockItem ", "AXApplicationDockItem Safari",
                                     "AXSeparatorDockItem ", "AXTrashDockItem Trash"));
}

TEST_F(SimDockTest, OldElementsDieWithTheirTreeAndUntrustedCallersGetNothing) {
    auto& mac = start({});
    auto& ax = mac.accessibility();
    const auto application = ax.createApplication(*mac.dock()->processIdentifier());
    const auto list =
        std::get<std::vector<AXElement>>(*ax.copyAttributeValue(application, "AXChildren")).front();
    EXPECT_EQ(ax.copyAttributeValue(list, "AXRole"), AXValue("AXList"));
    EXPECT_EQ(ax.copyAttributeValue(list, "AXHelp"), std::unexpected(AXError::attributeUnsupported));

    mac.workspace().launch("com.apple.Notes");  // a new tree
    EXPECT_EQ(ax.copyAttributeValue(list, "AXRole"), std::unexpected(AXError::invalidUIElement));
    EXPECT_EQ(ax.copyAttributeValue({list.processIdentifier + 1, list.element}, "AXRole"),
              std::unexpected(AXError::invalidUIElement));

    ax.setProcessTrusted(false);
    EXPECT_EQ(ax.copyAttributeValue(application, "AXChildren"), std::unexpected(AXError::apiDisabled));
}

}  // namespace
}  // namespace tavelin::sim
