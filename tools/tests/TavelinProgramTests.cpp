#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/ManualFileWatcher.h"
#include "platform/PlistFile.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"
#include "tools/DockSnapshotView.h"
#include "tools/PreferenceFileFollower.h"
#include "tools/TavelinOptions.h"
#include "tools/WorldCommands.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::expected<TavelinOptions, std::string> parse(std::vector<const char*> arguments) {
    return parseTavelinOptions(arguments);
}

TEST(TavelinOptions, ReadsEveryOptionAndNamesTheOneAtFault) {
    const auto options = parse({"--home", "/tmp/h", "--desktop", "d.json", "--json", "--exit-after", "1.5"});
    ASSERT_TRUE(options) << options.error();
    EXPECT_EQ(options->home, std::filesystem::path("/tmp/h"));
    EXPECT_EQ(options->desktop, std::filesystem::path("d.json"));
    EXPECT_TRUE(options->json);
    EXPECT_EQ(options->exitAfter, 1500ms);
    EXPECT_FALSE(parse({})->home);

    EXPECT_EQ(parse({"--home"}).error(), "--home needs a path");
    EXPECT_EQ(parse({"--exit-after", "soon"}).error(), "--exit-after needs a number of seconds");
    EXPECT_EQ(parse({"--exit-after", "-1"}).error(), "--exit-after needs a number of seconds");
    EXPECT_EQ(parse({"--exit-after", "nan"}).error(), "--exit-after needs a number of seconds");
    EXPECT_EQ(parse({"--verbose"}).error(), "unknown argument \"--verbose\"");
}

TEST(DockSnapshotView, ShowsTheTiersByRegionWithTheirMarks) {
    DockSnapshot snapshot{.dockGeneration = 4, .eventSequence = 6};
    snapshot.items = {
        DockItem{
            .itemID = ItemID("a"), .region = DockRegion::fixedApps, .title = "Finder", .isRunning = true},
        DockItem{.itemID = ItemID("b"),
                 .region = DockRegion::dockOthers,
                 .kind = DockItemKind::trash,
                 .title = "Trash",
                 .iconToken = IconToken("tavelin-trash-full")},
        DockItem{.itemID = ItemID("c"),
                 .region = DockRegion::fixedApps,
                 .title = "Safari",
                 .isRunning = true,
                 .isActive = true},
        DockItem{.itemID = ItemID("d"), .region = DockRegion::fixedApps, .title = "Notes", .isHidden = true},
        DockItem{.itemID = ItemID("e"),
                 .region = DockRegion::runningApps,
                 .title = "Preview",
                 .isRecentAppsTile = true},
    };
    EXPECT_EQ(readableDockSnapshot(snapshot),
              "Dock: generation 4, event sequence 6\n"
              "  fixed apps:    Finder (running)  Safari (running, active)  Notes (hidden)\n"
              "  running apps:  Preview (recent)\n"
              "  others:        Trash (full)\n");
}

