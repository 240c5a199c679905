// pump-sim: plays a pump on a pseudo-terminal, with faults on request.
//
// The panel opens the terminal's slave side like any serial port. Commands are
// answered by the pump model after the time the frames take at 9600 baud;
// the fault shaper decides how the answers reach the line. The slave side
// stays open here too, so the terminal does not hang up while the panel has
// it closed; nothing here ever reads from it.

#include "sim/commandframer.h"
#include "sim/faultshaper.h"
#include "sim/pumpmodel.h"
#include "sim/pumpsimoptions.h"
#include "sim/serialline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using namespace pumpsim;

namespace {

// Once a hang-up reaches the terminal, bytes the panel has not read yet are
// lost. Before closing, give the kernel time to hand the last bytes to the
// terminal's input queue, then wait (up to a limit) until the panel has read it.
constexpr double kDrainSettleMs = 50.0;
constexpr double kDrainLimitMs = 1000.0;
constexpr int kDrainPollMs = 10;

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

QByteArray printable(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f)
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

class PtyPump : public QObject {
public:
    explicit PtyPump(const PumpSimOptions& options)
        : m_options(options), m_model(options.faults.seed), m_shaper(options.faults)
    {
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &PtyPump::service);
    }

    ~PtyPump() override { closeLine(); }

    // Creates the terminal; returns its slave path, or nothing with a message.
    std::optional<QString> openLine()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "pump-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
            return std::nullopt;
        }
        termios raw{};
        if (::tcgetattr(m_slave, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::cfsetispeed(&raw, B9600);
            ::cfsetospeed(&raw, B9600);
            ::tcsetattr(m_slave, TCSANOW, &raw);
        }
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

        m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyPump::readCommands);
        m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
        m_writeNotifier->setEnabled(false);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyPump::writeOut);
        return QString::fromLocal8Bit(name);
    }

    // Begins the orderly end: no more reading, let the panel read what was
    // already sent (up to a second), report the count and quit.
    void finish()
    {
        if (m_finishing)
            return;
        m_finishing = true;
        m_timer.stop();
        if (m_readNotifier)
            m_readNotifier->setEnabled(false);
        m_drainStartMs = now();
        drain();
    }

    qint64 answersSent() const { return m_sent; }

