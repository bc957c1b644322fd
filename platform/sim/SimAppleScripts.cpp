#include "platform/sim/SimAppleScripts.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tavelin::sim {
namespace {

constexpr std::string_view kSystemEvents = "System Events";
constexpr std::string_view kKeyCodeScript = "tell application \"System Events\" to key code ";
constexpr std::string_view kSyntaxError = "Expected end of line but found unknown token. (-2741)";

std::string errorText(const std::string& message, int number) {
    return message + " (" + std::to_string(number) + ")";
}

struct KeyPress {
    std::int64_t keyCode = 0;
    std::uint64_t flags = 0;
};

std::optional<std::uint64_t> modifierFlag(std::string_view word) {
    if (word == "control down") return kEventFlagControl;
    if (word == "shift down") return kEventFlagShift;
    if (word == "option down") return kEventFlagOption;
    if (word == "command down") return kEventFlagCommand;
    return std::nullopt;
}

// "{control down, shift down}" or a single word without braces.
std::optional<std::uint64_t> modifierFlags(std::string_view text) {
    if (text.starts_with('{')) {
        if (!text.ends_with('}')) return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    std::uint64_t flags = 0;
    while (true) {
        const auto comma = text.find(", ");
        const auto flag = modifierFlag(text.substr(0, comma));
        if (!flag) return std::nullopt;
        flags |= *flag;
        if (comma == std::string_view::npos) return flags;
        text.remove_prefix(comma + 2);
    }
}

std::optional<KeyPress> keyPress(std::string_view source) {
    if (!source.starts_with(kKeyCodeScript)) return std::nullopt;
    source.remove_prefix(kKeyCodeScript.size());
    KeyPress press;
    const auto [end, error] = std::from_chars(source.data(), source.data() + source.size(), press.keyCode);
    if (error != std::errc() || press.keyCode < 0) return std::nullopt;
    source.remove_prefix(static_cast<std::size_t>(end - source.data()));
    if (source.empty()) return press;
    constexpr std::string_view kUsing = " using ";
    if (!source.starts_with(kUsing)) return std::nullopt;
    const auto flags = modifierFlags(source.substr(kUsing.size()));
    if (!flags) return std::nullopt;
    press.flags = *flags;
    return press;
}

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

class SimAppleScripts::Script final : public AppleScript {
  public:
    Script(SimAppleScripts& owner, std::string source) : owner_(owner), source_(std::move(source)) {}
    std::optional<std::string> execute() override { return owner_.run(source_); }

  private:
    SimAppleScripts& owner_;
    std::string source_;
};

std::optional<SimAppleScripts::Tell> SimAppleScripts::parseTell(const std::string& source) {
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

std::optional<std::string> SimAppleScripts::target(const std::string& source) {
    if (source.starts_with(kKeyCodeScript)) return std::string(kSystemEvents);
    if (auto tell = parseTell(source)) return std::move(tell->target);
    return std::nullopt;
}

std::unique_ptr<AppleScript> SimAppleScripts::make(std::string source) {
    mainThread_.check();
    trace_.record("AppleScript.make " + source);
    made_.push_back(source);
    if (const auto to = target(source); to && makeFails_.contains(*to)) return nullptr;
    return std::make_unique<Script>(*this, std::move(source));
}

std::optional<std::string> SimAppleScripts::run(const std::string& source) {
    mainThread_.check();
    trace_.record("AppleScript.execute " + source);
    executed_.push_back(source);
    if (const auto to = target(source)) {
        if (const auto error = executionErrors_.find(*to); error != executionErrors_.end())
            return error->second;
    }
    if (const auto press = keyPress(source)) {
        if (press->flags != 0) input_.pressModifiers(press->flags);
        input_.keyDown(press->keyCode);
        input_.keyUp(press->keyCode);
        if (press->flags != 0) input_.releaseModifiers(press->flags);
        return std::nullopt;
    }
    if (const auto tell = parseTell(source)) return run(*tell);
    return std::string(kSyntaxError);
}

std::optional<std::string> SimAppleScripts::run(const Tell& tell) {
    constexpr int kCannotGetObject = -1728;
    constexpr int kSyntax = -2741;
    const auto& installed = workspace_.installedApplications();
    const auto application = std::ranges::find_if(installed, [&](const SimApplication& a) {
        return (tell.byBundleIdentifier ? a.bundleIdentifier : a.name) == tell.target;
    });
    const auto processIdentifier =
        application == installed.end() ? std::nullopt : workspace_.launch(application->bundleIdentifier);
    if (!processIdentifier)
        return errorText("Can’t get application \"" + tell.target + "\".", kCannotGetObject);
    // One entry per open "if": whether its body runs.
    std::vector<bool> conditions;
    for (const auto& line : tell.body) {
        const bool running = std::ranges::all_of(conditions, [](bool c) { return c; });
        if (line == "if (count of windows) = 0 then") {
            conditions.push_back(windows_.applicationWindows(*processIdentifier).empty());
        } else if (line == "end if") {
            if (conditions.empty()) return errorText("Expected end of line.", kSyntax);
            conditions.pop_back();
        } else if (running) {
            if (auto error = command(tell, *processIdentifier, line)) return error;
        }
    }
    if (!conditions.empty()) return errorText("Expected \"end\".", kSyntax);
    return std::nullopt;
}

std::optional<std::string> SimAppleScripts::command(const Tell& tell, std::int32_t processIdentifier,
                                                    const std::string& line) {
    constexpr int kNotUnderstood = -1708;
    constexpr int kFileError = -50;
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
        if (error) return errorText("Finder got an error: " + error.message(), kFileError);
    } else {
        return errorText(tell.target + " got an error: \"" + line + "\" doesn’t understand the message.",
                         kNotUnderstood);
    }
    return std::nullopt;
}

void SimAppleScripts::setMakeFails(std::string target, bool fails) {
    if (fails) {
        makeFails_.insert(std::move(target));
    } else {
        makeFails_.erase(target);
    }
}

void SimAppleScripts::setExecutionError(std::string target, std::optional<std::string> error) {
    if (error) {
        executionErrors_[std::move(target)] = std::move(*error);
    } else {
        executionErrors_.erase(target);
    }
}

}  // namespace tavelin::sim
