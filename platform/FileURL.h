#pragma once

// File URLs as the Dock's preferences and the Accessibility tree hold them:
// "file:///Applications/Safari.app/", "file://localhost/Users/me/My%20Files/". The reading side is
// strict about what a URL may contain, as the platform's URL parser is; whatever it refuses is no URL.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

// The percent-decoded path of a file URL. None for a text that is no URL (a blank, a stray '%', a NUL once
// decoded), for a URL of another scheme or without one ("https://example.org",
// "/a/b"), and for a file URL without a path. Query and fragment are not part of the path; the host is
// not looked at ("localhost" or none).
std::optional<std::string> filePathFromURL(std::string_view text);

// Whether the text is a URL as the platform's parser takes it: a scheme, then only characters a URL may
// hold ("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility").
bool isValidURL(std::string_view text);

// A path of two or more characters loses one trailing '/': "/a/b/" is "/a/b", "/" stays "/".
std::string droppingTrailingSlash(std::string path);

// "file://" + the percent-encoded absolute path, ending in '/' for a folder.
std::string fileURL(const std::filesystem::path& path, bool isDirectory);

}  // namespace tavelin