private:
    double now() const { return static_cast<double>(m_clock.nsecsElapsed()) / 1e6; }

    void readCommands()
    {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                handleCommands(QByteArray(buffer, static_cast<int>(n)));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                break;
            // The line itself broke; nothing more will come.
            m_readNotifier->setEnabled(false);
            break;
        }
        service();
    }

    void handleCommands(const QByteArray& bytes)
    {
        const double t = now();
        if (!m_started) {
            m_started = true;
            m_startMs = t;
        }
        for (const QByteArray& command : m_framer.push(bytes)) {
            // The command needed its own wire time to reach the pump.
            const double arrivedMs = t + wireMs(command.size());
            advanceModelTo(arrivedMs);
            const QByteArray answer = m_model.answer(command);
            if (m_options.verbose)
                std::fprintf(stderr, "pump-sim: <- %s  -> %s\n", printable(command).constData(),
                             answer.isEmpty() ? "(no answer)" : answer.constData());
            if (!answer.isEmpty())
                schedule(m_shaper.shape(answer, arrivedMs));
        }
    }

    void advanceModelTo(double ms)
    {
        if (ms > m_modelMs) {
            m_model.advance((ms - m_modelMs) / 1000.0);
            m_modelMs = ms;
        }
    }

    void schedule(const QList<TimedWrite>& writes)
    {
        for (const TimedWrite& w : writes)
            m_scheduled.push_back(w);
    }

    // Does whatever is due: the flood, a held answer whose partner did not
    // come, writes whose time has come, the end of the run. Then sets the timer
    // for the next thing.
    void service()
    {
        if (m_finishing)
            return;
        const double t = now();
        const double endMs = m_options.durationS > 0 ? m_startMs + m_options.durationS * 1000.0 : -1.0;
        if (m_started && endMs >= 0 && t >= endMs) {
            finish();
            return;
        }
        if (m_started && m_options.floodRate > 0) {
            const double period = 1000.0 / m_options.floodRate;
            while (m_startMs + m_flooded * period <= t) {
                const double readyMs = m_startMs + m_flooded * period;
                ++m_flooded;
                advanceModelTo(readyMs);
                schedule(m_shaper.shape(m_model.answer(QByteArrayLiteral("Q00F0000Y")), readyMs));
            }
        }
        if (const auto held = m_shaper.heldUntil(); held && *held <= t)
            schedule(m_shaper.releaseHeld(*held));

        while (!m_scheduled.empty() && m_scheduled.front().atMs <= t) {
            m_out.push_back(m_scheduled.front());
            m_scheduled.pop_front();
        }
        writeOut();
        if (m_finishing)
            return;

        double next = std::numeric_limits<double>::infinity();
        if (!m_scheduled.empty())
            next = m_scheduled.front().atMs;
        if (const auto held = m_shaper.heldUntil())
            next = std::min(next, *held);
        if (m_started && m_options.floodRate > 0)
            next = std::min(next, m_startMs + m_flooded * 1000.0 / m_options.floodRate);
        if (endMs >= 0)
            next = std::min(next, endMs);
        if (std::isfinite(next))
            m_timer.start(std::max(0, static_cast<int>(std::ceil(next - t))));
    }

    // Writes what is queued, as far as the terminal takes it; an answer counts
    // as sent once its last byte is written.
    void writeOut()
    {
        while (!m_out.empty()) {
            TimedWrite& w = m_out.front();
            const ssize_t n = ::write(m_master, w.bytes.constData() + m_outOffset,
                                      static_cast<size_t>(w.bytes.size() - m_outOffset));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN) {
                    m_writeNotifier->setEnabled(true);
                    return;
                }
                std::fprintf(stderr, "pump-sim: write failed: %s\n", std::strerror(errno));
                m_out.clear();
                m_outOffset = 0;
                break;
            }
            m_outOffset += n;
            if (m_outOffset < w.bytes.size())
                continue;
            m_sent += w.answers;
            m_out.pop_front();
            m_outOffset = 0;
            if (m_options.exitAfterAnswers > 0 && m_sent >= m_options.exitAfterAnswers) {
                m_writeNotifier->setEnabled(false);
                finish();
                return;
            }
        }
        m_writeNotifier->setEnabled(false);
    }

    void drain()
    {
        int waiting = 0;
        if (::ioctl(m_slave, FIONREAD, &waiting) != 0)
            waiting = 0;
        const double waited = now() - m_drainStartMs;
        if (waited < kDrainSettleMs || (waiting > 0 && waited < kDrainLimitMs)) {
            QTimer::singleShot(kDrainPollMs, this, &PtyPump::drain);
            return;
        }
        closeLine();
        std::printf("answers sent: %lld\n", static_cast<long long>(m_sent));
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    void closeLine()
    {
        delete m_readNotifier;
        m_readNotifier = nullptr;
        delete m_writeNotifier;
        m_writeNotifier = nullptr;
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
        m_master = m_slave = -1;
    }

    PumpSimOptions m_options;
    PumpModel m_model;
    CommandFramer m_framer;
    FaultShaper m_shaper;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    int m_master = -1;
    int m_slave = -1;
    std::deque<TimedWrite> m_scheduled;  // in time order
    std::deque<TimedWrite> m_out;        // due, not yet fully written
    qsizetype m_outOffset = 0;
    double m_modelMs = 0.0;
    bool m_started = false;  // the first command has come
    double m_startMs = 0.0;
    qint64 m_flooded = 0;
    qint64 m_sent = 0;
    bool m_finishing = false;
    double m_drainStartMs = 0.0;
};

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const ParsedPumpSimOptions parsed = parsePumpSimOptions(app.arguments().mid(1));
    if (parsed.help) {
        std::fputs(pumpSimHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "pump-sim: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     "Try pump-sim --help.\n");
        return 2;
    }
    const PumpSimOptions& options = parsed.options;

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        std::perror("pump-sim: socketpair");
        return 1;
    }
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(s, &action, nullptr);

    PtyPump pump(options);
    const auto path = pump.openLine();
    if (!path)
        return 1;

    if (!options.link.isEmpty()) {
        const QFileInfo existing(options.link);
        if (existing.isSymLink())
            QFile::remove(options.link);
        if (!QFile::link(*path, options.link)) {
            std::fprintf(stderr, "pump-sim: cannot make the link %s\n", options.link.toLocal8Bit().constData());
            return 1;
        }
    }

    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &pump, [&pump, &signalNotifier] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        signalNotifier.setEnabled(false);
        pump.finish();
    });

    std::printf("%s\n", path->toLocal8Bit().constData());
    std::fflush(stdout);
    std::fprintf(stderr, "pump-sim: a simulated pump answers on %s; give that path at the panel's port prompt.\n",
                 path->toLocal8Bit().constData());

    const int rc = app.exec();
    if (!options.link.isEmpty() && QFileInfo(options.link).isSymLink())
        QFile::remove(options.link);
    return rc;
}
