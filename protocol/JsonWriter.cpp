#include "protocol/JsonWriter.h"

#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>

namespace tavelin {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t validSequenceLength(std::string_view s) {
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

}  // namespace

std::string replaceInvalidUtf8(std::string_view text) {
    std::string repaired;
    repaired.reserve(text.size() + 8);
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            repaired.push_back(text[i++]);
            continue;
        }
        if (const auto n = validSequenceLength(text.substr(i))) {
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

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

constexpr bool needsCare(unsigned char c) { return c < 0x20 || c == '"' || c == '\\' || c == '/' || c >= 0x80; }

// Whether any of the eight bytes is a control character, '"', '\\', '/' or not ASCII.
bool wordNeedsCare(std::uint64_t x) {
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    return ((x - 0x20 * kOnes) & ~x & kHighs) != 0 || hasZero(x ^ ('"' * kOnes)) != 0 ||
           hasZero(x ^ ('\\' * kOnes)) != 0 || hasZero(x ^ ('/' * kOnes)) != 0 || (x & kHighs) != 0;
}

bool isAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & kHighs) != 0) return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

// The index of the first byte that cannot be copied as it stands, or the text's size.
std::size_t firstByteNeedingCare(std::string_view text, std::size_t from) {
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (wordNeedsCare(word)) break;
    }
    while (i < text.size() && !needsCare(static_cast<unsigned char>(text[i]))) ++i;
    return i;
}

// Appends `text`, already valid UTF-8, with the escapes of the wire form. Non-ASCII passes as it is.
void appendEscaped(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (true) {
        const std::size_t special = firstByteNeedingCare(text, i);
        out.append(text.substr(i, special - i));
        if (special == text.size()) return;
        const auto c = static_cast<unsigned char>(text[special]);
        i = special + 1;
        switch (c) {
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            case '/': out.append("\\/"); break;
            case '\b': out.append("\\b"); break;
            case '\f': out.append("\\f"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '\t': out.append("\\t"); break;
            default:
                if (c >= 0x80) {
                    out.push_back(static_cast<char>(c));
                } else {
                    out.append("\\u00");
                    out.push_back(kHex[c >> 4]);
                    out.push_back(kHex[c & 0xF]);
                }
        }
    }
}

// Grows `out` by `count` bytes in one step and gives where they start, for the caller to fill.
char* extend(std::string& out, std::size_t count) {
    const std::size_t at = out.size();
    out.resize(at + count);
    return out.data() + at;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    const std::size_t special = firstByteNeedingCare(text, 0);
    if (special == text.size()) {
        char* p = extend(out, text.size() + 2);
        *p = '"';
        std::memcpy(p + 1, text.data(), text.size());
        p[text.size() + 1] = '"';
        return;
    }
    out.push_back('"');
    if (isAscii(text.substr(special)) || simdjson::validate_utf8(text.data(), text.size())) {
        out.append(text.substr(0, special));
        appendEscaped(out, text.substr(special));
    } else {
        appendEscaped(out, replaceInvalidUtf8(text));
    }
    out.push_back('"');
}

void JsonWriter::separate() {
    if (needsComma_) out_.push_back(',');
}

void JsonWriter::beginObject() {
    separate();
    out_.push_back('{');
    needsComma_ = false;
}

void JsonWriter::endObject() {
    out_.push_back('}');
    needsComma_ = true;
}

void JsonWriter::beginArray() {
    separate();
    out_.push_back('[');
    needsComma_ = false;
}

void JsonWriter::endArray() {
    out_.push_back(']');
    needsComma_ = true;
}

void JsonWriter::key(std::string_view name) {
    separate();
    appendJsonString(out_, name);
    out_.push_back(':');
    needsComma_ = false;
}

void JsonWriter::key(FieldName name) {
    const auto text = name.text();
    char* p = extend(out_, (needsComma_ ? 1 : 0) + text.size() + 3);
    if (needsComma_) *p++ = ',';
    *p++ = '"';
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = '"';
    p[text.size() + 1] = ':';
    needsComma_ = false;
}

void JsonWriter::string(std::string_view text) {
    separate();
    appendJsonString(out_, text);
    needsComma_ = true;
}

void JsonWriter::integer(std::int64_t value) {
    separate();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    needsComma_ = true;
}

void JsonWriter::number(double value) {
    if (!std::isfinite(value)) {
        fail("a number is not finite");
        value = 0;
    }
    separate();
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    // The shortest form of 2^64 is its twenty digits, which readers refuse as an integer beyond 64 bits;
    // whole numbers outside the 64-bit range are written with an exponent instead.
    const bool digitsOnly = std::none_of(buffer, result.ptr, [](char c) { return c == '.' || c == 'e'; });
    if (digitsOnly && !(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    }
    out_.append(buffer, result.ptr);
    needsComma_ = true;
}

void JsonWriter::boolean(bool value) {
    separate();
    out_.append(value ? "true" : "false");
    needsComma_ = true;
}

void JsonWriter::null() {
    separate();
    out_.append("null");
    needsComma_ = true;
}

void JsonWriter::raw(std::string_view json) {
    separate();
    out_.append(json);
    needsComma_ = true;
}

void JsonWriter::fail(std::string_view reason) {
    if (failed_) return;
    failed_ = true;
    failure_ = reason;
}

}  // namespace tavelin
