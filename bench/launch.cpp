// bench-launch: starts programs again and again and reports the median time
// each took from exec to its first paint.
//
//   bench-launch RUNS "program args..." ["program args..." ...]
//
// The programs are started in turn (A, B, A, B ...) after one unmeasured
// start of each, so both see the same machine. Each run gets
// PUMP_BENCH_T0_NS, the monotonic time taken just before exec, and prints
// "first_paint_ms=X". Output: "median_ms_<n>=X" and "runs_<n>=x,y,..." per
// program, numbered from 1.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

std::vector<std::string> words(const std::string& command)
{
    std::istringstream in(command);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// Runs the command once; returns its first-paint milliseconds, or a negative
// number when it printed none.
double runOnce(const std::vector<std::string>& argv)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const std::string t0 = std::to_string(monotonicNs());
        setenv("PUMP_BENCH_T0_NS", t0.c_str(), 1);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const char key[] = "first_paint_ms=";
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return -1;
    return std::atof(text.c_str() + at + sizeof key - 1);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench-launch RUNS \"program args\" ...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<std::vector<std::string>> commands;
    for (int i = 2; i < argc; ++i)
        commands.push_back(words(argv[i]));
    std::vector<std::vector<double>> times(commands.size());
    for (const auto& command : commands)
        runOnce(command);  // warms the caches; not counted
    for (int r = 0; r < runs; ++r) {
        for (size_t c = 0; c < commands.size(); ++c) {
            const double ms = runOnce(commands[c]);
            if (ms < 0) {
                std::fprintf(stderr, "bench-launch: %s printed no first paint\n", commands[c][0].c_str());
                return 1;
            }
            times[c].push_back(ms);
        }
    }
    for (size_t c = 0; c < commands.size(); ++c) {
        std::vector<double> sorted = times[c];
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
        std::printf("median_ms_%zu=%.3f\nruns_%zu=", c + 1, median, c + 1);
        for (size_t i = 0; i < n; ++i)
            std::printf("%s%.1f", i ? "," : "", times[c][i]);
        std::printf("\n");
    }
    return 0;
}
