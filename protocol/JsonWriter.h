#pragma once

// A compact JSON writer for the wire form: no whitespace, '/' escaped as "\/", non-ASCII text as raw
// UTF-8, integers as 64-bit, doubles in shortest round-trip form. A non-finite double (or any other
// value that has no wire form) marks the writer failed; the caller turns that into an encoding error.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavelin {

// A record's key, spelled in the program: it is checked when the program is built to need no escape, so
// that writing it copies it as it stands.
class FieldName {
public:
    template <std::size_t N>
    consteval FieldName(const char (&text)[N]) : text_(text, N - 1) {
        for (const char c : text_) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\' || c == '/') {
                throw "a field name must be plain ASCII without characters that need an escape";
            }
        }
    }

    std::string_view text() const { return text_; }

private:
    std::string_view text_;
};

class JsonWriter {
public:
    // Room for `expectedSize` bytes is taken at once.
    explicit JsonWriter(std::size_t expectedSize = 256) { out_.reserve(expectedSize); }

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // A key from data, escaped as any string.
    void key(std::string_view name);
    void key(FieldName name);

    void string(std::string_view text);
    void integer(std::int64_t value);
    void number(double value);
    void boolean(bool value);
    void null();
    // Inserts an already encoded JSON value as it stands.
    void raw(std::string_view json);

    // Marks the encoding failed; the first reason is kept.
    void fail(std::string_view reason);
    bool failed() const { return failed_; }
    const std::string& failure() const { return failure_; }

    const std::string& text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void separate();

    std::string out_;
    std::string failure_;
    bool needsComma_ = false;
    bool failed_ = false;
};

// Appends `text` as a quoted JSON string. Invalid UTF-8 (a Linux file name may hold any bytes) is
// written with U+FFFD in place of each bad sequence, so the output is always valid JSON.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace tavelin