class WorldCommandsTest : public ::testing::Test {
  protected:
    static sim::Desktop desktop() {
        return sim::Desktop{
            .applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                             {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"}}};
    }
    // The reply, or the refusal as the program shows it.
    std::string run(std::string_view line) {
        const auto reply = runWorldCommand(line, mac_);
        return reply ? *reply : "error: " + reply.error();
    }
    std::filesystem::path trash() { return *mac_.folders().trashDirectory(); }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    sim::SimMac mac_{desktop(), home_.path(), scheduler_, log_};
};

TEST_F(WorldCommandsTest, ApplicationCommandsActOnTheWorkspace) {
    EXPECT_THAT(run("launch com.apple.Notes"), HasSubstr("launched com.apple.Notes (process "));
    ASSERT_TRUE(mac_.workspace().process("com.apple.Notes"));
    EXPECT_EQ(run("launch com.apple.Notes"), "error: com.apple.Notes is running already");
    EXPECT_EQ(run("  activate   com.apple.Notes "), "activated com.apple.Notes");
    EXPECT_EQ(mac_.workspace().frontmostApplication()->bundleIdentifier, "com.apple.Notes");
    EXPECT_EQ(run("hide com.apple.Notes"), "hid com.apple.Notes");
    EXPECT_TRUE(mac_.workspace().process("com.apple.Notes")->isHidden);
    EXPECT_EQ(run("unhide com.apple.Notes"), "unhid com.apple.Notes");
    EXPECT_FALSE(mac_.workspace().process("com.apple.Notes")->isHidden);
    EXPECT_EQ(run("quit com.apple.Notes"), "quit com.apple.Notes");
    EXPECT_FALSE(mac_.workspace().process("com.apple.Notes"));

    EXPECT_EQ(run("launch com.example.none"), "error: no application com.example.none is installed");
    EXPECT_EQ(run("hide com.apple.Notes"), "error: com.apple.Notes is not running");
    EXPECT_EQ(run("launch"), "error: unknown command \"launch\"; type help");
    EXPECT_EQ(run("fly away"), "error: unknown command \"fly away\"; type help");
    EXPECT_EQ(run("   "), "");
    EXPECT_FALSE(mac_.application().isTerminated());
}

TEST_F(WorldCommandsTest, TrashCommandsTouchOnlyPlainNamesInTheTrash) {
    EXPECT_EQ(run("trash-add Old Notes.txt"), "put Old Notes.txt in the Trash");
    EXPECT_TRUE(std::filesystem::is_regular_file(trash() / "Old Notes.txt"));
    EXPECT_EQ(run("trash-add Old Notes.txt"), "error: Old Notes.txt is in the Trash already");
    EXPECT_EQ(run("trash-remove Old Notes.txt"), "removed Old Notes.txt from the Trash");
    EXPECT_FALSE(std::filesystem::exists(trash() / "Old Notes.txt"));
    EXPECT_EQ(run("trash-remove Old Notes.txt"), "error: Old Notes.txt is not in the Trash");

    // Nothing outside the Trash is reached.
    std::ofstream(home_ / "keep.txt") << "mine";
    for (const auto* name : {"../keep.txt", "..", ".", "a/b"}) {
        EXPECT_EQ(run(std::string("trash-remove ") + name),
                  "error: \"" + std::string(name) + "\" is not a plain file name");
        EXPECT_EQ(run(std::string("trash-add ") + name),
                  "error: \"" + std::string(name) + "\" is not a plain file name");
    }
    EXPECT_TRUE(std::filesystem::exists(home_ / "keep.txt"));
    std::filesystem::create_directories(trash() / "Folder" / "inside");
    EXPECT_EQ(run("trash-remove Folder"), "error: Folder is a folder; only files are removed");
    EXPECT_TRUE(std::filesystem::exists(trash() / "Folder" / "inside"));
}

TEST_F(WorldCommandsTest, QuitAloneEndsTheProgram) {
    EXPECT_EQ(run("quit"), "quitting");
    EXPECT_TRUE(mac_.application().isTerminated());
}

class PreferenceFileFollowerTest : public ::testing::Test {
  protected:
    PreferenceFileFollowerTest() {
        domain_.set("tilesize", PlistValue(std::int64_t{48}));
        follower_.emplace(domain_, watcher_, scheduler_.main(), log_);
    }
    void edited(const PlistValue& contents) {
        ASSERT_TRUE(writePlistFile(domain_.file(), contents, PlistFormat::binary));
        watcher_.emit(domain_.file().parent_path(), FileEvent::entryMovedTo);
        scheduler_.runUntilIdle();
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    ManualFileWatcher watcher_;
    UserDefaults domain_{"com.apple.dock", home_ / "Library/Preferences/com.apple.dock.plist", log_};
    std::optional<PreferenceFileFollower> follower_;
};

TEST_F(PreferenceFileFollowerTest, AnEditIsTakenAndTheDomainsOwnWritesChangeNothing) {
    int changes = 0;
    const auto counting = domain_.didChangePublisher().sink([&](const std::monostate&) { ++changes; });

    // The domain's own write, seen on disk: nothing to take.
    domain_.set("autohide", PlistValue(true));
    watcher_.emit(domain_.file(), FileEvent::write);
    scheduler_.runUntilIdle();
    EXPECT_EQ(changes, 1);

    edited(PlistValue(PlistDict{{"tilesize", PlistValue(std::int64_t{64})}}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(domain_.integerForKey("tilesize"), 64);
    EXPECT_FALSE(domain_.object("autohide"));
    EXPECT_THAT(log_.lines(), ElementsAre(HasSubstr("com.apple.dock.plist was edited")));

    // What it wrote back comes round again and changes nothing.
    watcher_.emit(domain_.file().parent_path(), FileEvent::entryMovedTo);
    scheduler_.runUntilIdle();
    EXPECT_EQ(changes, 2);
}

TEST_F(PreferenceFileFollowerTest, AFileThatIsNoDictionaryIsReportedAndNotTaken) {
    edited(PlistValue(PlistArray{PlistValue("not a domain")}));
    EXPECT_EQ(domain_.integerForKey("tilesize"), 48);
    ASSERT_TRUE(std::ofstream(domain_.file()) << "<plist><dict><key>half");
    watcher_.emit(domain_.file(), FileEvent::write);
    scheduler_.runUntilIdle();
    EXPECT_EQ(domain_.integerForKey("tilesize"), 48);
    EXPECT_THAT(log_.lines(),
                ElementsAre(HasSubstr("holds no dictionary"), HasSubstr("unreadable, kept as it was")));
}

}  // namespace
}  // namespace tavelin
