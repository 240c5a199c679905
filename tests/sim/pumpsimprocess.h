#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// pump-sim run as a separate program for a test. start() returns the
// terminal path it prints; finish() ends it (if it has not ended by itself)
// and returns the answer count it printed.
class PumpSimProcess {
public:
    static constexpr int kWaitMs = 5000;

    ~PumpSimProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }

    QString start(const QStringList& args)
    {
        m_process.setProgram(QStringLiteral(PUMP_SIM_PATH));
        m_process.setArguments(args);
        m_process.start();
        if (!m_process.waitForStarted(kWaitMs))
            return {};
        QElapsedTimer t;
        t.start();
        while (!m_process.canReadLine() && t.elapsed() < kWaitMs)
            m_process.waitForReadyRead(100);
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    // Asks pump-sim to end (SIGTERM) without waiting; the caller keeps its
    // event loop running (QTRY_) until ended(), so that the panel reads what
    // pump-sim sent last.
    void terminate() { m_process.terminate(); }
    bool ended() const { return m_process.state() == QProcess::NotRunning; }

    // Ends pump-sim if it still runs and returns "answers sent: N", -1 if it
    // printed none.
    qint64 finish()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(kWaitMs);
        }
        m_output += m_process.readAllStandardOutput();
        const auto match = QRegularExpression(QStringLiteral("answers sent: (\\d+)\\n"))
                               .match(QString::fromLocal8Bit(m_output));
        return match.hasMatch() ? match.captured(1).toLongLong() : -1;
    }

    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};
