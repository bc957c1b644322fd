#include <gtest/gtest.h>

#include <type_traits>
#include <unordered_set>

#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

static_assert(!std::is_same_v<ItemID, ChildID>);
static_assert(!std::equality_comparable_with<ItemID, ChildID>);
static_assert(!std::is_convertible_v<std::string, ItemID>, "identifiers are made explicitly");

TEST(Identifiers, CanonicallyEquivalentTextsAreEqualButKeepTheirText) {
    const ItemID composed("caf\xC3\xA9");      // é as one code point
    const ItemID decomposed("cafe\xCC\x81");  // e + combining acute
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(std::hash<ItemID>{}(composed), std::hash<ItemID>{}(decomposed));
    EXPECT_EQ(decomposed.rawValue(), "cafe\xCC\x81");
    EXPECT_NE(ItemID("Cafe"), ItemID("cafe"));

    const std::unordered_set<ItemID> set{composed};
    EXPECT_TRUE(set.contains(decomposed));

    JsonWriter w;
    toJSON(w, decomposed);
    EXPECT_EQ(w.text(), "\"cafe\xCC\x81\"");
}

// A Latin-1 file name goes out with U+FFFD and a device asks for it back by that text.
TEST(Identifiers, TextThatIsNotUTF8EqualsItselfAfterTheWire) {
    for (const char* raw : {"caf\xE9", "\xE9\xE9", "a\xE2\x82" "b", "\xED\xA0\x80", "e\xCC\x81\xFF"}) {
        const ChildID sent(raw);
        JsonWriter w;
        toJSON(w, sent);
        auto element = parseJSON(w.text(), "ChildID");
        ASSERT_TRUE(element.has_value()) << raw;
        const auto received = decodeElement<ChildID>(*element, "ChildID");
        ASSERT_TRUE(received.has_value()) << raw;
        EXPECT_EQ(*received, sent) << raw;
        EXPECT_EQ(std::hash<ChildID>{}(*received), std::hash<ChildID>{}(sent)) << raw;
        EXPECT_EQ(sent.rawValue(), raw);
    }
}

TEST(Identifiers, EmptyTextRoundTrips) {
    JsonWriter w;
    toJSON(w, ChildID(""));
    EXPECT_EQ(w.text(), R"("")");
    auto element = parseJSON(w.text(), "ChildID");
    ASSERT_TRUE(element.has_value());
    EXPECT_EQ(decodeElement<ChildID>(*element, "ChildID"), ChildID(""));
}

TEST(Identifiers, RequestIDsAreFreshUpperCaseVersion4UUIDs) {
    const auto a = RequestID::generate();
    const auto b = RequestID::generate();
    EXPECT_NE(a, b);
    for (const auto& id : {a, b}) {
        const auto& text = id.rawValue();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[8], '-');
        EXPECT_EQ(text[13], '-');
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
        for (const char c : text) EXPECT_TRUE(c == '-' || std::isdigit(c) || (c >= 'A' && c <= 'F')) << text;
    }
}

TEST(Identifiers, ProtocolConstants) {
    EXPECT_EQ(currentProtocolVersion, 1);
    EXPECT_EQ(bonjourServiceType, "_tavelin._tcp");
    EXPECT_EQ(Bonjour::serviceType, "_tavelin._tcp");
}

}  // namespace
}  // namespace tavelin
