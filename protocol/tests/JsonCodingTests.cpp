#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

// A small record that exercises every kind of field the codec offers.
struct Sample {
    static constexpr std::string_view typeName = "Sample";
    std::int64_t count = 0;
    std::optional<std::string> note;
    double ratio = 0;
    bool flag = false;
    friend bool operator==(const Sample&, const Sample&) = default;
};

void toJSON(JsonWriter& w, const Sample& s) {
    w.beginObject();
    writeField(w, "count", s.count);
    writeField(w, "note", s.note);
    writeField(w, "ratio", s.ratio);
    writeField(w, "flag", s.flag);
    w.endObject();
}

bool fromJSON(const JsonValue& v, Sample& s) {
    ObjectReader r(v);
    r.required("count", s.count).optional("note", s.note).required("ratio", s.ratio).orDefault("flag", s.flag, false);
    return r.ok();
}

struct SampleList {
    static constexpr std::string_view typeName = "SampleList";
    std::vector<Sample> samples;
};
bool fromJSON(const JsonValue& v, SampleList& list) { return ObjectReader(v).required("samples", list.samples).ok(); }

// A tagged union shaped like the protocol's errors: a case without values, one with a label, one with "_0".
struct Shape {
    static constexpr std::string_view typeName = "Shape";
    static constexpr std::string_view cases[] = {"point", "circle", "named"};
    std::size_t which = 0;
    double radius = 0;
    std::string name;
};
bool fromJSON(const JsonValue& v, Shape& s) {
    TaggedCase tagged;
    if (!readTaggedUnion(v, Shape::cases, tagged)) return false;
    s.which = tagged.caseIndex;
    const DecodePath path(v.path(), Shape::cases[tagged.caseIndex]);
    ObjectReader inner(v.at(tagged.payload, path));
    if (s.which == 1) inner.required("radius", s.radius);
    if (s.which == 2) inner.required("_0", s.name);
    return inner.ok();
}

std::string countJSON(std::string_view number) { return R"({"count":)" + std::string(number) + R"(,"ratio":0})"; }

TEST(JsonReading, IntegersMustBeExactAndWithin64Bits) {
    const struct {
        std::string_view text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"1", 1},
        {"1.0", 1},
        {"1e2", 100},
        {"-0.0", 0},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"1.5", std::nullopt},
        {"9223372036854775808", std::nullopt},
        {"9223372036854775808.0", std::nullopt},  // 2^63 exactly, as a double
        {"9.223372036854775808e18", std::nullopt},
        {"-9.223372036854775808e18", std::numeric_limits<std::int64_t>::min()},
        {"1e19", std::nullopt},
        {"true", std::nullopt},
        {"\"1\"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<Sample>(countJSON(c.text));
        if (c.expected) {
            ASSERT_TRUE(decoded.has_value()) << c.text << ": " << decoded.error().message;
            EXPECT_EQ(decoded->count, *c.expected) << c.text;
        } else {
            EXPECT_FALSE(decoded.has_value()) << c.text;
        }
    }
}

TEST(JsonReading, RequiredOptionalAndUnknownKeys) {
    EXPECT_EQ(decodeJSON<Sample>(R"({"ratio":1})").error().message, R"(Sample: missing required key "count")");
    EXPECT_EQ(decodeJSON<Sample>(R"({"count":null,"ratio":1})").error().message,
              "Sample.count: expected an integer, found null");
    EXPECT_EQ(decodeJSON<Sample>(R"({"count":1,"ratio":1,"note":5})").error().message,
              "Sample.note: expected a string, found a number");

    const auto withNull = decodeJSON<Sample>(R"({"count":1,"ratio":2,"note":null,"flag":null,"extra":[1]})");
    const auto missing = decodeJSON<Sample>(R"({"count":1,"ratio":2})");
    ASSERT_TRUE(withNull && missing);
    EXPECT_EQ(*withNull, *missing);
    EXPECT_FALSE(withNull->note.has_value());
    EXPECT_FALSE(withNull->flag);

    EXPECT_EQ(decodeJSON<Sample>("[]").error().message, "Sample: expected an object, found an array");
}

TEST(JsonReading, ErrorsNameThePathIntoLists) {
    const auto decoded = decodeJSON<SampleList>(R"({"samples":[{"count":1,"ratio":0},{"count":1.5,"ratio":0}]})");
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().message, "SampleList.samples[1].count: expected an integer, found a fraction");
}

