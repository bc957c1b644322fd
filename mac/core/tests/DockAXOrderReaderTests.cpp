#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "mac/core/tests/DockWorld.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

using sim::SimAXNode;
using ::testing::ElementsAre;

class DockAXOrderReaderTest : public DockWorld {
  protected:
    // Shows `tiles` as the Dock's list, its first child; a later child's tile is no tile of the Dock.
    void showTiles(std::vector<SimAXNode> tiles) {
        SimAXNode list;
        list.set("AXRole", "AXList").set("AXChildren", std::move(tiles));
        SimAXNode menu;
        menu.set("AXRole", "AXMenu").set("AXChildren", std::vector{tile("AXTrashDockItem", "Not a tile")});
        showTree(SimAXNode().set("AXRole", "AXApplication").set("AXChildren", std::vector{list, menu}));
    }
    void showTree(const SimAXNode& root) {
        mac().accessibility().setTree(*mac().dock()->processIdentifier(), root);
    }

    static SimAXNode tile(std::string subrole, std::string title) {
        SimAXNode node;
        node.set("AXSubrole", std::move(subrole)).set("AXTitle", std::move(title));
        return node;
    }
    static SimAXNode tile(std::string subrole, std::string title, SimAXNode::Attribute url) {
        auto node = tile(std::move(subrole), std::move(title));
        node.set("AXURL", std::move(url));
        return node;
    }
};

TEST_F(DockAXOrderReaderTest, ReadsTheSimulatedDockInItsOrder) {
    auto& mac = startWithDock({
        .fixed = {{.target = "com.apple.Safari"},
                  {.kind = sim::DesktopDockTileKind::smallSpacer},
                  {.target = "com.apple.mail", .label = "Post"}},
        .others = {{.kind = sim::DesktopDockTileKind::folder, .target = "~/Downloads"},
                   {.kind = sim::DesktopDockTileKind::file,
                    .target = "~/Documents/Q3 Report.pdf",
                    .label = "Report"},
                   {.kind = sim::DesktopDockTileKind::url,
                    .target = "https://example.org/",
                    .label = "Example"},
                   {.kind = sim::DesktopDockTileKind::flexSpacer}},
    });
    mac.workspace().launch("com.apple.Terminal");
    const auto entries = axReader().readEntries();
    ASSERT_TRUE(entries);
    EXPECT_THAT(
        *entries,
        ElementsAre(
            Entry(Application{"Finder", disk("/System/Library/CoreServices/Finder.app"), "com.apple.finder"}),
            Entry(Application{"Safari", disk("/Applications/Safari.app"), "com.apple.Safari"}),
            Entry(Application{"Post", disk("/System/Applications/Mail.app"), "com.apple.mail"}),
            Entry(Separator{}),
            Entry(Application{"Terminal", disk("/System/Applications/Utilities/Terminal.app"),
                              "com.apple.Terminal"}),
            Entry(Separator{}), Entry(Folder{"Downloads", disk("~/Downloads")}),
            Entry(Document{"Report", disk("~/Documents/Q3 Report.pdf")}),
            Entry(Document{"Example", std::nullopt}),  // a web link has no path
            Entry(Trash{"Trash"})));

    // The Dock follows the world: Terminal quits, and the section of running applications goes.
    mac.workspace().terminate(mac.workspace().process("com.apple.Terminal")->processIdentifier);
    EXPECT_EQ(axReader().readEntries()->size(), 8u);
}

TEST_F(DockAXOrderReaderTest, NothingWithoutTrustADockOrAReadableTile) {
    auto& mac = startWithDock({});
    ASSERT_TRUE(axReader().readEntries());

    mac.accessibility().setProcessTrusted(false);
    EXPECT_EQ(axReader().readEntries(), std::nullopt);
    mac.accessibility().setProcessTrusted(true);

    showTree(SimAXNode().set("AXRole", "AXApplication"));
    EXPECT_EQ(axReader().readEntries(), std::nullopt);
    showTree(SimAXNode().set("AXChildren", "not a list"));
    EXPECT_EQ(axReader().readEntries(), std::nullopt);
    showTree(
        SimAXNode().set("AXChildren", std::vector{SimAXNode().set("AXChildren", AXError::cannotComplete)}));
    EXPECT_EQ(axReader().readEntries(), std::nullopt);
    showTiles({tile("AXSpacerDockItem", "")});
    EXPECT_EQ(axReader().readEntries(), std::nullopt);

    mac.workspace().terminate(*mac.dock()->processIdentifier());
    EXPECT_EQ(axReader().readEntries(), std::nullopt);
}

