#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair for tests that go through the real serial port code:
// the panel opens `path` (the slave side) and the test plays the pump on the
// master side. Needs libutil (openpty).
struct Pty {
    int master = -1;
    int slave = -1;
    QString path;

    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        closeMaster();
        if (slave >= 0)
            ::close(slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    // The pump vanishes: both ends of the line close.
    void vanish()
    {
        if (slave >= 0)
            ::close(slave);
        slave = -1;
        closeMaster();
    }
    bool write(const QByteArray& bytes) { return ::write(master, bytes.constData(), bytes.size()) == bytes.size(); }
    // Everything the panel has sent so far.
    QByteArray read()
    {
        QByteArray out;
        char buffer[256];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, n);
        }
        return out;
    }
};
