#pragma once

// Runs a program as a person runs it from a shell: the given text on its standard input, its standard
// output, standard error and exit status kept. The files for them go in a scratch folder.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tavelin {

struct ProgramRun {
    int status = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// `commandLine` is the program and its arguments as the shell reads them.
inline ProgramRun runProgram(const std::string& commandLine, const std::string& input,
                             const std::filesystem::path& scratch) {
    std::ofstream(scratch / "in") << input;
    const std::string command = commandLine + " <" + (scratch / "in").string() + " >" +
                                (scratch / "out").string() + " 2>" + (scratch / "err").string();
    ProgramRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = slurp(scratch / "out");
    run.err = slurp(scratch / "err");
    return run;
}

}  // namespace tavelin
