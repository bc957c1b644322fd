#include "platform/sim/SimProcesses.h"

namespace tavelin::sim {

std::expected<int, ProcessError> SimProcesses::runAndWait(const std::filesystem::path& tool,
                                                          std::vector<std::string> arguments) {
    runs_.push_back({tool, arguments});
    if (unstartable_ || tool != kOsascriptPath) {
        return std::unexpected(
            ProcessError{"The file “" + tool.filename().string() + "” couldn’t be opened."});
    }
    const int status = osascript(arguments);
    return exitStatus_.value_or(status);
}

int SimProcesses::osascript(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 || arguments[0] != "-e") return 1;
    const auto script = scripts_.make(arguments[1]);
    return script && !script->execute() ? 0 : 1;
}

}  // namespace tavelin::sim
