#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <utility>

#include "mac/core/DockDropHandler.h"
#include "mac/core/tests/FolderWorld.h"
#include "platform/FileContents.h"
#include "platform/FileURL.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using Operation = sim::SimFileSystem::Operation;

Task<void> runDrop(const DockDropHandler& drops, std::vector<std::string> urls, DockItem target, bool copy,
                   std::optional<CommandResultPayload>& result) {
    result = co_await drops.performDrop(std::move(urls), std::move(target), copy);
}

class DockDropHandlerTest : public FolderWorld {
  protected:
    DockDropHandler drops{{mac().workspace(), mac().launchServices(), mac().fileSystem(),
                           mac().workspaceActions(), mac().dragPasteboard(), log_}};

    CommandResultPayload perform(std::vector<std::string> urls, const DockItem& target, bool copy = true) {
        std::optional<CommandResultPayload> result;
        startTask(scheduler_.main(), runDrop(drops, std::move(urls), target, copy, result));
        scheduler_.runUntilIdle();
        EXPECT_TRUE(result.has_value());
        return result.value_or(
            CommandResultPayload::failure(ProtocolError::internal("the drop did not finish")));
    }

    static std::string url(const fs::path& path) { return fileURL(path, false); }
    static CommandResultPayload notAllowed() {
        return CommandResultPayload::failure(ProtocolError::unavailable("drop not allowed"));
    }
    DockItem application(std::optional<std::string> bundleID, std::optional<fs::path> path) const {
        return DockItem{.itemID = ItemID("app"),
                        .kind = DockItemKind::app,
                        .bundleID = std::move(bundleID),
                        .path = path ? std::optional(path->string()) : std::nullopt,
                        .title = "App"};
    }
    fs::path installed(const char* bundleID) { return *mac().workspace().urlForApplication(bundleID); }
    // Everything in the folder, hidden entries too.
    std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(DockDropHandlerTest, OnlyFileURLsCountAndOnlyApplicationsFoldersAndTheTrashTakeThem) {
    const auto report = makeFile("Elsewhere/Report.pdf", "pdf");
    const auto web = std::vector<std::string>{"https://example.org/", "mailto:someone@example.org"};
    const auto preview = application("com.apple.Preview", std::nullopt);
    EXPECT_FALSE(drops.canAcceptDrop(web, preview));
    EXPECT_EQ(perform(web, preview), notAllowed());
    EXPECT_FALSE(drops.canAcceptDrop({}, preview));
    EXPECT_TRUE(drops.canAcceptDrop({web[0], url(report)}, preview));

    for (const auto kind : {DockItemKind::file, DockItemKind::url, DockItemKind::unknown}) {
        auto tile = folderItem("tile", makeFolder("Target"));
        tile.kind = kind;
        EXPECT_FALSE(drops.canAcceptDrop({url(report)}, tile)) << toString(kind);
        EXPECT_EQ(perform({url(report)}, tile), notAllowed());
    }
    EXPECT_TRUE(fs::exists(report));
}

TEST_F(DockDropHandlerTest, AnApplicationTakesWhatLaunchServicesOpensWithIt) {
    const auto notes = makeFile("Elsewhere/notes.txt", "text");
    const auto report = makeFile("Elsewhere/Report.pdf", "pdf");

    EXPECT_FALSE(drops.canAcceptDrop({url(notes)}, application("com.apple.Preview", std::nullopt)));
    EXPECT_FALSE(
        drops.canAcceptDrop({url(notes), url(report)}, application("com.apple.TextEdit", std::nullopt)));
    EXPECT_TRUE(drops.canAcceptDrop({url(notes)}, application("com.apple.TextEdit", std::nullopt)));
    // By the application's path when the workspace does not know the bundle ID, compared standardized.
    EXPECT_TRUE(drops.canAcceptDrop(
        {url(report)},
        application("com.example.unknown", installed("com.apple.Preview") / "Contents" / "..")));

    // A copy of TextEdit elsewhere: its bundle's identifier matches the candidate's.
    makeFolder("Old");
    fs::copy(installed("com.apple.TextEdit"), home_ / "Old/TextEdit.app", fs::copy_options::recursive);
    EXPECT_TRUE(drops.canAcceptDrop({url(notes)}, application(std::nullopt, home_ / "Old/TextEdit.app")));

    // Without a bundle ID and without a path ending in ".app", nothing is accepted.
    EXPECT_FALSE(drops.canAcceptDrop({url(notes)}, application(std::nullopt, home_ / "Old/TextEdit")));
    EXPECT_FALSE(drops.canAcceptDrop({url(notes)}, application(std::nullopt, std::nullopt)));
    // A file that no application opens.
    EXPECT_FALSE(drops.canAcceptDrop({url(makeFile("Elsewhere/data.xyz"))},
                                     application("com.apple.TextEdit", std::nullopt)));

    // A bundle that names no identifier is found by its standardized path alone.
    ASSERT_TRUE(writeFileAtomically(installed("com.apple.Preview") / "Contents/Info.plist",
                                    R"(<?xml version="1.0"?><plist version="1.0"><dict/></plist>)"));
    EXPECT_TRUE(drops.canAcceptDrop(
        {url(report)}, application("com.example.unknown", installed("com.apple.Preview") / "Contents" / "..")));
}

TEST_F(DockDropHandlerTest, DroppingOnAnApplicationOpensEveryFileInOneRequest) {
    const auto first = makeFile("Elsewhere/first.txt");
    const auto second = makeFile("Elsewhere/second.txt");
    const auto textEdit = application("com.apple.TextEdit", std::nullopt);

    EXPECT_EQ(perform({url(first), "https://example.org/", url(second)}, textEdit),
              CommandResultPayload::success());
    ASSERT_EQ(mac().workspaceActions().openRequests().size(), 1u);
    const auto& request = mac().workspaceActions().openRequests()[0];
    EXPECT_THAT(request.files, ElementsAre(first, second));
    EXPECT_EQ(request.application, installed("com.apple.TextEdit"));
    EXPECT_TRUE(request.configuration.activates);
    EXPECT_EQ(mac().workspace().frontmostApplication()->bundleIdentifier, "com.apple.TextEdit");

    mac().workspaceActions().setOpenError(WorkspaceError{"TextEdit cannot open these files."});
    EXPECT_EQ(perform({url(first)}, textEdit),
              CommandResultPayload::failure(ProtocolError::unavailable("TextEdit cannot open these files.")));
}

TEST_F(DockDropHandlerTest, AFolderRefusesFilesAlreadyInItAndFoldersThatHoldIt) {
    const auto dock = folderItem("dock", makeFolder("Parent/Dock"));
    const auto inside = makeFile("Parent/Dock/a.txt");
    const auto deeper = makeFile("Parent/Dock/Sub/b.txt");
    const auto outside = makeFile("Elsewhere/c.txt");

    EXPECT_FALSE(drops.canAcceptDrop({url(inside)}, dock));
    EXPECT_FALSE(drops.canAcceptDrop({url(deeper)}, dock));
    EXPECT_FALSE(drops.canAcceptDrop({url(outside), fileURL(*dock.path, true)}, dock));
    EXPECT_TRUE(drops.canAcceptDrop({url(outside)}, dock));
    // A sibling whose name only starts like the folder's.
    EXPECT_TRUE(drops.canAcceptDrop({url(makeFile("Parent/Dockyard.txt"))}, dock));

    // The folder that holds the Dock folder would be copied into itself until the disk is full.
    EXPECT_FALSE(drops.canAcceptDrop({fileURL(home_ / "Parent", true)}, dock));
    EXPECT_EQ(perform({fileURL(home_ / "Parent", true)}, dock), notAllowed());
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "Sub"));
}

