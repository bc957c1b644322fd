#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

class DockItemWindowHostTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    const DockItemWindowHost& host() { return support->host(); }

    static DockItem item(DockItemKind kind, std::optional<std::string> path,
                         std::optional<std::string> bundleID = {}) {
        DockItem item;
        item.itemID = ItemID("item");
        item.kind = kind;
        item.path = std::move(path);
        item.bundleID = std::move(bundleID);
        return item;
    }
    std::string file(const std::string& name) {
        const auto path = home.path() / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream{path} << "x";
        return path.string();
    }
    std::vector<std::int32_t> pids(const DockItem& item) {
        const auto set = host().processIDs(item);
        return {set.begin(), set.end()};
    }
};

TEST_F(DockItemWindowHostTest, TheHostComesFromTheBundleIDOrThePath) {
    installed("com.example.Reader", {"pdf"});
    installed("com.example.Browser", {"webloc", "inetloc"});
    mac->workspace().setDefaultApplication("https", "com.example.Browser");
    mac->workspace().setDefaultApplication("http", "com.example.Browser");
    std::filesystem::create_directories(home.path() / "Docs" / "Bundle.app");

    const std::pair<DockItem, std::optional<std::string>> cases[] = {
        {item(DockItemKind::file, file("a.pdf"), "com.example.Given"), "com.example.Given"},
        {item(DockItemKind::file, file("b.pdf"), ""), "com.example.Reader"},  // an empty one counts as none
        {item(DockItemKind::file, file("c.pdf")), "com.example.Reader"},
        {item(DockItemKind::folder, "/not/there"), "com.apple.finder"},
        {item(DockItemKind::file, (home.path() / "Docs").string()), "com.apple.finder"},
        {item(DockItemKind::app, (home.path() / "Docs/Bundle.app").string()), "com.apple.finder"},
        {item(DockItemKind::url, "https://example.org/a"), "com.example.Browser"},
        {item(DockItemKind::url, "HTTP://example.org"), "com.example.Browser"},
        {item(DockItemKind::url, file("Site.webloc")), "com.example.Browser"},
        {item(DockItemKind::file, file("Old.inetloc")), "com.example.Browser"},
        {item(DockItemKind::url, "mailto:someone@example.org"), std::nullopt},
        {item(DockItemKind::file, file("notes.txt")), std::nullopt},
        {item(DockItemKind::file, ""), std::nullopt},
        {item(DockItemKind::app, std::nullopt), std::nullopt},
    };
    for (const auto& [dockItem, expected] : cases) {
        EXPECT_EQ(host().hostBundleID(dockItem), expected) << dockItem.path.value_or("(no path)");
    }
    // A link whose scheme has no application.
    mac->workspace().setDefaultApplication("https", "com.example.NotInstalled");
    EXPECT_EQ(host().hostBundleID(item(DockItemKind::url, "https://example.org")), std::nullopt);
}

TEST_F(DockItemWindowHostTest, AnApplicationGainsItsHelpersInInsertionOrder) {
    const auto first = launch("com.example.App");
    launch("com.example.AppHelper");  // no "." after the identifier
    const auto helper = launch("com.example.App.Helper");
    const auto second = launch("com.example.App");
    const auto inside = launch("com.other.Tool", [&](RunningApplication& p) {
        p.executablePath = mac->diskPath("/Applications/com.example.App.app/Contents/Helpers/tool");
    });
    launch("com.other.Neighbour", [&](RunningApplication& p) {
        p.executablePath = mac->diskPath("/Applications/com.example.App.application/tool");
    });
    EXPECT_THAT(pids(appItem("com.example.App")), ElementsAre(first, second, helper, inside));
    EXPECT_THAT(host().runningApps(appItem("com.example.App")).size(), 2u);
}

TEST_F(DockItemWindowHostTest, AnInstanceWithoutABundlePathAddsNoProgramsInside) {
    const auto app = launch("com.example.App", [](RunningApplication& p) { p.bundlePath.reset(); });
    launch("com.other.Tool", [&](RunningApplication& p) {
        p.executablePath = mac->diskPath("/Applications/com.example.App.app/Contents/tool");
    });
    launch("com.other.Root", [](RunningApplication& p) { p.executablePath = "/tool"; });
    EXPECT_THAT(pids(appItem("com.example.App")), ElementsAre(app));
}

TEST_F(DockItemWindowHostTest, BrowsersAndWebAppsKeepTheirOwnInstancesOnly) {
    const auto chrome = launch("com.google.Chrome");
    launch("com.google.Chrome.helper");
    const auto shim = launch("com.google.Chrome.app.mail");
    launch("com.google.Chrome.app.mail.helper");
    EXPECT_THAT(pids(appItem("com.google.Chrome")), ElementsAre(chrome));
    EXPECT_THAT(pids(appItem("com.google.Chrome.app.mail")), ElementsAre(shim));
    EXPECT_TRUE(host().processIDs(appItem("com.example.NotRunning")).empty());
    EXPECT_TRUE(host().processIDs(item(DockItemKind::app, std::nullopt)).empty());
}

}  // namespace
}  // namespace tavelin
