#pragma once

#include <QtGlobal>

#include <cstdio>
#include <vector>

// What the benchmarks read about their own process: clocks, CPU time and
// memory, and how they print a figure for bench/run.
namespace bench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in every thread and process.
qint64 monotonicNs();

// CPU time (user + system) of this whole process, every thread, in nanoseconds.
qint64 processCpuNs();

// utime and stime of this process from /proc/self/stat, in seconds (a
// cross-check of processCpuNs() at the kernel's tick resolution, and the
// split between the program and the kernel working for it).
struct ProcStatCpu {
    double user = 0;
    double system = 0;
    double total() const { return user + system; }
};
ProcStatCpu procStatCpu();
// The CPU time of one thread of this process in seconds, at the scheduler's
// nanoseconds (/proc/self/task/N/schedstat), found by its name (as the system
// knows it: the first 15 characters); zero when there is none.
double threadCpuS(const char* name);

// Minor page faults of this process so far (first touches of memory pages;
// on some virtual machines each costs several microseconds).
qint64 minorFaults();

// A "Vm..." line of /proc/self/status ("VmRSS", "VmHWM"), in KiB; -1 if absent.
qint64 statusKiB(const char* field);

// The p-th percentile (nearest rank) of the values; -1 when there are none.
double percentile(std::vector<double> values, double p);

// Prints one figure as "name=value" on stdout, which bench/run reads.
void printFigure(const char* name, double value);
void printFigure(const char* name, qint64 value);
void printText(const char* name, const char* value);

}  // namespace bench
