#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, `kill`, Ctrl+C) handed to
// the event loop as received(): the handler itself only writes the signal's
// number into a pipe, and a notifier on the pipe's other end emits, so no Qt
// call runs inside the handler. After the first such signal the default
// action is back: a second one ends a program that hangs on its way out.
// One instance per program. On Windows it does nothing: a logoff or a
// shutdown arrives as QGuiApplication::commitDataRequest.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;

    // False where the handlers could not be installed (or on Windows).
    bool isActive() const { return m_notifier != nullptr; }

signals:
    // The signal's name: "SIGTERM", "SIGINT" or "SIGHUP".
    void received(const QString& name);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace platform
