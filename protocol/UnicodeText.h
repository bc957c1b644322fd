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

// `text` with each byte that does not start a valid UTF-8 sequence replaced by U+FFFD: file names may
// hold any bytes, and neither JSON nor text drawing takes them as they are.
std::string replaceInvalidUtf8(std::string_view text);

}  // namespace tavelin