TEST(JsonReading, MalformedAndDeepInputFailCleanly) {
    EXPECT_FALSE(decodeJSON<Sample>("").has_value());
    EXPECT_FALSE(decodeJSON<Sample>(R"({"count":1,)").has_value());
    EXPECT_FALSE(decodeJSON<Sample>("{\"count\":1,\"ratio\":0,\"note\":\"\xff\"}").has_value());

    const std::string deep = R"({"count":1,"ratio":0,"x":)" + std::string(5000, '[') + std::string(5000, ']') + "}";
    const auto decoded = decodeJSON<Sample>(deep);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_NE(decoded.error().message.find("invalid JSON"), std::string::npos);
}

TEST(JsonWriting, CompactFormWithEscapedSlashAndRawUnicode) {
    const Sample s{.count = -3,
                   .note = "a/b \"c\"\\ \n\t\b\f\r\x01\x1f caf\xC3\xA9 \xE3\x83\x89",
                   .ratio = 0.1,
                   .flag = true};
    EXPECT_EQ(*encodeJSON(s),
              "{\"count\":-3,\"note\":\"a\\/b \\\"c\\\"\\\\ \\n\\t\\b\\f\\r\\u0001\\u001f caf\xC3\xA9 "
              "\xE3\x83\x89\",\"ratio\":0.1,"
              "\"flag\":true}");
    EXPECT_EQ(*encodeJSON(Sample{}), R"({"count":0,"ratio":0,"flag":false})");
}

TEST(JsonWriting, DoublesRoundTripAndNonFiniteFails) {
    // 2^64 and -1.2345678901234567e19 are shortest as bare digits, which no reader takes beyond 64 bits.
    for (const double d : {0.1, 1.0 / 3.0, 1e300, -2.5e-308, 123456789.125, 18446744073709551616.0,
                           -1.2345678901234567e19, 9223372036854775808.0}) {
        const auto text = encodeJSON(Sample{.ratio = d});
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(decodeJSON<Sample>(*text)->ratio, d);
    }
    // 2^63 is beyond a signed 64-bit reader.
    EXPECT_EQ(*encodeJSON(Sample{.ratio = 9223372036854775808.0}),
              R"({"count":0,"ratio":9.223372036854776e+18,"flag":false})");
    for (const double d : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        const auto text = encodeJSON(Sample{.ratio = d});
        ASSERT_FALSE(text.has_value());
        EXPECT_EQ(text.error().message, "Sample: a number is not finite");
    }
}

TEST(JsonWriting, InvalidUtf8BecomesReplacementCharacters) {
    std::string out;
    appendJsonString(out, "ok\xff\xfe-\xC3");
    EXPECT_EQ(out, "\"ok\xEF\xBF\xBD\xEF\xBF\xBD-\xEF\xBF\xBD\"");
    appendJsonString(out = "", "\xED\xA0\x80");  // a UTF-16 surrogate written as UTF-8
    EXPECT_EQ(out, "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(JsonWriting, EmptyListsAreWritten) {
    JsonWriter w;
    toJSON(w, std::vector<std::int64_t>{});
    EXPECT_EQ(w.text(), "[]");
}

TEST(TaggedUnion, ExactlyOneCaseKey) {
    EXPECT_EQ(decodeJSON<Shape>(R"({"point":{}})")->which, 0u);
    EXPECT_EQ(decodeJSON<Shape>(R"({"point":{},"other":1})")->which, 0u);
    EXPECT_EQ(decodeJSON<Shape>(R"({"circle":{"radius":2,"unknown":true}})")->radius, 2);
    EXPECT_EQ(decodeJSON<Shape>(R"({"named":{"_0":"x"}})")->name, "x");

    for (const auto* text : {"{}", R"({"point":{},"circle":{"radius":1}})", R"({"other":{}})"}) {
        const auto decoded = decodeJSON<Shape>(text);
        ASSERT_FALSE(decoded.has_value()) << text;
        EXPECT_EQ(decoded.error().message, "Shape: Invalid number of keys found, expected one.") << text;
    }
    EXPECT_EQ(decodeJSON<Shape>(R"({"point":[]})").error().message, "Shape.point: expected an object, found an array");
    EXPECT_EQ(decodeJSON<Shape>(R"({"circle":{}})").error().message, R"(Shape.circle: missing required key "radius")");
}

}  // namespace
}  // namespace tavelin
