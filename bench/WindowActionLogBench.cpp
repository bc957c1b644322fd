// One line of the window-actions log as an action writes it: the stamp, the folder check, open, one
// write and close. A window action writes a few dozen lines, so one line should stay well under 30 µs.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "runtime/LiveScheduler.h"
#include "runtime/WindowActionLog.h"

namespace tavelin {
namespace {

void BM_WindowActionLogLine(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path home = pattern;
    {
        LiveScheduler scheduler;
        WindowActionFileLog log(home, scheduler.clock());
        for (auto _ : state) log.append("activate ensure visible ok cgID=4711 attempt=0");
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_WindowActionLogLine);

}  // namespace
}  // namespace tavelin