TEST_F(DockDropHandlerTest, AFolderThatCannotBeWrittenRefusesEveryDrop) {
    const auto file = makeFile("Elsewhere/a.txt");
    auto dock = folderItem("dock", makeFolder("Locked"));
    files().setWritable(*dock.path, false);
    EXPECT_FALSE(drops.canAcceptDrop({url(file)}, dock));
    EXPECT_EQ(perform({url(file)}, dock), notAllowed());

    dock = folderItem("stick", makeFolder("Volumes/Stick/Docs"));
    files().mount(home_ / "Volumes/Stick", {.isRemovable = true, .isEjectable = true, .isLocal = true}, true);
    EXPECT_FALSE(drops.canAcceptDrop({url(file)}, dock));

    dock = folderItem("values", makeFolder("Unreadable"));
    files().refuse(Operation::readValues, *dock.path, FileSystemError::posix(EIO, *dock.path));
    EXPECT_FALSE(drops.canAcceptDrop({url(file)}, dock));

    EXPECT_FALSE(drops.canAcceptDrop({url(file)}, folderItem("gone", home_ / "Gone")));
    EXPECT_FALSE(drops.canAcceptDrop({url(file)}, folderItem("file", makeFile("Plain.txt"))));
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(DockDropHandlerTest, AFolderDropCopiesOrMovesAndReplacesItemsOfTheSameName) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    makeFile("Dock/a.txt", "old a");
    const auto a = makeFile("Elsewhere/a.txt", "new a");
    const auto b = makeFile("Elsewhere/b.txt", "new b");

    EXPECT_EQ(perform({url(a), url(b)}, dock, true), CommandResultPayload::success());
    EXPECT_EQ(readFile(home_ / "Dock/a.txt"), "new a");
    EXPECT_EQ(readFile(home_ / "Dock/b.txt"), "new b");
    EXPECT_TRUE(fs::exists(a));
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "b.txt"));

    makeFile("Elsewhere/a.txt", "newer a");
    EXPECT_EQ(perform({url(a)}, dock, false), CommandResultPayload::success());
    EXPECT_EQ(readFile(home_ / "Dock/a.txt"), "newer a");
    EXPECT_FALSE(fs::exists(a));
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "b.txt"));

    // A folder replaces a file of its name, whole.
    makeFile("Other/b.txt/inner.txt", "inside");
    EXPECT_EQ(perform({fileURL(home_ / "Other/b.txt", true)}, dock, false), CommandResultPayload::success());
    EXPECT_EQ(readFile(home_ / "Dock/b.txt/inner.txt"), "inside");
}

