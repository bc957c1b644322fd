#pragma once

// Unicode helpers over UTF-8 texts (ICU underneath).

#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

// The NFC form of `text`, or nothing when the text already is in NFC (always so for ASCII).
std::optional<std::string> nfcIfDifferent(std::string_view text);

// Whether `needle` occurs in `haystack`, ignoring case the way the user's locale folds it (Turkish and
// Azerbaijani keep dotted and dotless i apart), treating canonically equivalent texts as equal and
// keeping diacritics distinct: "mail" is found in "Photo Mailer", "cafe" is not found in "café". A match
// never ends inside a character and its combining marks. An empty needle is found nowhere.
bool localizedCaseInsensitiveContains(std::string_view haystack, std::string_view needle);

// `text` without the white space and line breaks (as Unicode counts them) at either end.
std::string trimmingWhitespaceAndNewlines(std::string_view text);

// `text` in lower case by the rules that hold in every language: "ÄPFEL" is "äpfel", "I" is "i".
std::string lowercased(std::string_view text);

// Whether the texts are equal once their case is folded ("Straße" equals "STRASSE"); no other
// normalisation.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The length of the well-formed UTF-8 sequence of two to four bytes at the start of `s` (no overlong
// form, no surrogate, nothing above U+10FFFF); 0 when none starts there, as for an ASCII byte.
std::size_t multiByteSequenceLength(std::string_view s);

// `text` with each byte that does not start a valid UTF-8 sequence replaced by U+FFFD: file names may
// hold any bytes, and neither JSON nor text drawing takes them as they are.
std::string replaceInvalidUtf8(std::string_view text);

// UTF-16 forms, for text ranges counted in UTF-16 units as the platform's text views count them. A byte
// that starts no valid UTF-8 sequence becomes U+FFFD.
std::u16string utf16(std::string_view text);
std::string utf8(std::u16string_view text);
std::size_t utf16Length(std::string_view text);

// Where the grapheme cluster that ends at `offset` begins (0 at the start): "e" with a combining acute
// accent, a flag or a family emoji is one step.
std::size_t previousGraphemeBoundary(std::u16string_view text, std::size_t offset);
// `text` without its last grapheme cluster; empty stays empty.
std::string droppingLastGraphemeCluster(std::string_view text);

// Whether a scalar of `text` lies above `limit`.
bool hasScalarAbove(std::string_view text, char32_t limit);
// Not empty, and every scalar is U+0020 or above and is neither white space, a line break nor a control
// or format character, as the platform's character sets count them.
bool isPrintableWithoutSpace(std::string_view text);
// Not empty, and nothing but white space and line breaks.
bool isWhitespaceAndNewlinesOnly(std::string_view text);

}  // namespace tavelin
