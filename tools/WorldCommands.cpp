#include "tools/WorldCommands.h"

#include <fstream>
#include <system_error>
#include <vector>

namespace tavelin {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const auto start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) break;
        auto end = line.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

// A name of its own in the Trash folder, never a path that leads elsewhere.
bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

using Reply = std::expected<std::string, std::string>;

// A reply that refuses the line.
Reply refused(std::string why) { return std::unexpected(std::move(why)); }

// `done` when the world did it, else a refusal.
Reply outcome(bool succeeded, std::string done, std::string failed) {
    return succeeded ? Reply(std::move(done)) : refused(std::move(failed));
}

Reply applicationCommand(std::string_view verb, const std::string& bundleID, sim::SimWorkspace& workspace) {
    if (verb == "launch") {
        if (workspace.process(bundleID)) return refused(bundleID + " is running already");
        const auto process = workspace.launch(bundleID);
        if (!process) return refused("no application " + bundleID + " is installed");
        return "launched " + bundleID + " (process " + std::to_string(*process) + ")";
    }
    const auto process = workspace.process(bundleID);
    if (!process) return refused(bundleID + " is not running");
    const auto pid = process->processIdentifier;
    if (verb == "quit")
        return outcome(workspace.terminate(pid), "quit " + bundleID, "could not quit " + bundleID);
    if (verb == "activate") {
        return outcome(workspace.activate(pid), "activated " + bundleID, "could not activate " + bundleID);
    }
    if (verb == "hide") return outcome(workspace.hide(pid), "hid " + bundleID, "could not hide " + bundleID);
    return outcome(workspace.unhide(pid), "unhid " + bundleID, "could not unhide " + bundleID);
}

Reply trashCommand(std::string_view verb, std::string_view name, sim::SimMac& mac) {
    if (!isPlainFileName(name)) return refused("\"" + std::string(name) + "\" is not a plain file name");
    const auto file = *mac.folders().trashDirectory() / std::string(name);
    std::error_code error;
    const bool exists = std::filesystem::exists(std::filesystem::symlink_status(file, error));
    if (verb == "trash-add") {
        if (exists) return refused(std::string(name) + " is in the Trash already");
        const bool created = static_cast<bool>(std::ofstream(file));
        return outcome(created, "put " + std::string(name) + " in the Trash",
                       "could not put " + std::string(name) + " in the Trash");
    }
    if (!exists) return refused(std::string(name) + " is not in the Trash");
    if (std::filesystem::is_directory(std::filesystem::symlink_status(file, error))) {
        return refused(std::string(name) + " is a folder; only files are removed");
    }
    if (!std::filesystem::remove(file, error)) {
        return refused("could not remove " + std::string(name) + ": " + error.message());
    }
    return "removed " + std::string(name) + " from the Trash";
}

}  // namespace

std::expected<std::string, std::string> runWorldCommand(std::string_view line, sim::SimMac& mac) {
    const auto parts = words(line);
    if (parts.empty()) return "";
    const auto verb = parts[0];
    if (verb == "quit" && parts.size() == 1) {
        mac.application().terminate();
        return "quitting";
    }
    if (parts.size() == 2) {
        for (const std::string_view application : {"launch", "quit", "activate", "hide", "unhide"}) {
            if (verb == application) return applicationCommand(verb, std::string(parts[1]), mac.workspace());
        }
    }
    if ((verb == "trash-add" || verb == "trash-remove") && parts.size() >= 2) {
        // The name is the rest of the line: a file name may hold blanks.
        const auto start = static_cast<std::size_t>(parts[1].data() - line.data());
        const auto end = static_cast<std::size_t>(parts.back().data() + parts.back().size() - line.data());
        return trashCommand(verb, line.substr(start, end - start), mac);
    }
    return refused("unknown command \"" + std::string(line) + "\"; type help");
}

}  // namespace tavelin
