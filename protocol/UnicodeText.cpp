#include "protocol/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tavelin {

namespace {

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool usesTurkicCaseFolding() {
    const char* language = icu::Locale::getDefault().getLanguage();
    return std::strcmp(language, "tr") == 0 || std::strcmp(language, "az") == 0;
}

icu::UnicodeString unicodeFromUTF8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// NFD(fold(NFD(text))): the form in which canonically equivalent texts that differ only in case are
// equal. False when ICU cannot provide the normaliser.
bool caselessForm(std::string_view text, std::uint32_t foldOptions, icu::UnicodeString& out) {
    UErrorCode status = U_ZERO_ERROR;
    const auto* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return false;
    auto folded = nfd->normalize(unicodeFromUTF8(text), status);
    if (U_FAILURE(status)) return false;
    folded.foldCase(foldOptions);
    out = nfd->normalize(folded, status);
    return U_SUCCESS(status);
}

// A code point that belongs to the character before it (a combining mark and the like).
bool continuesCharacter(UChar32 c) {
    return u_getCombiningClass(c) != 0 || u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND);
}

}  // namespace

std::size_t multiByteSequenceLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    std::uint32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, lowest = 0x80, cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, lowest = 0x800, cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, lowest = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

std::optional<std::string> nfcIfDifferent(std::string_view text) {
    if (isASCII(text)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const auto* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return std::nullopt;
    const auto unicode = unicodeFromUTF8(text);
    if (nfc->isNormalized(unicode, status) && U_SUCCESS(status)) return std::nullopt;
    status = U_ZERO_ERROR;
    const auto normalized = nfc->normalize(unicode, status);
    if (U_FAILURE(status)) return std::nullopt;
    std::string result;
    normalized.toUTF8String(result);
    if (result == text) return std::nullopt;
    return result;
}

bool localizedCaseInsensitiveContains(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return false;
    const bool turkic = usesTurkicCaseFolding();
    // Titles are mostly ASCII: there folding is lower-casing and no combining mark can follow a match.
    if (!turkic && isASCII(haystack) && isASCII(needle)) {
        return !std::ranges::search(haystack, needle, {}, asciiLower, asciiLower).empty();
    }
    const std::uint32_t foldOptions = turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT;
    icu::UnicodeString text;
    icu::UnicodeString pattern;
    if (!caselessForm(haystack, foldOptions, text) || !caselessForm(needle, foldOptions, pattern))
        return false;
    if (pattern.isEmpty()) return false;
    for (int32_t start = text.indexOf(pattern); start >= 0; start = text.indexOf(pattern, start + 1)) {
        const int32_t end = start + pattern.length();
        if (end >= text.length() || !continuesCharacter(text.char32At(end))) return true;
    }
    return false;
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
    const auto unicode = unicodeFromUTF8(text);
    std::int32_t start = 0;
    std::int32_t end = unicode.length();
    while (start < end && u_isUWhiteSpace(unicode.char32At(start))) start = unicode.moveIndex32(start, 1);
    while (end > start) {
        const auto last = unicode.moveIndex32(end, -1);
        if (!u_isUWhiteSpace(unicode.char32At(last))) break;
        end = last;
    }
    std::string result;
    icu::UnicodeString(unicode, start, end - start).toUTF8String(result);
    return result;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    if (isASCII(text)) {
        std::ranges::transform(result, result.begin(), asciiLower);
        return result;
    }
    auto unicode = unicodeFromUTF8(text);
    unicode.toLower(icu::Locale::getRoot());
    result.clear();
    unicode.toUTF8String(result);
    return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (isASCII(a) && isASCII(b)) return std::ranges::equal(a, b, {}, asciiLower, asciiLower);
    return unicodeFromUTF8(a).caseCompare(unicodeFromUTF8(b), U_FOLD_CASE_DEFAULT) == 0;
}

std::string replaceInvalidUtf8(std::string_view text) {
    std::string repaired;
    repaired.reserve(text.size() + 8);
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            repaired.push_back(text[i++]);
            continue;
        }
        if (const auto n = multiByteSequenceLength(text.substr(i))) {
            repaired.append(text.substr(i, n));
            i += n;
        } else {
            repaired.append("\xEF\xBF\xBD");
            ++i;
        }
    }
    return repaired;
}

namespace {

bool isLineBreak(UChar32 c) { return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }

// The platform's white space: the space separators and the tab.
bool isWhitespace(UChar32 c) { return c == 0x09 || u_charType(c) == U_SPACE_SEPARATOR; }

bool isControlOrFormat(UChar32 c) {
    const auto type = u_charType(c);
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

// Calls `visit` with each scalar until it returns false; an invalid byte counts as U+FFFD.
template <class Visit>
bool everyScalar(std::string_view text, Visit visit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) c = 0xFFFD;
        if (!visit(c)) return false;
    }
    return true;
}

}  // namespace

std::u16string utf16(std::string_view text) {
    const auto unicode = unicodeFromUTF8(text);
    return std::u16string(unicode.getBuffer(), static_cast<std::size_t>(unicode.length()));
}

std::string utf8(std::u16string_view text) {
    std::string out;
    icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
    return out;
}

std::size_t utf16Length(std::string_view text) { return static_cast<std::size_t>(unicodeFromUTF8(text).length()); }

std::size_t previousGraphemeBoundary(std::u16string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == 0) return 0;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return offset - 1;
    const icu::UnicodeString unicode(false, text.data(), static_cast<int32_t>(text.size()));
    breaks->setText(unicode);
    const auto boundary = breaks->preceding(static_cast<int32_t>(offset));
    return boundary == icu::BreakIterator::DONE ? 0 : static_cast<std::size_t>(boundary);
}

std::string droppingLastGraphemeCluster(std::string_view text) {
    auto units = utf16(text);
    units.resize(previousGraphemeBoundary(units, units.size()));
    return utf8(units);
}

bool hasScalarAbove(std::string_view text, char32_t limit) {
    return !everyScalar(text, [&](UChar32 c) { return static_cast<char32_t>(c) <= limit; });
}

bool isPrintableWithoutSpace(std::string_view text) {
    return !text.empty() && everyScalar(text, [](UChar32 c) {
        return c >= 0x20 && !isWhitespace(c) && !isLineBreak(c) && !isControlOrFormat(c);
    });
}

bool isWhitespaceAndNewlinesOnly(std::string_view text) {
    return !text.empty() && everyScalar(text, [](UChar32 c) { return isWhitespace(c) || isLineBreak(c); });
}

}  // namespace tavelin
