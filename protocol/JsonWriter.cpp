#include "protocol/JsonWriter.h"

#include "protocol/UnicodeText.h"

#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>

namespace tavelin {
namespace {

constexpr char kHex[] = "0123456789abcdef";

constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

constexpr bool needsCare(unsigned char c) { return c < 0x20 || c == '"' || c == '\\' || c == '/' || c >= 0x80; }

// Sixteen bytes at once, with the compiler's vector types (SSE2 on x86-64, NEON on ARM).
using Bytes16 = unsigned char __attribute__((vector_size(16)));

// Whether any of the sixteen bytes is a control character, '"', '\\', '/' or not ASCII.
bool blockNeedsCare(const char* p) {
    Bytes16 bytes;
    std::memcpy(&bytes, p, 16);
    const auto care = (bytes < 0x20) | (bytes >= 0x80) | (bytes == '"') | (bytes == '\\') | (bytes == '/');
    std::uint64_t halves[2];
    std::memcpy(halves, &care, 16);
    return (halves[0] | halves[1]) != 0;
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
    for (; i + 16 <= text.size(); i += 16) {
        if (blockNeedsCare(text.data() + i)) break;
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

// Grows `out` by `count` bytes in one step and lets `fill` write them, without clearing them first.
template <class Fill>
void extend(std::string& out, std::size_t count, Fill fill) {
    const std::size_t at = out.size();
    if (out.capacity() - at < count) out.reserve(std::max(out.capacity() * 2, at + count));
    out.resize_and_overwrite(at + count, [&](char* data, std::size_t size) {
        fill(data + at);
        return size;
    });
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    const std::size_t special = firstByteNeedingCare(text, 0);
    if (special == text.size()) {
        extend(out, text.size() + 2, [&](char* p) {
            *p = '"';
            std::memcpy(p + 1, text.data(), text.size());
            p[text.size() + 1] = '"';
        });
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
    extend(out_, (needsComma_ ? 1 : 0) + text.size() + 3, [&](char* p) {
        if (needsComma_) *p++ = ',';
        *p++ = '"';
        std::memcpy(p, text.data(), text.size());
        p[text.size()] = '"';
        p[text.size() + 1] = ':';
    });
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
    using namespace std::string_view_literals;
    const auto text = value ? ",true"sv : ",false"sv;
    out_.append(needsComma_ ? text : text.substr(1));
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
