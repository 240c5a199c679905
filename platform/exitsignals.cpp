#include "platform/exitsignals.h"

#include <QSocketNotifier>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

#if !defined(Q_OS_WIN)

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int pipeEnds[2] = {-1, -1};

extern "C" void onExitSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void restoreDefaults()
{
    for (const int number : kSignals)
        std::signal(number, SIG_DFL);
}

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    if (pipeEnds[0] >= 0 || ::pipe(pipeEnds) != 0)
        return;
    for (const int end : pipeEnds) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readPipe);
}

ExitSignals::~ExitSignals()
{
    if (!m_notifier)
        return;
    restoreDefaults();
    delete m_notifier;
    for (int& end : pipeEnds) {
        ::close(end);
        end = -1;
    }
}

void ExitSignals::readPipe()
{
    unsigned char byte = 0;
    if (::read(pipeEnds[0], &byte, 1) != 1)
        return;
    restoreDefaults();
    m_notifier->setEnabled(false);
    const int number = byte;
    emit received(number == SIGTERM  ? QStringLiteral("SIGTERM")
                  : number == SIGINT ? QStringLiteral("SIGINT")
                                     : QStringLiteral("SIGHUP"));
}

#else

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {}
ExitSignals::~ExitSignals() = default;
void ExitSignals::readPipe() {}

#endif

}  // namespace platform
