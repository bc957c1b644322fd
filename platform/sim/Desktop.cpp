#include "platform/sim/Desktop.h"

#include <algorithm>
#include <set>

#include "platform/FileContents.h"

namespace tavelin::sim {
namespace {

constexpr std::size_t kMaxDesktopFileBytes = 16 * 1024 * 1024;

// The codec ignores keys it does not know, as the wire must; a file written by hand must not.
bool onlyKeys(const JsonValue& v, std::initializer_list<std::string_view> keys) {
    simdjson::dom::object object;
    if (v.element().get_object().get(object)) return v.failType("an object");
    for (const auto field : object) {
        if (std::find(keys.begin(), keys.end(), field.key) == keys.end()) {
            return v.fail("unknown key \"" + std::string(field.key) + "\"");
        }
    }
    return true;
}

// Fails at the field `key` of the object that `r` reads.
bool failField(const ObjectReader& r, std::string_view key, std::string_view message) {
    const DecodePath path(r.value().path(), key);
    return r.value().at(r.value().element(), path).fail(message);
}

// Reads a required text that must not be empty.
bool requiredText(ObjectReader& r, std::string_view key, std::string& out) {
    if (!r.required(key, out).ok()) return false;
    return !out.empty() || failField(r, key, "must not be empty");
}

// Letters, digits, '-' and '.', starting with a letter or digit: it also names a preference file.
bool requiredBundleIdentifier(ObjectReader& r, std::string_view key, std::string& out) {
    if (!r.required(key, out).ok()) return false;
    const auto isAlphanumeric = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    const bool valid = !out.empty() && isAlphanumeric(out.front()) && std::ranges::all_of(out, [&](char c) {
        return isAlphanumeric(c) || c == '-' || c == '.';
    });
    return valid || failField(r, key, "expected a bundle identifier, found \"" + out + "\"");
}

bool requiredAbsolutePath(ObjectReader& r, std::string_view key, std::filesystem::path& out) {
    std::string text;
    if (!r.required(key, text).ok()) return false;
    if (text.empty() || text.front() != '/') {
        return failField(r, key, "expected an absolute path, found \"" + text + "\"");
    }
    out = text;
    return true;
}

bool readProgram(const JsonValue& v, BundleInfo& program) {
    if (!onlyKeys(v, {"bundleIdentifier", "version", "path"})) return false;
    ObjectReader r(v);
    return requiredBundleIdentifier(r, "bundleIdentifier", program.identifier) &&
           requiredText(r, "version", program.version) && requiredAbsolutePath(r, "path", program.path);
}

}  // namespace

bool fromJSON(const JsonValue& v, DesktopHost& host) {
    if (!onlyKeys(v, {"name", "systemVersion"})) return false;
    ObjectReader r(v);
    r.optional("name", host.name).orDefault("systemVersion", host.systemVersion, DesktopHost{}.systemVersion);
    return r.ok();
}

bool fromJSON(const JsonValue& v, DesktopApplication& application) {
    if (!onlyKeys(v, {"bundleIdentifier", "name", "path"})) return false;
    ObjectReader r(v);
    return requiredBundleIdentifier(r, "bundleIdentifier", application.bundleIdentifier) &&
           requiredText(r, "name", application.name) && requiredAbsolutePath(r, "path", application.path);
}

bool fromJSON(const JsonValue& v, Desktop& desktop) {
    if (!onlyKeys(v, {"host", "program", "applications"})) return false;
    ObjectReader r(v);
    r.orDefault("host", desktop.host, DesktopHost{}).orDefault("applications", desktop.applications, {});
    if (!r.ok()) return false;
    if (const auto program = r.find("program")) {
        const DecodePath path(v.path(), "program");
        if (!readProgram(v.at(*program, path), desktop.program)) return false;
    }
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < desktop.applications.size(); ++i) {
        const auto& identifier = desktop.applications[i].bundleIdentifier;
        if (!seen.insert(identifier).second) {
            const DecodePath list(v.path(), "applications");
            const DecodePath entry(list, i);
            const DecodePath path(entry, "bundleIdentifier");
            return v.at(v.element(), path).fail("\"" + identifier + "\" is listed twice");
        }
    }
    return true;
}

std::expected<Desktop, DecodeError> loadDesktopFile(const std::filesystem::path& path) {
    const auto text = readFileContents(path, kMaxDesktopFileBytes);
    if (!text) return std::unexpected(DecodeError{text.error().message});
    auto desktop = decodeJSON<Desktop>(*text);
    if (!desktop) return std::unexpected(DecodeError{path.string() + ": " + desktop.error().message});
    return desktop;
}

}  // namespace tavelin::sim
