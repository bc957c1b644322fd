#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <chrono>

#include "platform/FileContents.h"
#include "platform/PlistFile.h"
#include "platform/tests/PlistPrinting.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

using namespace std::chrono;
using ::testing::HasSubstr;

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";

std::string xmlPlist(std::string_view body) {
    return std::string(kXmlHead) + std::string(body) + "</plist>\n";
}

Timestamp at(sys_days day, seconds time = {}) { return Timestamp(day + time); }

PlistValue everyKind() {
    return PlistDict{
        {"persistent-apps", PlistArray{PlistDict{{"tile-type", "file-tile"},
                                                 {"tile-data", PlistDict{{"file-label", "Safari"}}}}}},
        {"flag", true},
        {"negative", -1},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"ratio", 0.25},
        {"label", "Schreibtisch \xE2\x80\x93 \xE6\x9B\xB8\xE9\xA1\x9E"},
        {"empty", ""},
        {"bytes", Bytes{{0, 1, 2, 255}}},
        {"when", at(sys_days{year{2024} / March / 9}, hours(13) + minutes(5) + seconds(7))},
        {"before2001", at(sys_days{year{1990} / July / 1}, hours(1))},
        {"nothing", PlistArray{}},
        {"nobody", PlistDict{}},
    };
}

std::vector<std::string> keysOf(const PlistValue& value) {
    std::vector<std::string> keys;
    for (const auto& [key, element] : *value.getIf<PlistDict>()) keys.push_back(key);
    return keys;
}

class PlistFormats : public ::testing::TestWithParam<PlistFormat> {};

TEST_P(PlistFormats, EveryKindRoundTripsWithItsKeyOrder) {
    const auto original = everyKind();
    const auto bytes = serializePlist(original, GetParam());
    ASSERT_TRUE(bytes) << bytes.error().message;
    const auto parsed = parsePlist(*bytes);
    ASSERT_TRUE(parsed) << parsed.error().message;
    EXPECT_EQ(*parsed, original);
    EXPECT_EQ(keysOf(*parsed), keysOf(original));
    EXPECT_EQ(*parsed->getIf<PlistDict>()->find("negative")->getIf<std::int64_t>(), -1);
}

TEST_P(PlistFormats, FileRoundTripReplacesTheFileAndLeavesNoTemporaryFile) {
    const TemporaryFolder folder;
    const auto path = folder / "Library/Preferences/com.apple.dock.plist";
    ASSERT_TRUE(writePlistFile(path, PlistDict{{"old", 1}}, GetParam()));
    ASSERT_TRUE(writePlistFile(path, everyKind(), GetParam()));
    const auto read = readPlistFile(path);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(*read, everyKind());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Plist, PlistFormats, ::testing::Values(PlistFormat::xml, PlistFormat::binary));

TEST(PlistFile, BinaryFilesStartWithTheirMagic) {
    const auto bytes = serializePlist(PlistDict{{"a", 1}}, PlistFormat::binary);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->starts_with("bplist00"));
}

TEST(PlistFile, ReadsHandWrittenXmlInItsOwnKeyOrderAndSigned) {
    const auto parsed = parsePlist(xmlPlist(
        "<dict><key>z</key><integer>-42</integer><key>a</key><string>x</string>"
        "<key>m</key><date>2001-01-01T00:00:10Z</date><key>big</key><integer>18446744073709551615</integer>"
        "</dict>"));
    ASSERT_TRUE(parsed) << parsed.error().message;
    EXPECT_EQ(keysOf(*parsed), (std::vector<std::string>{"z", "a", "m", "big"}));
    const auto& dict = *parsed->getIf<PlistDict>();
    EXPECT_EQ(*dict.find("z")->getIf<std::int64_t>(), -42);
    EXPECT_EQ(*dict.find("m")->getIf<Timestamp>(), at(sys_days{year{2001} / January / 1}, seconds(10)));
    // Beyond the signed range: the same 64 bits, as Apple's own readers take them.
    EXPECT_EQ(*dict.find("big")->getIf<std::int64_t>(), -1);
}

TEST(PlistFile, DateFractionsSurviveTheBinaryFormToTheMicrosecond) {
    const auto base = at(sys_days{year{1999} / December / 31}, hours(23) + minutes(59) + seconds(58));
    for (const auto when : {base + milliseconds(250), base + days(9000) + microseconds(750000)}) {
        const auto bytes = serializePlist(PlistArray{when}, PlistFormat::binary);
        ASSERT_TRUE(bytes);
        const auto parsed = parsePlist(*bytes);
        ASSERT_TRUE(parsed);
        const auto back = *(*parsed->getIf<PlistArray>())[0].getIf<Timestamp>();
        EXPECT_LE(abs(back - when), microseconds(1)) << (back - when).count();
    }
}

TEST(PlistFile, ValuesTheFileFormsCannotHoldFailTheWrite) {
    const auto tooEarly = at(sys_days{year{1900} / January / 1});
    EXPECT_THAT(serializePlist(PlistArray{tooEarly}, PlistFormat::binary).error().message, HasSubstr("1933"));
    EXPECT_THAT(serializePlist(PlistArray{std::string("a\0b", 3)}, PlistFormat::xml).error().message,
                HasSubstr("NUL"));
    EXPECT_THAT(serializePlist(PlistDict{{std::string("k\0", 2), 1}}, PlistFormat::binary).error().message,
                HasSubstr("NUL"));
}