TEST_F(DockDropHandlerTest, TheSecondOfThreeFilesFailingEndsTheDropAndKeepsWhatWasThere) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    makeFile("Dock/b.txt", "the user's b");
    const auto a = makeFile("Elsewhere/a.txt", "a");
    const auto b = makeFile("Elsewhere/b.txt", "dropped b");
    const auto c = makeFile("Elsewhere/c.txt", "c");
    files().refuse(Operation::copy, b, FileSystemError::posix(ENOSPC, b));

    EXPECT_EQ(
        perform({url(a), url(b), url(c)}, dock, true),
        CommandResultPayload::failure(ProtocolError::unavailable(b.string() + ": No space left on device")));
    EXPECT_EQ(readFile(home_ / "Dock/a.txt"), "a");
    EXPECT_EQ(readFile(home_ / "Dock/b.txt"), "the user's b");  // not removed before the copy
    EXPECT_FALSE(fs::exists(home_ / "Dock/c.txt"));
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "b.txt"));
}

TEST_F(DockDropHandlerTest, AReplacementThatCannotBeSwappedInPutsEverythingBack) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    const auto existing = makeFile("Dock/a.txt", "the user's a");
    const auto a = makeFile("Elsewhere/a.txt", "dropped a");
    const auto busy = FileSystemError::posix(EBUSY, existing);

    // The old item cannot move aside, or the new one cannot take its place (the first move onto the
    // old item's name in a drop; the second puts the old item back).
    files().refuse(Operation::move, existing, busy);
    bool swapRefused = false;
    files().refuseWhere(
        Operation::move,
        [&](const fs::path&, const fs::path& to) {
            return to == existing && !std::exchange(swapRefused, true);
        },
        busy);
    for (const bool moveAside : {false, true}) {
        if (moveAside) files().allow(Operation::move, existing);
        for (const bool copy : {true, false}) {
            swapRefused = !moveAside;
            EXPECT_EQ(perform({url(a)}, dock, copy),
                      CommandResultPayload::failure(ProtocolError::unavailable(busy.localizedDescription)));
            EXPECT_EQ(readFile(existing), "the user's a");
            EXPECT_EQ(readFile(a), "dropped a") << "copy " << copy;
            EXPECT_THAT(namesIn(*dock.path), ElementsAre("a.txt"));
        }
    }
    EXPECT_THAT(log_.lines(), IsEmpty());

    // A move that fails leaves the dropped file where it was.
    files().refuse(Operation::move, a, FileSystemError::posix(EACCES, a));
    EXPECT_FALSE(perform({url(a)}, dock, false).isSuccess());
    EXPECT_EQ(readFile(a), "dropped a");
    EXPECT_EQ(readFile(existing), "the user's a");
    EXPECT_THAT(namesIn(*dock.path), ElementsAre("a.txt"));
}

