#include <gtest/gtest.h>

#include "platform/ui/TextMeasurer.h"
#include "platform/ui/TextTruncation.h"
#include "platform/ui/tests/FixedAdvanceMeasurer.h"

namespace tavelin::ui {
namespace {

const Font kTen = Font::system(10);  // 5 points a code point

TEST(TextTruncationTests, TailAndMiddleKeepTheMostThatFitsWithTheEllipsis) {
    const FixedAdvanceMeasurer measurer;
    // 32 points hold six code points: five of the text and the ellipsis.
    EXPECT_EQ(truncate("abcdefghij", kTen, 32, Truncation::tail, measurer), "abcde…");
    EXPECT_EQ(truncate("abcdefghij", kTen, 32, Truncation::middle, measurer), "abc…ij");
    EXPECT_EQ(truncate("abcdefghij", kTen, 30, Truncation::middle, measurer), "abc…ij");
    EXPECT_EQ(truncate("abcdefghij", kTen, 29.9, Truncation::middle, measurer), "ab…ij");
    // A text that fits exactly is not cut.
    EXPECT_EQ(truncate("abcdefghij", kTen, 50, Truncation::tail, measurer), "abcdefghij");
}

TEST(TextTruncationTests, CutsBetweenCodePointsAndGivesNothingWhenNotEvenTheEllipsisFits) {
    const FixedAdvanceMeasurer measurer;
    EXPECT_EQ(truncate("äöüßéè", kTen, 20, Truncation::tail, measurer), "äöü…");
    EXPECT_EQ(truncate("äöüßéè", kTen, 20, Truncation::middle, measurer), "äö…è");
    EXPECT_EQ(truncate("abc", kTen, 4.9, Truncation::tail, measurer), "");
    EXPECT_EQ(truncate("abc", kTen, 5, Truncation::tail, measurer), "…");
}

class PangoTextMeasurerTests : public ::testing::Test {
  protected:
    std::unique_ptr<TextMeasurer> measurer = makePangoTextMeasurer();
};

TEST_F(PangoTextMeasurerTests, MeasuresDejaVuSansInPointsWithoutHinting) {
    // DejaVu Sans advances a space by 651 of its 2048 units per em.
    EXPECT_NEAR(measurer->width(" ", Font::system(100)), 100.0 * 651 / 2048, 0.01);
    // Without hinting a width grows exactly with the size.
    const double twelve = measurer->width("Safari Preview", Font::system(12));
    EXPECT_NEAR(measurer->width("Safari Preview", Font::system(24)), 2 * twelve, 1e-6);
    EXPECT_GT(measurer->lineHeight(Font::system(12)), 12);
    EXPECT_LT(measurer->lineHeight(Font::system(12)), 18);
}

TEST_F(PangoTextMeasurerTests, MediumIsTheBookFaceAndSemiboldTheBoldFace) {
    const std::string title = "Activity Monitor";
    const double regular = measurer->width(title, Font::system(12, FontWeight::regular));
    EXPECT_DOUBLE_EQ(measurer->width(title, Font::system(12, FontWeight::medium)), regular);
    EXPECT_GT(measurer->width(title, Font::system(12, FontWeight::semibold)), regular * 1.05);
}

TEST_F(PangoTextMeasurerTests, InvalidUTF8IsMeasuredAsReplacementCharactersAndLineBreaksStayOnTheLine) {
    const Font font = Font::system(12);
    EXPECT_DOUBLE_EQ(measurer->width("caf\xC3(", font), measurer->width("caf\xEF\xBF\xBD(", font));
    EXPECT_GT(measurer->width("caf\xC3(", font), measurer->width("caf(", font));
    // In one paragraph the break is drawn in line: wider than the two letters, not as wide as one.
    EXPECT_GT(measurer->width("W\nW", font), measurer->width("WW", font));
    // The cache answers a repeated question with the same width.
    EXPECT_DOUBLE_EQ(measurer->width("W\nW", font), measurer->width("W\nW", font));
}

}  // namespace
}  // namespace tavelin::ui
