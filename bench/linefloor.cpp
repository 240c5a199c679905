// The floor for the line-rate CPU figures: the same pseudo-terminal read by
// the least a reader can do (poll, read, count the bytes), with no Qt, no
// framing and no painting. What this costs per wall second is what the
// machine charges for being woken by every piece of an answer; the panel's
// figure can be no lower.
//
//   bench-linefloor --device=PATH --duration=SECONDS --warmup=SECONDS
#include "bench/measure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    std::string device;
    double durationS = 10;
    double warmupS = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--device=", 0) == 0)
            device = a.substr(9);
        else if (a.rfind("--duration=", 0) == 0)
            durationS = std::atof(a.c_str() + 11);
        else if (a.rfind("--warmup=", 0) == 0)
            warmupS = std::atof(a.c_str() + 9);
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        std::fprintf(stderr, "bench-linefloor: %s: %s\n", device.c_str(), std::strerror(errno));
        return 1;
    }
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
    // pump-sim waits for a first command before it floods.
    if (::write(fd, "Q00F0000Y", 9) != 9)
        return 1;

    const qint64 start = bench::monotonicNs();
    const qint64 windowStart = start + static_cast<qint64>(warmupS * 1e9);
    const qint64 windowEnd = windowStart + static_cast<qint64>(durationS * 1e9);
    bool inWindow = false;
    qint64 cpu0 = 0;
    bench::ProcStatCpu stat0;
    qint64 bytes = 0;
    qint64 wakeUps = 0;
    char buffer[4096];
    for (;;) {
        const qint64 now = bench::monotonicNs();
        if (!inWindow && now >= windowStart) {
            inWindow = true;
            cpu0 = bench::processCpuNs();
            stat0 = bench::procStatCpu();
            bytes = 0;
            wakeUps = 0;
        }
        if (now >= windowEnd)
            break;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>((windowEnd - now) / 1000000 + 1));
        if (ready < 0 && errno != EINTR)
            return 1;
        if (ready <= 0)
            continue;
        if (p.revents & (POLLHUP | POLLERR))
            break;
        ++wakeUps;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes += n;
        }
    }
    const double wall = static_cast<double>(bench::monotonicNs() - windowStart) / 1e9;
    const bench::ProcStatCpu stat1 = bench::procStatCpu();
    bench::printFigure("cpu_per_wall", static_cast<double>(bench::processCpuNs() - cpu0) / 1e9 / wall);
    bench::printFigure("user_per_wall_procstat", (stat1.user - stat0.user) / wall);
    bench::printFigure("system_per_wall_procstat", (stat1.system - stat0.system) / wall);
    bench::printFigure("window_s", wall);
    bench::printFigure("answers", bytes / 9);
    bench::printFigure("wake_ups", wakeUps);
    ::close(fd);
    return 0;
}