TEST_F(DockDropHandlerTest, TwoItemsOfOneNameAreRefusedBeforeAnythingMoves) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    const auto one = makeFile("One/x.txt", "one");
    const auto two = makeFile("Two/x.txt", "two");
    const auto other = makeFile("Two/y.txt", "y");

    EXPECT_FALSE(drops.canAcceptDrop({url(other), url(one), url(two)}, dock));
    for (const bool copy : {false, true}) {
        EXPECT_EQ(perform({url(other), url(one), url(two)}, dock, copy), notAllowed());
    }
    EXPECT_EQ(readFile(one), "one");
    EXPECT_EQ(readFile(two), "two");
    EXPECT_TRUE(fs::exists(other));
    EXPECT_THAT(namesIn(*dock.path), IsEmpty());
}

TEST_F(DockDropHandlerTest, AnyNameThatFitsCanBeReplaced) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    const auto name = std::string(226, 'n') + ".txt";
    makeFile("Dock/" + name, "old");
    const auto dropped = makeFile("Elsewhere/" + name, "new");

    EXPECT_EQ(perform({url(dropped)}, dock, false), CommandResultPayload::success());
    EXPECT_EQ(readFile(fs::path(*dock.path) / name), "new");
    EXPECT_FALSE(fs::exists(dropped));
    EXPECT_THAT(namesIn(*dock.path), ElementsAre(name));
}

TEST_F(DockDropHandlerTest, AnOldItemThatCannotBeRemovedIsKeptAsideAndTheDropGoesOn) {
    const auto dock = folderItem("dock", makeFolder("Dock"));
    makeFile("Dock/a.txt", "old a");
    makeFile("Dock/b.txt", "old b");
    const auto a = makeFile("Elsewhere/a.txt", "new a");
    const auto b = makeFile("Elsewhere/b.txt", "new b");
    const auto inDockAndHidden = [&](const fs::path& path, const fs::path&) {
        return path.parent_path() == *dock.path && path.filename().string().starts_with('.');
    };
    files().refuseWhere(Operation::remove, inDockAndHidden, FileSystemError::posix(EBUSY, *dock.path));

    EXPECT_EQ(perform({url(a), url(b)}, dock, false), CommandResultPayload::success());
    EXPECT_EQ(readFile(fs::path(*dock.path) / "a.txt"), "new a");
    EXPECT_EQ(readFile(fs::path(*dock.path) / "b.txt"), "new b");
    // Each old item is where the log says, whole.
    const auto lines = log_.lines();
    ASSERT_EQ(lines.size(), 2u);
    std::vector<std::string> kept;
    for (const auto& line : lines) {
        const std::string prefix = "Tavelin drop: kept the replaced item at ";
        ASSERT_TRUE(line.starts_with(prefix)) << line;
        const auto path = line.substr(prefix.size(), line.find(": ", prefix.size()) - prefix.size());
        EXPECT_TRUE(inDockAndHidden(path, {})) << path;
        EXPECT_LE(fs::path(path).filename().string().size(), 20u) << path;
        kept.push_back(readFile(path));
    }
    EXPECT_THAT(kept, ElementsAre("old a", "old b"));
}

