#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <mutex>
#include <thread>

#include "mac/core/IconService.h"
#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class IconServiceTest : public ::testing::Test {
  protected:
    static sim::Desktop desktop() {
        return sim::Desktop{
            .applications = {
                {"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
            }};
    }

    IconServiceTest() {
        invalidatedObserver_ = mac_.notificationCenter().addObserver(
            std::string(kIconInvalidatedNotification), nullptr, nullptr, [this](const Notification& note) {
                const auto* tokens = note.userInfoValue<std::vector<IconToken>>("tokens");
                ASSERT_NE(tokens, nullptr);
                std::lock_guard lock(invalidatedMutex_);
                invalidated_.push_back(*tokens);
            });
    }

    std::string disk(const std::string& macPath) const { return mac_.diskPath(macPath).string(); }

    // A picture of one colour as the application's own icon.
    void giveIcon(const std::string& bundle, Rgba colour, int width = 300, int height = 300) {
        const auto file = std::filesystem::path(bundle) / "Contents/Resources/AppIcon.png";
        std::filesystem::create_directories(file.parent_path());
        const auto png = encodePNG(Bitmap(width, height, colour));
        ASSERT_TRUE(png);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
    }

    static Bitmap decoded(const std::optional<Bytes>& png) {
        EXPECT_TRUE(png);
        if (!png) return {};
        auto bitmap = decodePNG(png->data);
        EXPECT_TRUE(bitmap) << bitmap.error().message;
        return bitmap ? *bitmap : Bitmap{};
    }
    static Rgba centre(const std::optional<Bytes>& png) { return decoded(png).pixel(64, 64); }

    // What the service renders for a named picture: the expected bytes of a Trash picture.
    Bytes rendered(NamedImage name) {
        auto png = encodePNG(drawnInSquare(*mac_.workspaceIcons().namedImage(name), 128));
        EXPECT_TRUE(png);
        return Bytes{png ? *png : std::vector<std::uint8_t>{}};
    }

    void fillTrash(const std::string& name = "old.txt") { std::ofstream(home_ / ".Trash" / name) << "x"; }

    static DockItem item(std::string id, DockItemKind kind, std::optional<std::string> path,
                         std::optional<std::string> bundleID = std::nullopt) {
        return DockItem{.itemID = ItemID(std::move(id)),
                        .kind = kind,
                        .bundleID = std::move(bundleID),
                        .path = std::move(path)};
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    sim::SimMac mac_{desktop(), home_.path(), scheduler_, log_};
    IconService icons_{{mac_.workspaceIcons(), mac_.workspace(), mac_.fileSystem(), mac_.folders(),
                        mac_.host(), mac_.notificationCenter()}};
    // The tokens of each "tavelin.iconInvalidated", posted on any thread.
    std::vector<std::vector<IconToken>> invalidated() {
        std::lock_guard lock(invalidatedMutex_);
        return invalidated_;
    }

    std::mutex invalidatedMutex_;
    std::vector<std::vector<IconToken>> invalidated_;
    ObserverToken invalidatedObserver_;
};

TEST_F(IconServiceTest, TokensAreTheFirstEightDigestBytesInLowerCaseHex) {
    EXPECT_EQ(icons_.tokenForBundleID("com.apple.Safari"), IconToken("d136b780bbb3a090"));
    EXPECT_EQ(icons_.token("/Applications/Safari.app"), IconToken("c148a31a5278fa2b"));
    EXPECT_EQ(icons_.token("/Users/me/Downloads"), IconToken("60946cae8b9b7023"));
    // A first byte below 16 keeps its leading zero.
    EXPECT_EQ(icons_.token("/tmp/doc-9.txt"), IconToken("02fe47b9cabe5b05"));
    EXPECT_EQ(icons_.token("/Users/me/Downloads"), icons_.token("/Users/me/Downloads"));
    EXPECT_EQ(icons_.token(std::nullopt), std::nullopt);
    EXPECT_EQ(icons_.tokenForBundleID(std::nullopt), std::nullopt);
}

TEST_F(IconServiceTest, APathSpelledLikeABundleSourceNamesTheSameApplication) {
    giveIcon(disk("/Applications/Safari.app"), {200, 0, 0, 255});
    const auto byPath = icons_.token("bundle:com.apple.Safari");
    EXPECT_EQ(byPath, icons_.tokenForBundleID("com.apple.Safari"));
    // Registered with the same source: the token gives the application's icon.
    const auto records = icons_.iconData({*byPath}, {});
    ASSERT_EQ(records.size(), 1u);
    const auto png = base64Decode(records[0].pngBase64);
    EXPECT_EQ(centre(Bytes{png->data}), (Rgba{200, 0, 0, 255}));
}

TEST_F(IconServiceTest, TheRegistryEvictsByFirstRegistrationAndAnnouncesEachEviction) {
    std::vector<IconToken> tokens;
    for (int i = 0; i < 4096; ++i) tokens.push_back(*icons_.token("/files/" + std::to_string(i)));
    icons_.token("/files/0");  // registering again does not move it back
    EXPECT_THAT(invalidated(), IsEmpty());

    icons_.token("/files/4096");
    EXPECT_THAT(invalidated(), ElementsAre(ElementsAre(tokens[0])));
    icons_.token("/files/4097");
    EXPECT_THAT(invalidated(), ElementsAre(ElementsAre(tokens[0]), ElementsAre(tokens[1])));
    // The evicted tokens name nothing any more; a registered one still resolves.
    EXPECT_THAT(icons_.iconData({tokens[0], tokens[1], tokens[2]}, {}), ::testing::SizeIs(1));
}

TEST_F(IconServiceTest, AnObserverMayCallBackIntoTheServiceFromTheNotice) {
    std::vector<IconData> seenByObserver;
    auto observer = mac_.notificationCenter().addObserver(
        std::string(kIconInvalidatedNotification), nullptr, nullptr, [&](const Notification&) {
            seenByObserver = icons_.iconData({*icons_.token(disk("/Applications/Safari.app"))}, {});
        });
    for (int i = 0; i <= 4096; ++i) icons_.token("/files/" + std::to_string(i));
    icons_.invalidateTokens({IconToken("/files/7")});
    EXPECT_EQ(seenByObserver.size(), 1u);
}

TEST_F(IconServiceTest, AttachTokensFollowsTheRulesInOrder) {
    fillTrash(".DS_Store");  // a hidden entry makes the Trash full too
    const auto safari = disk("/Applications/Safari.app");
    const auto document = (home_ / "notes.txt").string();
    std::ofstream(document) << "notes";
    const auto program = mac_.host().mainBundle();

    std::vector<DockItem> items{
        item("stale", DockItemKind::app, "/Applications/Old/Safari.app", "com.apple.Safari"),
        item("doc", DockItemKind::file, document, "com.apple.TextEdit"),
        item("gone", DockItemKind::file, "/no/such/file"),
        item("nothing", DockItemKind::file, std::nullopt),
        item("self", DockItemKind::app, std::nullopt, program.identifier),
        item("trash", DockItemKind::trash, (home_ / ".Trash").string()),
        item("unknown-app", DockItemKind::app, std::nullopt, "org.example.Missing"),
    };
    items[3].iconToken = IconToken("kept");
    icons_.attachTokens(items);

    EXPECT_EQ(items[0].path, safari);
    EXPECT_EQ(items[0].bundleID, "com.apple.Safari");
    EXPECT_EQ(items[0].iconToken, IconToken("d136b780bbb3a090"));
    EXPECT_EQ(items[1].iconToken, icons_.token(document));  // a document by its path, not its bundle
    EXPECT_EQ(items[2].path, "/no/such/file");
    EXPECT_EQ(items[2].iconToken, icons_.token("/no/such/file"));
    EXPECT_EQ(items[3].iconToken, IconToken("kept"));
    EXPECT_EQ(items[4].path, program.path.string());
    EXPECT_EQ(items[4].iconToken, icons_.tokenForBundleID(program.identifier));
    EXPECT_EQ(items[5].iconToken, IconToken(kTrashTokenFull));
    EXPECT_EQ(items[6].path, std::nullopt);
    EXPECT_EQ(items[6].iconToken, icons_.tokenForBundleID("org.example.Missing"));

    std::filesystem::remove(home_ / ".Trash/.DS_Store");
    icons_.attachTokens(items);
    EXPECT_EQ(items[5].iconToken, IconToken(kTrashTokenEmpty));
}

TEST_F(IconServiceTest, Png128IsA128PixelSquareCachedByResolvedSource) {
    const auto safari = disk("/Applications/Safari.app");
    giveIcon(safari, {0, 0, 200, 255}, 512, 256);
    const auto png = icons_.png128(safari, std::nullopt);
    const auto bitmap = decoded(png);
    EXPECT_EQ(bitmap.width, 128);
    EXPECT_EQ(bitmap.height, 128);
    EXPECT_EQ(bitmap.pixel(64, 64), (Rgba{0, 0, 200, 255}));

    // Served from the cache: a new icon on disk is not read again, and a stale path resolves to the
    // same key.
    giveIcon(safari, {0, 200, 0, 255});
    EXPECT_EQ(icons_.png128(safari, std::nullopt), png);
    EXPECT_EQ(icons_.png128("/Applications/Gone/Safari.app", "com.apple.Safari"), png);
    // The switcher tells a changed picture by its pointer: a hit shares the cache's own and draws nothing.
    Bitmap drawn;
    const auto shared = icons_.sharedPNG128(safari, std::nullopt, &drawn);
    EXPECT_EQ(icons_.sharedPNG128(safari, std::nullopt), shared);
    EXPECT_TRUE(drawn.empty());

    // Forgetting the token drops its picture; the new one is a new pointer, and the bitmap drawn for it
    // is what its PNG decodes to.
    icons_.invalidateTokens({*icons_.token(safari)});
    const auto again = icons_.sharedPNG128(safari, std::nullopt, &drawn);
    ASSERT_TRUE(again);
    EXPECT_NE(again, shared);
    EXPECT_EQ(centre(*again), (Rgba{0, 200, 0, 255}));
    EXPECT_EQ(drawn, decoded(*again));
}

TEST_F(IconServiceTest, Png128ChoosesTheFileThenTheApplicationThenTheProgramsOwnIcon) {
    giveIcon(disk("/Applications/Safari.app"), {10, 20, 30, 255});
    giveIcon(mac_.host().mainBundle().path.string(), {40, 50, 60, 255});
    const auto folder = home_ / "Projects";
    std::filesystem::create_directories(folder);

    EXPECT_EQ(decoded(icons_.png128(folder.string(), std::nullopt)),
              decoded(Bytes{*encodePNG(drawnInSquare(mac_.workspaceIcons().iconForFile(folder), 128))}));
    EXPECT_EQ(centre(icons_.png128("/gone/Safari.app", "com.apple.Safari")), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(centre(icons_.png128("/gone/file", std::nullopt)), (Rgba{40, 50, 60, 255}));
    EXPECT_EQ(centre(icons_.png128(std::nullopt, "org.example.Missing")), (Rgba{40, 50, 60, 255}));
}

// The pictures are kept per state, so each request still reads the state: never the picture of the
// state before.
TEST_F(IconServiceTest, TheTrashPictureFollowsItsStateAcrossItsCachedPictures) {
    const auto trash = (home_ / ".Trash").string();
    EXPECT_EQ(icons_.png128(trash, std::nullopt), rendered(NamedImage::trashEmpty));
    fillTrash();
    EXPECT_EQ(icons_.png128(trash, std::nullopt), rendered(NamedImage::trashFull));
    EXPECT_EQ(icons_.png128(trash + "/", std::nullopt), rendered(NamedImage::trashFull));
    EXPECT_EQ(icons_.trashPNG128(), rendered(NamedImage::trashFull));
    EXPECT_NE(rendered(NamedImage::trashFull), rendered(NamedImage::trashEmpty));

    std::filesystem::remove(home_ / ".Trash/old.txt");
    EXPECT_EQ(icons_.png128(trash, std::nullopt), rendered(NamedImage::trashEmpty));
}

TEST_F(IconServiceTest, AnUnreadableOrMissingTrashIsEmpty) {
    const auto trash = home_ / ".Trash";
    fillTrash();
    EXPECT_TRUE(icons_.isTrashFull());
    mac_.fileSystem().refuse(sim::SimFileSystem::Operation::list, trash,
                             FileSystemError::posix(EACCES, trash));
    EXPECT_FALSE(icons_.isTrashFull());
    mac_.fileSystem().allow(sim::SimFileSystem::Operation::list, trash);
    std::filesystem::remove_all(trash);
    EXPECT_FALSE(icons_.isTrashFull());
}

TEST_F(IconServiceTest, IconDataAnswersInRequestOrderAndLeavesOutWhatHasNoPicture) {
    giveIcon(disk("/Applications/Safari.app"), {1, 2, 3, 255});
    fillTrash();
    std::vector<DockItem> items{item("safari", DockItemKind::app, "/stale/Safari.app", "com.apple.Safari"),
                                item("trash", DockItemKind::trash, (home_ / ".Trash").string())};
    icons_.attachTokens(items);
    const auto safari = *items[0].iconToken;

    const auto records = icons_.iconData(
        {IconToken(kTrashTokenEmpty), IconToken("0123456789abcdef"), safari, IconToken(kTrashToken)}, items);
    ASSERT_EQ(records.size(), 3u);
    // The Trash's current picture, under the token that was asked for.
    EXPECT_EQ(records[0].token, IconToken(kTrashTokenEmpty));
    EXPECT_EQ(base64Decode(records[0].pngBase64), rendered(NamedImage::trashFull));
    EXPECT_EQ(records[1].token, safari);
    EXPECT_EQ(records[1].pixelSize, 128);
    EXPECT_EQ(centre(Bytes{base64Decode(records[1].pngBase64)->data}), (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(records[2].token, IconToken(kTrashToken));
}

TEST_F(IconServiceTest, IconDataReadsFolderChildrenFromTheRegistry) {
    const auto file = home_ / "Documents/report.pdf";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "%PDF";
    FolderSnapshot snapshot;
    snapshot.children = {FolderChild{.childID = ChildID("a"), .title = "report.pdf", .path = file.string()},
                         FolderChild{.childID = ChildID("b"), .title = "no path"},
                         FolderChild{.childID = ChildID("c"),
                                     .title = "given",
                                     .path = (home_ / "Documents").string(),
                                     .iconToken = IconToken("feedfacefeedface")}};
    icons_.registerFolderSnapshot(snapshot);

    const auto records = icons_.iconData({*icons_.token(file.string()), IconToken("feedfacefeedface")}, {});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(base64Decode(records[1].pngBase64),
              Bytes{*encodePNG(drawnInSquare(mac_.workspaceIcons().iconForFile(home_ / "Documents"), 128))});
}

TEST_F(IconServiceTest, InvalidationForgetsTokensAndAnnouncesThemOnce) {
    const auto token = *icons_.token((home_ / "a").string());
    icons_.invalidateTokens({token, IconToken(kTrashToken)});
    EXPECT_THAT(invalidated(), ElementsAre(ElementsAre(token, IconToken(kTrashToken))));
    EXPECT_THAT(icons_.iconData({token}, {}), IsEmpty());
    icons_.invalidateTokens({});
    EXPECT_EQ(invalidated().size(), 1u);
}

TEST_F(IconServiceTest, ManyThreadsMayRegisterAndRenderAtOnce) {
    giveIcon(disk("/Applications/Safari.app"), {9, 9, 9, 255});
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 1500; ++i) {
                icons_.token("/thread/" + std::to_string(t) + "/" + std::to_string(i));
                if (i % 100 == 0) (void)icons_.png128(std::nullopt, "com.apple.Safari");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    // 6000 registrations over a cap of 4096.
    EXPECT_EQ(invalidated().size(), 6000u - IconService::kRegistryCap);
}

TEST(IconCacheTest, DropsTheLeastRecentlyUsedAtEitherBound) {
    const auto png = [](std::size_t size) {
        return std::make_shared<const Bytes>(Bytes{std::vector<std::uint8_t>(size, 1)});
    };
    IconCache cache(3, 100);
    cache.store("a", png(10));
    cache.store("b", png(10));
    cache.store("c", png(10));
    ASSERT_NE(cache.find("a"), nullptr);  // now b is the oldest
    cache.store("d", png(10));
    EXPECT_EQ(cache.find("b"), nullptr);
    EXPECT_EQ(cache.count(), 3u);

    cache.store("e", png(85));  // over 100 bytes unless two go
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.find("a"), nullptr);
    EXPECT_NE(cache.find("d"), nullptr);
    EXPECT_NE(cache.find("e"), nullptr);
    EXPECT_EQ(cache.bytes(), 95u);

    cache.store("huge", png(101));
    EXPECT_EQ(cache.find("huge"), nullptr);
    cache.store("d", png(5));  // replacing counts the new size
    EXPECT_EQ(cache.bytes(), 90u);
}

}  // namespace
}  // namespace tavelin
