#include "platform/FileURL.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tavelin {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelimiter(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }

// Characters a URL may hold as they are; anything else must be percent-encoded.
bool isURLCharacter(char c) {
    return isUnreserved(c) || isSubDelimiter(c) ||
           std::string_view(":/?#[]@").find(c) != std::string_view::npos;
}

bool hasValidCharacters(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return false;
            i += 2;
        } else if (!isURLCharacter(text[i])) {
            return false;
        }
    }
    // At most one fragment.
    return std::ranges::count(text, '#') <= 1;
}

// The scheme, when the text starts with one ("file:", "https:").
std::optional<std::string_view> scheme(std::string_view text) {
    if (text.empty() || !isAlpha(text.front())) return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') return text.substr(0, i);
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return std::nullopt;
}

bool equalsIgnoringASCIICase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// None when the decoded text holds a NUL: no file can have such a path.
std::optional<std::string> percentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            decoded.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    if (decoded.find('\0') != std::string::npos) return std::nullopt;
    return decoded;
}

}  // namespace

std::optional<std::string> filePathFromURL(std::string_view text) {
    if (!hasValidCharacters(text)) return std::nullopt;
    const auto urlScheme = scheme(text);
    if (!urlScheme || !equalsIgnoringASCIICase(*urlScheme, "file")) return std::nullopt;
    std::string_view rest = text.substr(urlScheme->size() + 1);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        rest.remove_prefix(std::min(rest.find_first_of("/?#"), rest.size()));  // the host
    }
    rest = rest.substr(0, std::min(rest.find_first_of("?#"), rest.size()));
    auto path = percentDecoded(rest);
    if (!path || path->empty()) return std::nullopt;
    return path;
}

bool isValidURL(std::string_view text) { return hasValidCharacters(text) && scheme(text).has_value(); }

std::string droppingTrailingSlash(std::string path) {
    if (path.size() >= 2 && path.back() == '/') path.pop_back();
    return path;
}

std::string fileURL(const std::filesystem::path& path, bool isDirectory) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path.string()) {
        if (isUnreserved(c) || isSubDelimiter(c) || c == '/' || c == ':' || c == '@') {
            url.push_back(c);
        } else {
            const auto byte = static_cast<std::uint8_t>(c);
            url += {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
        }
    }
    if (isDirectory && !url.ends_with('/')) url.push_back('/');
    return url;
}

}  // namespace tavelin
