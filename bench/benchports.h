#pragma once

#include "platform/dialogs.h"
#include "platform/serialport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>

namespace bench {

// Answers the port prompt with a fixed device and keeps every message, so no
// modal box ever stops a benchmark.
class BenchDialogs : public platform::Dialogs {
public:
    explicit BenchDialogs(QString portAnswer) : m_portAnswer(std::move(portAnswer)) {}

    QString inputBox(const QString&, const QString&, const QString&) override { return m_portAnswer; }
    void messageBox(const QString& text, const QString&) override { messages.append(text); }
    void notify(const QString& text, const QString&) override { messages.append(text); }
    bool question(const QString& text, const QString&) override
    {
        messages.append(text);
        return false;
    }

    QStringList messages;

private:
    QString m_portAnswer;
};

// A port that delivers what the benchmark pushes into it, as fast as the
// panel takes it; writes go nowhere.
class FeedPort : public platform::SerialPort {
public:
    bool open(const QString&) override
    {
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray&) override { return m_open; }
    QByteArray readAll() override { return std::exchange(m_waiting, QByteArray()); }
    QString errorString() const override { return QString(); }

    // Makes the bytes readable and says so, like one read notification.
    void push(const QByteArray& bytes)
    {
        m_waiting += bytes;
        emit received();
    }

private:
    bool m_open = false;
    QByteArray m_waiting;
};

}  // namespace bench
