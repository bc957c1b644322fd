#include <gtest/gtest.h>

#include "protocol/Base64.h"
#include "protocol/Timestamp.h"

namespace tavelin {
namespace {

using namespace std::chrono;

Timestamp at(int y, unsigned m, unsigned d, int hh = 0, int mm = 0, int ss = 0) {
    return sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm} + seconds{ss};
}

TEST(Timestamp, WritesUtcWholeSecondsFlooringTowardThePast) {
    EXPECT_EQ(formatTimestamp(at(2024, 3, 1, 12, 34, 56)), "2024-03-01T12:34:56Z");
    EXPECT_EQ(formatTimestamp(at(2024, 3, 1, 12, 34, 56) + milliseconds{999}), "2024-03-01T12:34:56Z");
    EXPECT_EQ(formatTimestamp(Timestamp{} - microseconds{1}), "1969-12-31T23:59:59Z");
    EXPECT_EQ(formatTimestamp(at(1, 1, 1)), "0001-01-01T00:00:00Z");
    EXPECT_EQ(formatTimestamp(at(9999, 12, 31, 23, 59, 59)), "9999-12-31T23:59:59Z");
}

TEST(Timestamp, YearsWithoutAFourDigitFormAreNotWritten) {
    EXPECT_FALSE(formatTimestamp(at(1, 1, 1) - seconds{1}).has_value());
    EXPECT_FALSE(formatTimestamp(at(10000, 1, 1)).has_value());
}

TEST(Timestamp, ReadsZuluAndOffsets) {
    EXPECT_EQ(parseTimestamp("2024-03-01T12:34:56Z"), at(2024, 3, 1, 12, 34, 56));
    EXPECT_EQ(parseTimestamp("2024-03-01T21:34:56+09:00"), at(2024, 3, 1, 12, 34, 56));
    EXPECT_EQ(parseTimestamp("2024-02-29T23:30:00-01:30"), at(2024, 3, 1, 1, 0, 0));
}

TEST(Timestamp, RefusesEveryOtherForm) {
    for (const auto* text : {"2024-03-01T12:34:56.5Z", "2024-03-01T12:34:56", "2024-03-01 12:34:56Z",
                             "2024-03-01T12:34:56z", "2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z",
                             "2024-03-01T24:00:00Z", "2024-03-01T12:34:60Z", "2024-03-01T12:34:56+0900",
                             "2024-03-01T12:34:56+24:00", "+2024-03-01T12:34:56Z", "0001-01-01T00:00:00+01:00", ""}) {
        EXPECT_FALSE(parseTimestamp(text).has_value()) << text;
    }
}

std::string encode(std::string_view bytes) {
    return base64Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(Base64, StandardPaddedAlphabet) {
    EXPECT_EQ(encode(""), "");
    EXPECT_EQ(encode("f"), "Zg==");
    EXPECT_EQ(encode("fo"), "Zm8=");
    EXPECT_EQ(encode("foo"), "Zm9v");
    EXPECT_EQ(encode("\xfb\xff\xbf"), "+/+/");
    const auto decoded = base64Decode("Zm9vYg==");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(std::string(decoded->data.begin(), decoded->data.end()), "foob");
}

TEST(Base64, StrictReading) {
    for (const auto* text :
         {"Zg=", "Zg", "Z===", "Zm9v\n", " Zm9v", "Zm-v", "Zm_v", "Zg==Zg==", "=Zg=", "Zh==", "Zm9="}) {
        EXPECT_FALSE(base64Decode(text).has_value()) << text;
    }
    EXPECT_TRUE(base64Decode("").has_value());
}

}  // namespace
}  // namespace tavelin
