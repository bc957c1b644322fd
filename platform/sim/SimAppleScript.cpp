#include "platform/sim/SimAppleScript.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tavelin::sim {
namespace {

constexpr std::int64_t kSyntaxError = -2741;
constexpr std::int64_t kCannotGetObject = -1728;
constexpr std::int64_t kNotUnderstood = -1708;
constexpr std::int64_t kFileError = -50;

std::string trimmed(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = line.find_last_not_of(" \t\r");
    return std::string(line.substr(first, last - first + 1));
}

// The quoted text after the prefix, when the line is exactly that.
std::optional<std::string> quotedAfter(std::string_view line, std::string_view prefix) {
    if (!line.starts_with(prefix)) return std::nullopt;
    line.remove_prefix(prefix.size());
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
    const auto inner = line.substr(1, line.size() - 2);
    if (inner.find('"') != std::string_view::npos) return std::nullopt;
    return std::string(inner);
}

}  // namespace

std::optional<SimAppleScript::Tell> SimAppleScript::parse(const std::string& source) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= source.size()) {
        const auto end = std::min(source.find('\n', start), source.size());
        if (auto line = trimmed(std::string_view(source).substr(start, end - start)); !line.empty()) {
            lines.push_back(std::move(line));
        }
        start = end + 1;
    }
    if (lines.size() < 2 || lines.back() != "end tell") return std::nullopt;
    Tell tell;
    if (auto bundle = quotedAfter(lines.front(), "tell application id ")) {
        tell.target = std::move(*bundle);
        tell.byBundleIdentifier = true;
    } else if (auto name = quotedAfter(lines.front(), "tell application ")) {
        tell.target = std::move(*name);
    } else {
        return std::nullopt;
    }
    tell.body.assign(lines.begin() + 1, lines.end() - 1);
    return tell;
}

std::optional<AppleScript> SimAppleScript::makeScript(std::string source) {
    made_.push_back(source);
    if (const auto tell = parse(source); tell && makeFails_.contains(tell->target)) return std::nullopt;
    return AppleScript{std::move(source)};
}

std::expected<void, AppleScriptError> SimAppleScript::execute(const AppleScript& script) {
    executed_.push_back(script.source);
    const auto tell = parse(script.source);
    if (!tell)
        return std::unexpected(
            AppleScriptError{"Expected end of line but found end of script.", kSyntaxError});
    if (const auto error = executionErrors_.find(tell->target); error != executionErrors_.end()) {
        return std::unexpected(error->second);
    }
    return run(*tell);
}

std::expected<void, AppleScriptError> SimAppleScript::run(const Tell& tell) {
    const auto& installed = workspace_.installedApplications();
    const auto application = std::ranges::find_if(installed, [&](const SimApplication& a) {
        return (tell.byBundleIdentifier ? a.bundleIdentifier : a.name) == tell.target;
    });
    if (application == installed.end()) {
        return std::unexpected(
            AppleScriptError{"Can’t get application \"" + tell.target + "\".", kCannotGetObject});
    }
    const auto processIdentifier = workspace_.launch(application->bundleIdentifier);
    if (!processIdentifier) {
        return std::unexpected(
            AppleScriptError{"Can’t get application \"" + tell.target + "\".", kCannotGetObject});
    }
    // One entry per open "if": whether its body runs.
    std::vector<bool> conditions;
    for (const auto& line : tell.body) {
        const bool running = std::ranges::all_of(conditions, [](bool c) { return c; });
        if (line == "if (count of windows) = 0 then") {
            conditions.push_back(windows_.applicationWindows(*processIdentifier).empty());
        } else if (line == "end if") {
            if (conditions.empty())
                return std::unexpected(AppleScriptError{"Expected end of line.", kSyntaxError});
            conditions.pop_back();
        } else if (running) {
            if (auto done = command(tell, *processIdentifier, line); !done) return done;
        }
    }
    if (!conditions.empty()) return std::unexpected(AppleScriptError{"Expected \"end\".", kSyntaxError});
    return {};
}

std::expected<void, AppleScriptError> SimAppleScript::command(const Tell& tell,
                                                              std::int32_t processIdentifier,
                                                              const std::string& line) {
    const auto process = workspace_.process(processIdentifier);
    const bool finder = process && process->bundleIdentifier == "com.apple.finder";
    if (line == "activate") {
        workspace_.activate(processIdentifier);
    } else if (line == "make new window") {
        workspace_.showWindow(processIdentifier, "Untitled");
    } else if (line == "empty trash" && finder) {
        std::error_code error;
        std::vector<std::filesystem::path> entries;
        const auto trash = folders_.trashDirectory();
        for (std::filesystem::directory_iterator it(trash.value_or(""), error), end; !error && it != end;
             it.increment(error)) {
            entries.push_back(it->path());
        }
        for (const auto& entry : entries) {
            if (error) break;
            std::filesystem::remove_all(entry, error);  // a link goes, not what it points to
        }
        if (error)
            return std::unexpected(AppleScriptError{"Finder got an error: " + error.message(), kFileError});
    } else {
        return std::unexpected(AppleScriptError{
            tell.target + " got an error: \"" + line + "\" doesn’t understand the message.", kNotUnderstood});
    }
    return {};
}

void SimAppleScript::setMakeFails(std::string target, bool fails) {
    if (fails) {
        makeFails_.insert(std::move(target));
    } else {
        makeFails_.erase(target);
    }
}

void SimAppleScript::setExecutionError(std::string target, std::optional<AppleScriptError> error) {
    if (error) {
        executionErrors_[std::move(target)] = std::move(*error);
    } else {
        executionErrors_.erase(target);
    }
}

}  // namespace tavelin::sim
