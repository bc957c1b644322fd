#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/FileContents.h"
#include "platform/PlistFile.h"
#include "platform/UserDefaults.h"
#include "platform/UserDefaultsDomains.h"
#include "platform/tests/PlistPrinting.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;

class UserDefaultsTest : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return folder_ / "Library/Preferences/jp.fenwold.lomaret.plist"; }

    std::unique_ptr<UserDefaults> open() {
        return std::make_unique<UserDefaults>("jp.fenwold.lomaret", file(), log_);
    }

    // Opens the domain over a file that holds `values`.
    std::unique_ptr<UserDefaults> openWith(const PlistDict& values,
                                           PlistFormat format = PlistFormat::binary) {
        EXPECT_TRUE(writePlistFile(file(), values, format));
        return open();
    }

    PlistValue fileValue() const {
        auto value = readPlistFile(file());
        EXPECT_TRUE(value) << value.error().message;
        return value ? *value : PlistValue();
    }

    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(file().parent_path())) {
            names.push_back(entry.path().filename().string());
        }
        std::ranges::sort(names);
        return names;
    }

    TemporaryFolder folder_;
    CapturedSystemLog log_;
};

TEST_F(UserDefaultsTest, BoolForKeyCoercesAsThePlatformDoes) {
    const auto defaults = openWith({{"true", true},
                                    {"false", false},
                                    {"one", 1},
                                    {"zero", 0},
                                    {"minus", -1},
                                    {"half", 0.5},
                                    {"realZero", 0.0},
                                    {"YES", "YES"},
                                    {"yes", "yes"},
                                    {"True", "True"},
                                    {"digit", "1"},
                                    {"no", "NO"},
                                    {"two", "2"},
                                    {"blank", ""},
                                    {"list", PlistArray{true}},
                                    {"data", Bytes{{1}}}});
    for (const auto* key : {"true", "one", "minus", "half", "YES", "yes", "True", "digit"}) {
        EXPECT_TRUE(defaults->boolForKey(key)) << key;
    }
    for (const auto* key : {"false", "zero", "realZero", "no", "two", "blank", "list", "data", "absent"}) {
        EXPECT_FALSE(defaults->boolForKey(key)) << key;
    }
}

