#pragma once

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

// A Mosquitto broker of the test's own on a free loopback port, with the
// configuration lines the test gives after its listener line, and
// mosquitto_sub / mosquitto_pub beside it.
struct Broker {
    QTemporaryDir dir;
    int port = [] {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return static_cast<int>(probe.serverPort());
    }();
    QString config;
    QProcess process;

    QString file(const QString& name) const { return dir.filePath(name); }

    // Starts (again, on the same port) and waits until it listens.
    bool start(const QString& lines = QStringLiteral("allow_anonymous true\n"))
    {
        // As root it would drop to a user that cannot read the test's files.
        config = QStringLiteral("user root\nlistener %1 127.0.0.1\n").arg(port) + lines;
        QFile conf(file(QStringLiteral("mosquitto.conf")));
        if (!conf.open(QIODevice::WriteOnly) || conf.write(config.toUtf8()) < 0)
            return false;
        conf.close();
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf.fileName()});
        QByteArray log;
        while (!log.contains(" running") && process.waitForReadyRead(5000))
            log += process.readAll();
        return log.contains(" running");
    }
    void stop()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    ~Broker() { stop(); }

    QStringList clientArgs() const
    {
        return {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port)};
    }
    // mosquitto_pub at QoS 1; an empty payload is sent as an empty message.
    bool publish(const QString& topic, const QString& payload) const
    {
        QStringList args = clientArgs() + QStringList{QStringLiteral("-q"), QStringLiteral("1"), QStringLiteral("-t"), topic};
        args += payload.isEmpty() ? QStringList{QStringLiteral("-n")} : QStringList{QStringLiteral("-m"), payload};
        return QProcess::execute(QStringLiteral("mosquitto_pub"), args) == 0;
    }
};

// mosquitto_sub on one topic pattern at QoS 1, printing "topic payload" per
// message (line-buffered through stdbuf).
struct Subscriber {
    QProcess process;
    QByteArray out;

    Subscriber(const Broker& broker, const QString& pattern, const QStringList& more = {})
    {
        process.start(QStringLiteral("stdbuf"), QStringList{QStringLiteral("-oL"), QStringLiteral("mosquitto_sub")}
                                                     + broker.clientArgs() + more
                                                     + QStringList{QStringLiteral("-d"), QStringLiteral("-v"),
                                                                   QStringLiteral("-q"), QStringLiteral("1"),
                                                                   QStringLiteral("-t"), pattern});
    }
    ~Subscriber()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    // The messages so far, "topic payload" each; the debug lines left out.
    QStringList messages()
    {
        out += process.readAllStandardOutput();
        QStringList lines;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.isEmpty() && !line.startsWith("Client ") && !line.startsWith("Subscribed"))
                lines << QString::fromUtf8(line);
        }
        return lines;
    }
    bool subscribed()
    {
        out += process.readAllStandardOutput();
        return out.contains("received SUBACK");
    }
};
