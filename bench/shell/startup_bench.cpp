// Whole-process start-up: fork/exec to exit, wall time and peak resident memory (wait4's
// ru_maxrss), for the windows program and the minimal Qt program. After the runs it prints the
// ratios windows / minimal of the mean time and of the mean peak memory.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Totals {
    double seconds = 0;
    double maxRssKiB = 0;
    int runs = 0;
};
std::map<std::string, Totals> totals;

bool runOnce(const char* program, double& seconds, long& maxRssKiB) {
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, program, &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return false;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    maxRssKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void startUp(benchmark::State& state, const char* name, const char* program) {
    double rssSum = 0;
    for (auto _ : state) {
        double seconds = 0;
        long rss = 0;
        if (!runOnce(program, seconds, rss)) {
            state.SkipWithError("the program did not start or did not end with 0");
            return;
        }
        state.SetIterationTime(seconds);
        rssSum += static_cast<double>(rss);
        Totals& t = totals[name];
        t.seconds += seconds;
        t.maxRssKiB += static_cast<double>(rss);
        ++t.runs;
    }
    state.counters["maxrss_KiB"] = rssSum / static_cast<double>(state.iterations());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // One run each first, so that both find the font cache and the libraries warm.
    double seconds = 0;
    long rss = 0;
    runOnce(MINIMAL_PROGRAM, seconds, rss);
    runOnce(WINDOWS_PROGRAM, seconds, rss);
    runOnce(PROGRAM_WITH_WEB, seconds, rss);

    // Alternating rounds, so that a slow spell of the machine falls on both alike.
    for (int round = 0; round < 3; ++round) {
        const std::string suffix = "/round:" + std::to_string(round);
        benchmark::RegisterBenchmark(("minimal_qt_label" + suffix).c_str(), startUp, "minimal",
                                     MINIMAL_PROGRAM)
            ->UseManualTime()
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("tavolin_windows" + suffix).c_str(), startUp, "windows",
                                     WINDOWS_PROGRAM)
            ->UseManualTime()
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("tavolin_windows_with_libcurl" + suffix).c_str(), startUp,
                                     "program", PROGRAM_WITH_WEB)
            ->UseManualTime()
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const Totals& minimal = totals["minimal"];
    if (minimal.runs == 0) {
        return 1;
    }
    const double minimalTime = minimal.seconds / minimal.runs;
    const double minimalRss = minimal.maxRssKiB / minimal.runs;
    std::printf("\nminimal Qt program: %.1f ms, %.0f KiB\n", minimalTime * 1000, minimalRss);
    for (const auto& [name, label] : {std::pair{"windows", "the two windows"},
                                      std::pair{"program", "the two windows + libcurl"}}) {
        const Totals& t = totals[name];
        if (t.runs == 0) {
            continue;
        }
        const double time = t.seconds / t.runs;
        const double rss = t.maxRssKiB / t.runs;
        std::printf(
            "%s: %.1f ms, %.0f KiB; time ratio %.2f (goal <= 1.30), memory ratio %.2f "
            "(goal <= 1.20)\n",
            label, time * 1000, rss, time / minimalTime, rss / minimalRss);
    }
    return 0;
}