TEST(PlistFile, DamagedInputIsAnErrorNeverACrash) {
    EXPECT_FALSE(parsePlist(""));
    EXPECT_FALSE(parsePlist("garbage"));
    EXPECT_FALSE(parsePlist(xmlPlist("<dict><key>a</key>")));

    // Every cut of a valid binary file, as a crash or a full disk leaves it.
    const auto bytes = serializePlist(everyKind(), PlistFormat::binary);
    ASSERT_TRUE(bytes);
    int refused = 0;
    for (std::size_t length = 0; length < bytes->size(); ++length) {
        const auto parsed = parsePlist(std::string_view(*bytes).substr(0, length));
        if (!parsed) {
            ++refused;
        } else {
            EXPECT_NE(*parsed, everyKind()) << "a cut at " << length << " read as the whole file";
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(PlistFile, BinaryStringsHoldingNulAreRefusedBeforeLibplistSeesThem) {
    // A key outside ASCII is stored as UTF-16; its "x" becomes U+0000.
    for (const bool asKey : {true, false}) {
        const PlistValue value =
            asKey ? PlistValue(PlistDict{{"\u00E9x!", 1}}) : PlistValue(PlistArray{"\u00E9x!"});
        auto bytes = serializePlist(value, PlistFormat::binary).value();
        const auto unit = bytes.find(std::string_view("\0x", 2));
        ASSERT_NE(unit, std::string::npos);
        bytes[unit + 1] = '\0';
        const auto parsed = parsePlist(bytes);
        ASSERT_FALSE(parsed);
        EXPECT_THAT(parsed.error().message, HasSubstr("NUL"));
    }
}

TEST(PlistFile, KeyedArchiveUIDsAreRefused) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "$top", plist_new_uid(1));
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &raw, &length);
    const std::string bytes(raw, length);
    plist_to_bin_free(raw);
    plist_free(root);

    const auto parsed = parsePlist(bytes);
    ASSERT_FALSE(parsed);
    EXPECT_THAT(parsed.error().message, HasSubstr("UID"));
}

// A binary file made by hand, whose object i is an array of the objects `children[i]`; object 0 is the top.
std::string binaryArrays(const std::vector<std::vector<std::uint32_t>>& children) {
    std::string bytes = "bplist00";
    const auto append32 = [&bytes](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
    };
    std::vector<std::uint32_t> offsets;
    for (const auto& list : children) {
        offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        bytes += static_cast<char>(0xA0 | list.size());  // fewer than 15 elements
        for (const auto child : list) append32(child);
    }
    const auto table = bytes.size();
    for (const auto offset : offsets) append32(offset);
    std::string trailer(32, '\0');
    trailer[6] = 4;  // offset size
    trailer[7] = 4;  // reference size
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = static_cast<char>(static_cast<std::uint64_t>(children.size()) >> (56 - 8 * i));
        trailer[24 + i] = static_cast<char>(static_cast<std::uint64_t>(table) >> (56 - 8 * i));
    }
    return bytes + trailer;
}

// A chain of `depth` arrays, each holding the next.
std::vector<std::vector<std::uint32_t>> chain(std::uint32_t depth, std::uint32_t referencesEach = 1) {
    std::vector<std::vector<std::uint32_t>> children(depth);
    for (std::uint32_t i = 0; i + 1 < depth; ++i) children[i].assign(referencesEach, i + 1);
    return children;
}

TEST(PlistFile, NestingIsRefusedBeyondTheLimitBeforeItCanOverflowTheStack) {
    const auto shallow = parsePlist(binaryArrays(chain(kMaxPlistDepth + 1)));
    ASSERT_TRUE(shallow) << shallow.error().message;

    std::string xml;
    for (int i = 0; i < 300000; ++i) xml += "<array>";
    for (int i = 0; i < 300000; ++i) xml += "</array>";
    for (const auto& bytes :
         {binaryArrays(chain(kMaxPlistDepth + 2)), binaryArrays(chain(300000)), xmlPlist(xml)}) {
        const auto parsed = parsePlist(bytes);
        ASSERT_FALSE(parsed);
        EXPECT_THAT(parsed.error().message, HasSubstr("nested deeper than 256 levels"));
    }
    // An array that holds itself.
    const auto cyclic = parsePlist(binaryArrays({{0}}));
    ASSERT_FALSE(cyclic);
    EXPECT_THAT(cyclic.error().message, HasSubstr("nested deeper"));
}

TEST(PlistFile, SharedObjectsAreCountedAsOftenAsTheyAreReferred) {
    // Each array refers to the next one twice: 2^40 arrays once expanded, from a file of 500 bytes.
    const auto parsed = parsePlist(binaryArrays(chain(40, 2)));
    ASSERT_FALSE(parsed);
    EXPECT_THAT(parsed.error().message, HasSubstr("more than 1048576 values"));

    const auto expanded = parsePlist(binaryArrays(chain(12, 2)));
    ASSERT_TRUE(expanded) << expanded.error().message;
    const PlistValue* value = &*expanded;
    for (int level = 0; level < 11; ++level) {
        ASSERT_EQ(value->getIf<PlistArray>()->size(), 2u);
        value = &value->getIf<PlistArray>()->back();
    }
}

TEST(PlistFile, FileErrorsNameTheFile) {
    const TemporaryFolder folder;
    const auto missing = readPlistFile(folder / "missing.plist");
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, HasSubstr("missing.plist: No such file"));

    ASSERT_TRUE(writeFileAtomically(folder / "text.plist", "not a plist"));
    EXPECT_THAT(readPlistFile(folder / "text.plist").error().message, HasSubstr("text.plist: "));

    // A folder where the file should be: the write fails and leaves nothing behind.
    std::filesystem::create_directory(folder / "taken.plist");
    EXPECT_FALSE(writePlistFile(folder / "taken.plist", PlistDict{}, PlistFormat::binary));
    EXPECT_FALSE(readPlistFile(folder / "taken.plist"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

}  // namespace
}  // namespace tavelin
