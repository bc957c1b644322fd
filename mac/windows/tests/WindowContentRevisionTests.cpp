#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "mac/windows/WindowContentRevision.h"

namespace tavelin {
namespace {

class WindowContentRevisionTest : public ::testing::Test {
  protected:
    static std::int64_t revision(std::string_view title,
                                 std::optional<WindowFrame> frame = WindowFrame{10, 20, 800, 600},
                                 WindowState state = WindowState::normal, bool minimized = false) {
        return windowContentRevision(title, frame, state, minimized);
    }
};

TEST_F(WindowContentRevisionTest, NegativeZeroCountsAsZeroAndNoFrameIsNotAZeroFrame) {
    EXPECT_EQ(revision("A", WindowFrame{-0.0, 0, 100, 100}), revision("A", WindowFrame{0, 0, 100, 100}));
    EXPECT_NE(revision("A", std::nullopt), revision("A", WindowFrame{0, 0, 0, 0}));
}

TEST_F(WindowContentRevisionTest, FeedsTheRecipeBytesInOrder) {
    const SipHashKey key{7, 1, 7, 1, 7, 1, 7, 1, 2, 9, 2, 9, 2, 9, 2, 9};
    setWindowContentRevisionKey(key);
    // Title as its length (8 bytes, least significant first) and its bytes; per coordinate a 1 and the
    // IEEE bytes, least significant first; the state's text like the title; the minimized byte.
    std::vector<std::uint8_t> stream{2, 0, 0, 0, 0, 0, 0, 0, 'H', 'i'};
    for (const double value : {1.5, 2.0, 3.0, 4.0}) {
        stream.push_back(1);
        const auto bits = std::bit_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i) stream.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    for (const std::uint8_t byte : {10, 0, 0, 0, 0, 0, 0, 0}) stream.push_back(byte);
    for (const char c : std::string_view("fullscreen")) stream.push_back(static_cast<std::uint8_t>(c));
    stream.push_back(0);
    SipHasher13 hasher(key);
    hasher.update(stream);
    EXPECT_EQ(revision("Hi", WindowFrame{1.5, 2, 3, 4}, WindowState::fullscreen, false),
              std::bit_cast<std::int64_t>(hasher.finish()));

    // Without a frame: four 0 bytes in its place.
    std::vector<std::uint8_t> bare{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const std::uint8_t byte : {9, 0, 0, 0, 0, 0, 0, 0}) bare.push_back(byte);
    for (const char c : std::string_view("minimized")) bare.push_back(static_cast<std::uint8_t>(c));
    bare.push_back(1);
    SipHasher13 bareHasher(key);
    bareHasher.update(bare);
    EXPECT_EQ(revision("", std::nullopt, WindowState::minimized, true),
              std::bit_cast<std::int64_t>(bareHasher.finish()));
}

TEST_F(WindowContentRevisionTest, TheKeyDecidesAndATestCanFixIt) {
    const SipHashKey first{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    setWindowContentRevisionKey(first);
    const auto underFirst = revision("Report");
    setWindowContentRevisionKey(SipHashKey{});
    EXPECT_NE(revision("Report"), underFirst);
    setWindowContentRevisionKey(first);
    EXPECT_EQ(revision("Report"), underFirst);
}

}  // namespace
}  // namespace tavelin