// Across volumes a move copies: the source goes only once the new item stands under its name.
TEST_F(DockDropHandlerTest, AMoveAcrossVolumesRemovesTheSourceLast) {
    struct stat home {
    }, shared{};
    if (::stat("/dev/shm", &shared) != 0 || ::stat(home_.path().c_str(), &home) != 0 ||
        home.st_dev == shared.st_dev) {
        GTEST_SKIP() << "no second volume at /dev/shm";
    }
    TemporaryFolder elsewhere("/dev/shm");
    const auto dock = folderItem("dock", makeFolder("Dock"));
    makeFile("Dock/a.txt", "old a");
    const auto write = [](const fs::path& path, std::string_view text) { std::ofstream(path) << text; };
    const auto a = elsewhere / "a.txt";
    const auto b = elsewhere / "b.txt";
    write(a, "new a");
    write(b, "new b");
    const auto busy = [](const fs::path& path) { return FileSystemError::posix(EBUSY, path); };
    files().refuse(Operation::remove, a, busy(a));
    files().refuse(Operation::remove, b, busy(b));

    // Replacing, and not.
    for (const auto& [source, expected] : {std::pair(a, "new a"), std::pair(b, "new b")}) {
        EXPECT_EQ(
            perform({url(source)}, dock, false),
            CommandResultPayload::failure(ProtocolError::unavailable(busy(source).localizedDescription)));
        EXPECT_EQ(readFile(fs::path(*dock.path) / source.filename()), expected);
        EXPECT_EQ(readFile(source), expected);
    }
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "b.txt"));

    files().allow(Operation::remove, a);
    write(a, "newer a");
    EXPECT_EQ(perform({url(a)}, dock, false), CommandResultPayload::success());
    EXPECT_EQ(readFile(fs::path(*dock.path) / "a.txt"), "newer a");
    EXPECT_FALSE(fs::exists(a));
    EXPECT_THAT(namesIn(*dock.path), UnorderedElementsAre("a.txt", "b.txt"));
}

TEST_F(DockDropHandlerTest, TheTrashTakesDeletableFilesInOneRecycleOperation) {
    const DockItem trash{.itemID = ItemID("trash"), .kind = DockItemKind::trash, .title = "Trash"};
    const auto a = makeFile("Elsewhere/a.txt", "a");
    const auto b = makeFile("Elsewhere/b.txt", "b");
    const auto keep = makeFile("Elsewhere/keep.txt");
    files().setDeletable(keep, false);

    EXPECT_FALSE(drops.canAcceptDrop({url(a), url(keep)}, trash));
    EXPECT_EQ(perform({url(a), url(keep)}, trash), notAllowed());
    EXPECT_THAT(mac().workspaceActions().recycleRequests(), IsEmpty());

    EXPECT_EQ(perform({url(a), url(b)}, trash), CommandResultPayload::success());
    EXPECT_THAT(mac().workspaceActions().recycleRequests(), ElementsAre(ElementsAre(a, b)));
    EXPECT_EQ(readFile(home_ / ".Trash/a.txt"), "a");
    EXPECT_FALSE(fs::exists(a));

    mac().workspaceActions().setRecycleError(WorkspaceError{"The Trash is busy."});
    const auto c = makeFile("Elsewhere/c.txt");
    EXPECT_EQ(perform({url(c)}, trash),
              CommandResultPayload::failure(ProtocolError::unavailable("The Trash is busy.")));
    EXPECT_TRUE(fs::exists(c));
}

TEST_F(DockDropHandlerTest, TheDragPasteboardGivesItsFileURLsOnly) {
    mac().dragPasteboard().setURLs({"file:///Users/me/a.txt", "https://example.org/", "file:///Users/me/b/"});
    EXPECT_THAT(drops.fileURLsOnDragPasteboard(),
                ElementsAre("file:///Users/me/a.txt", "file:///Users/me/b/"));
    mac().dragPasteboard().setReadable(false);
    EXPECT_THAT(drops.fileURLsOnDragPasteboard(), IsEmpty());
}

}  // namespace
}  // namespace tavelin
