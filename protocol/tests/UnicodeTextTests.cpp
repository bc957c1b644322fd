#include <gtest/gtest.h>
#include <unicode/locid.h>

#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

TEST(UnicodeText, LocalizedCaseInsensitiveContains) {
    const struct {
        std::string_view haystack;
        std::string_view needle;
        bool found;
    } cases[] = {
        {"Mail", "mail", true},
        {"Photo Mailer", "mail", true},
        {"Mail", "MAIL", true},
        {"Maps", "mail", false},
        {"Mail", "", false},
        {"", "a", false},
        {"Mail", "Mailer", false},
        {"Café", "CAFÉ", true},
        {"Café", "cafe", false},       // diacritics stay distinct
        {"Cafe\u0301", "café", true},  // decomposed and composed é are the same text
        {"café", "cafe\u0301", true},
        {"cafe\u0301s", "cafe", false},  // a match does not end inside a character
        {"Straße", "STRASSE", true},     // full case folding
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},    // final sigma
        {"über", "ÜBER", true},
        {"Ü\u0308ber", "u", false},
        {"Mail \xff box", "box", true},  // invalid UTF-8 does not stop the search
    };
    for (const auto& c : cases) {
        EXPECT_EQ(localizedCaseInsensitiveContains(c.haystack, c.needle), c.found)
            << c.haystack << " / " << c.needle;
    }
}

TEST(UnicodeText, TurkishLocaleKeepsDottedAndDotlessIApart) {
    const auto saved = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), status);
    ASSERT_TRUE(U_SUCCESS(status));
    const bool dotless = localizedCaseInsensitiveContains("ISTANBUL", "ıstanbul");
    const bool dotted = localizedCaseInsensitiveContains("ISTANBUL", "istanbul");
    icu::Locale::setDefault(saved, status);
    EXPECT_TRUE(dotless);
    EXPECT_FALSE(dotted);
    EXPECT_TRUE(localizedCaseInsensitiveContains("ISTANBUL", "istanbul"));
}

TEST(UnicodeText, LowerCaseAndCaselessEquality) {
    EXPECT_EQ(lowercased("Downloads"), "downloads");
    EXPECT_EQ(lowercased("ÄPFEL Ω"), "äpfel ω");
    EXPECT_EQ(lowercased("アプリケーション"), "アプリケーション");
    EXPECT_TRUE(equalsIgnoringCase("Safari", "SAFARI"));
    EXPECT_TRUE(equalsIgnoringCase("Straße", "STRASSE"));
    EXPECT_TRUE(equalsIgnoringCase("ÉTÉ", "été"));
    EXPECT_FALSE(equalsIgnoringCase("Safari", "Safari "));
    EXPECT_FALSE(equalsIgnoringCase("cafe", "café"));
}

}  // namespace
}  // namespace tavelin
