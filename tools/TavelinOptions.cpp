#include "tools/TavelinOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace tavelin {

const char* const kTavelinUsage =
    "usage: tavelin [--home DIR] [--desktop FILE] [--json] [--exit-after SECONDS] [--panel-png PATH]\n"
    "  Runs Tavelin's start-up on a simulated Mac and shows the live Dock snapshot.\n"
    "  --home DIR          the simulated Mac's home folder (made when missing); without it a fresh\n"
    "                      folder in the temporary folder\n"
    "  --desktop FILE      the simulated Mac (a desktop file); the bundled example without it\n"
    "  --json              each snapshot in wire form, one line each, instead of the readable view\n"
    "  --exit-after SECS   quits after that many seconds (fractions allowed)\n"
    "  --panel-png PATH    draws the switcher's open panel to PATH after each change\n"
    "  Commands on standard input: type help.\n";

std::optional<std::chrono::milliseconds> parseSeconds(std::string_view text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds < 0 ||
        seconds > 86400.0 * 365) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(seconds * 1000)));
}

std::expected<TavelinOptions, std::string> parseTavelinOptions(std::span<const char* const> arguments) {
    TavelinOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= arguments.size()) return std::nullopt;
            return std::string_view(arguments[++i]);
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--home" || argument == "--desktop" || argument == "--panel-png") {
            const auto path = value();
            if (!path || path->empty()) return std::unexpected(std::string(argument) + " needs a path");
            auto& option = argument == "--home" ? options.home : argument == "--desktop" ? options.desktop : options.panelPNG;
            option = std::filesystem::path(*path);
        } else if (argument == "--exit-after") {
            const auto text = value();
            const auto seconds = text ? parseSeconds(*text) : std::nullopt;
            if (!seconds) return std::unexpected("--exit-after needs a number of seconds");
            options.exitAfter = seconds;
        } else {
            return std::unexpected("unknown argument \"" + std::string(argument) + "\"");
        }
    }
    return options;
}

}  // namespace tavelin