TEST_F(DockAXOrderReaderTest, TilesAreClassifiedBySubroleThenByWhatTheyPointAt) {
    startWithDock({});
    std::filesystem::create_directories(home_ / "Projects");
    std::filesystem::create_directories(home_ / "Tools/Bare.app");
    const auto safari = disk("/Applications/Safari.app");
    showTiles({
        tile("AXTrashDockItem", ""),
        tile("AXSeparatorDockItem", "ignored"),
        tile("AXDockItem", ""),              // nothing to show: no entry
        tile("AXDockItem", "Notes"),         // a title only: a document
        tile("AXDockItem", "Applications"),  // the Applications folder by name
        tile("AXDockItem", "アプリケーション"),
        tile("AXDockItem", "", safari + "/"),  // an existing ".app" folder: an application
        tile("AXDockItem", "", fileURL(home_ / "Tools/Bare.app", true)),
        tile("AXDockItem", "", fileURL(home_ / "Projects", true)),  // an existing folder
        tile("AXDockItem", "", "/Volumes/Old/アプリケーション/"),   // a missing one, by its name
        tile("AXApplicationFile", "Thing"),  // the document test comes before the application test
        tile("AXFolderURL", "Both"),         // and the folder test before the document test
        tile("AXRecentApplicationDockItem", "Mail"),
        tile("AXDockItem", "News.webloc"),
        tile("AXDocumentDockItem", "Odd", 42.0),  // a URL that is no text: no path
        tile("AXFolderDockItem", "Web", "https://example.org/"),
        tile("AXFolderDockItem", "Broken", "file:///a%zz"),
        tile("AXDocumentDockItem", "Spaced", "file://localhost/Users/me/My%20Notes.txt/"),
        tile("AXApplicationDockItem", "", "/Applications/Gone.app/"),
        SimAXNode().set("AXSubrole", "AXFolderDockItem").set("AXTitle", AXError::noValue),
    });
    const auto entries = axReader().readEntries();
    ASSERT_TRUE(entries);
    EXPECT_THAT(
        *entries,
        ElementsAre(
            Entry(Trash{"Trash"}), Entry(Separator{}), Entry(Document{"Notes", std::nullopt}),
            Entry(Folder{"Applications", std::nullopt}), Entry(Folder{"アプリケーション", std::nullopt}),
            Entry(Application{"", safari, "com.apple.Safari"}),
            Entry(Application{"", (home_ / "Tools/Bare.app").string(), std::nullopt}),
            Entry(Folder{"", (home_ / "Projects").string()}),
            Entry(Folder{"", "/Volumes/Old/アプリケーション"}), Entry(Document{"Thing", std::nullopt}),
            Entry(Folder{"Both", std::nullopt}), Entry(Application{"Mail", std::nullopt, std::nullopt}),
            Entry(Document{"News.webloc", std::nullopt}), Entry(Document{"Odd", std::nullopt}),
            Entry(Folder{"Web", std::nullopt}), Entry(Folder{"Broken", std::nullopt}),
            Entry(Document{"Spaced", "/Users/me/My Notes.txt"}),
            Entry(Application{"", "/Applications/Gone.app", std::nullopt}), Entry(Folder{"", std::nullopt})));
}

TEST_F(DockAXOrderReaderTest, BundleIDsComeFromTheBundleOrTheApplicationThatOpensTheFile) {
    startWithDock({});
    const auto reader = axReader();
    std::filesystem::create_directories(home_ / "Docs");
    std::ofstream{home_ / "Docs/Paper.PDF"};
    EXPECT_EQ(reader.bundleID(disk("/Applications/Safari.app")), "com.apple.Safari");
    EXPECT_EQ(reader.bundleID((home_ / "Docs/Paper.PDF").string()), "com.apple.Preview");
    EXPECT_EQ(reader.bundleID((home_ / "Docs").string()),
              "com.apple.finder");  // folders open with the Finder
    EXPECT_EQ(reader.bundleID((home_ / "Docs/Plain.txt").string()), std::nullopt);
    EXPECT_EQ(reader.bundleID("/Applications/Gone.app"), std::nullopt);
    EXPECT_EQ(reader.bundleID(std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace tavelin