TEST_F(UserDefaultsTest, StringForKeyGivesTextOfNumbersAndNothingForOtherTypes) {
    const auto defaults = openWith({{"text", "Tab"},
                                    {"count", 42},
                                    {"negative", -7},
                                    {"ratio", 1.5},
                                    {"whole", 2.0},
                                    {"flag", true},
                                    {"list", PlistArray{"a"}},
                                    {"dict", PlistDict{}}});
    EXPECT_THAT(defaults->stringForKey("text"), Optional(std::string("Tab")));
    EXPECT_THAT(defaults->stringForKey("count"), Optional(std::string("42")));
    EXPECT_THAT(defaults->stringForKey("negative"), Optional(std::string("-7")));
    EXPECT_THAT(defaults->stringForKey("ratio"), Optional(std::string("1.5")));
    EXPECT_THAT(defaults->stringForKey("whole"), Optional(std::string("2")));
    EXPECT_THAT(defaults->stringForKey("flag"), Optional(std::string("1")));
    EXPECT_EQ(defaults->stringForKey("list"), std::nullopt);
    EXPECT_EQ(defaults->stringForKey("dict"), std::nullopt);
    EXPECT_EQ(defaults->stringForKey("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, StringArrayForKeyNeedsEveryElementToBeAString) {
    const auto defaults = openWith({{"ids", PlistArray{"com.apple.Safari", "com.apple.mail"}},
                                    {"none", PlistArray{}},
                                    {"mixed", PlistArray{"com.apple.Safari", 3}},
                                    {"single", "com.apple.Safari"}});
    EXPECT_THAT(defaults->stringArrayForKey("ids"),
                Optional(ElementsAre("com.apple.Safari", "com.apple.mail")));
    EXPECT_THAT(defaults->stringArrayForKey("none"), Optional(IsEmpty()));
    EXPECT_EQ(defaults->stringArrayForKey("mixed"), std::nullopt);
    EXPECT_EQ(defaults->stringArrayForKey("single"), std::nullopt);
    EXPECT_EQ(defaults->stringArrayForKey("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, IntegerForKeyTruncatesSaturatesAndReadsLeadingDigits) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const auto defaults = openWith({{"version", 1},
                                    {"negative", -12},
                                    {"up", 3.9},
                                    {"down", -3.9},
                                    {"huge", 1e300},
                                    {"tiny", -1e300},
                                    {"nan", std::nan("")},
                                    {"flag", true},
                                    {"text", "12abc"},
                                    {"spaced", "  -5"},
                                    {"words", "abc"},
                                    {"long", "99999999999999999999"},
                                    {"data", Bytes{{7}}}});
    const std::pair<const char*, std::int64_t> expected[] = {
        {"version", 1}, {"negative", -12}, {"up", 3},   {"down", -3}, {"huge", kMax},
        {"tiny", kMin}, {"nan", 0},        {"flag", 1}, {"text", 12}, {"spaced", -5},
        {"words", 0},   {"long", kMax},    {"data", 0}, {"absent", 0}};
    for (const auto& [key, value] : expected) EXPECT_EQ(defaults->integerForKey(key), value) << key;
}

TEST_F(UserDefaultsTest, ObjectAndDictionaryReadsGiveTheStoredValue) {
    const PlistDict access{{"/Users/u/Downloads", "granted"}};
    const auto defaults = openWith({{"permissions.folderAccess", access}, {"list", PlistArray{}}});
    EXPECT_THAT(defaults->dictionaryForKey("permissions.folderAccess"), Optional(access));
    EXPECT_EQ(defaults->dictionaryForKey("list"), std::nullopt);
    EXPECT_THAT(defaults->object("list"), Optional(PlistValue(PlistArray{})));
    EXPECT_EQ(defaults->object("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, MissingFileIsAnEmptyDomainAndIsOnlyCreatedByAWrite) {
    const auto defaults = open();
    EXPECT_EQ(defaults->object("launchAtLogin"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_THAT(log_.lines(), IsEmpty());

    defaults->set("launchAtLogin", false);
    EXPECT_EQ(fileValue(), PlistValue(PlistDict{{"launchAtLogin", false}}));
}

TEST_F(UserDefaultsTest, EveryChangeIsWrittenAtOnceInBinaryFormByRename) {
    const auto defaults = openWith({{"b", 1}, {"a", 2}}, PlistFormat::xml);
    defaults->set("b", -1);
    defaults->set("c", "new");
    EXPECT_EQ(fileValue(), PlistValue(PlistDict{{"b", -1}, {"a", 2}, {"c", "new"}}));
    const auto bytes = readFileContents(file(), 1 << 20);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->starts_with("bplist00"));
    EXPECT_THAT(folderNames(), ElementsAre("jp.fenwold.lomaret.plist"));

    defaults->removeObject("a");
    defaults->removeObject("never there");
    const auto reopened = open();
    EXPECT_EQ(reopened->integerForKey("b"), -1);
    EXPECT_EQ(reopened->object("a"), std::nullopt);
    EXPECT_THAT(reopened->stringForKey("c"), Optional(std::string("new")));
}

TEST_F(UserDefaultsTest, APersistentDomainIsReadAndReplacedWhole) {
    const auto defaults = open();
    EXPECT_EQ(defaults->persistentDomain(), std::nullopt);

    defaults->set("stale", true);
    defaults->setPersistentDomain(PlistDict{{"persistent-apps", PlistArray{}}, {"show-recents", false}});
    const PlistDict expected{{"persistent-apps", PlistArray{}}, {"show-recents", false}};
    EXPECT_THAT(defaults->persistentDomain(), Optional(expected));
    EXPECT_EQ(fileValue(), PlistValue(expected));
    EXPECT_THAT(folderNames(), ElementsAre("jp.fenwold.lomaret.plist"));

    defaults->setPersistentDomain({});
    EXPECT_EQ(defaults->persistentDomain(), std::nullopt);
}

TEST_F(UserDefaultsTest, EachStoredChangeIsAnnouncedOnceItIsStored) {
    const auto defaults = open();
    std::vector<std::optional<PlistValue>> seen;  // the value of "a" as each announcement finds it
    auto subscription = defaults->didChangePublisher().sink([&](std::monostate) { seen.push_back(defaults->object("a")); });
    defaults->set("a", 1);
    defaults->removeObject("missing");  // nothing changed
    defaults->setPersistentDomain({{"a", 2}});
    defaults->removeObject("a");
    EXPECT_THAT(seen, ElementsAre(Optional(PlistValue(1)), Optional(PlistValue(2)), std::nullopt));
}

TEST_F(UserDefaultsTest, SynchronizeTakesAnOutsideEditWithoutWritingItBack) {
    const auto defaults = openWith({{"tilesize", 48}});
    int announcements = 0;
    auto subscription = defaults->didChangePublisher().sink([&](std::monostate) { ++announcements; });

    ASSERT_TRUE(writePlistFile(file(), PlistDict{{"tilesize", 64}, {"autohide", true}}, PlistFormat::xml));
    const auto xmlText = readFileContents(file(), 1 << 20);
    ASSERT_TRUE(xmlText.has_value());
    EXPECT_EQ(defaults->synchronize(), true);
    EXPECT_EQ(defaults->integerForKey("tilesize"), 64);
    EXPECT_TRUE(defaults->boolForKey("autohide"));
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(readFileContents(file(), 1 << 20), xmlText) << "the file stays as its editor wrote it";

    EXPECT_EQ(defaults->synchronize(), false);
    EXPECT_EQ(announcements, 1);

    ASSERT_TRUE(writeFileAtomically(file(), "<?xml version=\"1.0\"?><plist><dict><key>tile"));
    const auto damaged = defaults->synchronize();
    EXPECT_FALSE(damaged.has_value());
    EXPECT_EQ(defaults->integerForKey("tilesize"), 64) << "a half-written file changes nothing";
    EXPECT_EQ(announcements, 1);
}

TEST_F(UserDefaultsTest, DamagedFileReadsAsEmptyAndIsKeptBeforeTheFirstWrite) {
    ASSERT_TRUE(writeFileAtomically(file(), "bplist00 cut short"));
    ASSERT_TRUE(writeFileAtomically(file().string() + ".corrupt", "an older damaged file"));
    const auto defaults = open();
    EXPECT_EQ(defaults->object("launchAtLogin"), std::nullopt);
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_THAT(log_.lines()[0], HasSubstr("\"jp.fenwold.lomaret\""));
    EXPECT_THAT(log_.lines()[0], HasSubstr("unreadable"));
    // Reading alone changes nothing on disk.
    EXPECT_EQ(readFileContents(file(), 1 << 20).value(), "bplist00 cut short");

    defaults->set("launchAtLogin", true);
    defaults->set("showStatusItem", false);
    EXPECT_EQ(readFileContents(file().string() + ".corrupt.1", 1 << 20).value(), "bplist00 cut short");
    EXPECT_EQ(readFileContents(file().string() + ".corrupt", 1 << 20).value(), "an older damaged file");
    EXPECT_EQ(fileValue(), PlistValue(PlistDict{{"launchAtLogin", true}, {"showStatusItem", false}}));
    EXPECT_THAT(folderNames(), ElementsAre("jp.fenwold.lomaret.plist", "jp.fenwold.lomaret.plist.corrupt",
                                           "jp.fenwold.lomaret.plist.corrupt.1"));
    EXPECT_EQ(log_.lines().size(), 1u);
}

TEST_F(UserDefaultsTest, AFileWhoseTopIsNoDictionaryCountsAsDamaged) {
    ASSERT_TRUE(writePlistFile(file(), PlistArray{"a"}, PlistFormat::xml));
    const auto defaults = open();
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_THAT(log_.lines()[0], HasSubstr("not a dictionary"));
    defaults->set("k", 1);
    EXPECT_EQ(readPlistFile(file().string() + ".corrupt").value(), PlistValue(PlistArray{"a"}));
}

TEST_F(UserDefaultsTest, WritesAreRefusedWhenTheDamagedFileCannotBeKept) {
    // A folder in the file's place can be neither read nor copied.
    std::filesystem::create_directories(file());
    ASSERT_TRUE(writeFileAtomically(file() / "inside", "precious"));
    const auto defaults = open();
    defaults->set("launchAtLogin", false);

    EXPECT_FALSE(defaults->boolForKey("launchAtLogin"));
    EXPECT_THAT(defaults->object("launchAtLogin"), Optional(PlistValue(false)));
    EXPECT_EQ(readFileContents(file() / "inside", 1 << 20).value(), "precious");
    ASSERT_EQ(log_.lines().size(), 2u);
    EXPECT_THAT(log_.lines()[1], HasSubstr("not writing over"));
}

TEST(UserDefaultsDomains, OpensEachDomainOnceAndOnlyInsideThePreferencesFolder) {
    const TemporaryFolder home;
    CapturedSystemLog log;
    UserDefaultsDomains domains(home.path(), log);
    EXPECT_EQ(domains.preferencesFolder(), home / "Library/Preferences");

    auto* dock = domains.domain("com.apple.dock");
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock, domains.domain("com.apple.dock"));
    EXPECT_EQ(dock->file(), home / "Library/Preferences/com.apple.dock.plist");
    dock->set("autohide", true);
    EXPECT_TRUE(domains.domain("com.apple.dock")->boolForKey("autohide"));
    EXPECT_NE(domains.domain("jp.fenwold.lomaret"), dock);

    for (const auto name : std::initializer_list<std::string_view>{"", ".", "..", "../../etc/passwd", "a/b",
                                                                   std::string_view("a\0b", 3)}) {
        EXPECT_EQ(domains.domain(name), nullptr) << name;
    }
}

}  // namespace
}  // namespace tavelin
