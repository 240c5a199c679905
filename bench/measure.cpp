#include "bench/measure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

namespace bench {

namespace {

qint64 clockNs(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

qint64 monotonicNs()
{
    return clockNs(CLOCK_MONOTONIC);
}

qint64 processCpuNs()
{
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

namespace {

ProcStatCpu statCpu(const char* path)
{
    FILE* f = std::fopen(path, "r");
    if (!f)
        return {};
    char line[2048] = {};
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    // The command name may hold blanks and parentheses: fields count from the
    // last ')'. utime and stime are fields 14 and 15.
    const char* p = std::strrchr(line, ')');
    if (!p)
        return {};
    ++p;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    // After ')' come field 3 (state) onwards.
    if (std::sscanf(p, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return {};
    const auto tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    return {static_cast<double>(utime) / tick, static_cast<double>(stime) / tick};
}

}  // namespace

ProcStatCpu procStatCpu()
{
    return statCpu("/proc/self/stat");
}

double threadCpuS(const char* name)
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return 0;
    double cpu = 0;
    while (const dirent* task = readdir(tasks)) {
        char path[320];
        std::snprintf(path, sizeof path, "/proc/self/task/%s/comm", task->d_name);
        FILE* f = std::fopen(path, "r");
        if (!f)
            continue;
        char comm[32] = {};
        const bool read = std::fgets(comm, sizeof comm, f) != nullptr;
        std::fclose(f);
        comm[std::strcspn(comm, "\n")] = '\0';
        if (read && std::strncmp(comm, name, 15) == 0) {
            std::snprintf(path, sizeof path, "/proc/self/task/%s/schedstat", task->d_name);
            if (FILE* s = std::fopen(path, "r")) {
                unsigned long long ns = 0;
                if (std::fscanf(s, "%llu", &ns) == 1)
                    cpu = static_cast<double>(ns) / 1e9;
                std::fclose(s);
            }
            break;
        }
    }
    closedir(tasks);
    return cpu;
}

qint64 minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

qint64 statusKiB(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    qint64 value = -1;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, len) == 0 && line[len] == ':') {
            value = std::atoll(line + len + 1);
            break;
        }
    }
    std::fclose(f);
    return value;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

void printFigure(const char* name, double value)
{
    std::printf("%s=%.6f\n", name, value);
    std::fflush(stdout);
}

void printFigure(const char* name, qint64 value)
{
    std::printf("%s=%lld\n", name, static_cast<long long>(value));
    std::fflush(stdout);
}

void printText(const char* name, const char* value)
{
    std::printf("%s=%s\n", name, value);
    std::fflush(stdout);
}

}  // namespace bench
