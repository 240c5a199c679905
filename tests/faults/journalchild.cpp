// journal-child DEVICE JOURNAL SECONDS: the main window as pump-panel runs
// it, on the serial device DEVICE (a pump-sim terminal), recording into the
// journal file JOURNAL. Prints the number of answers handled after each
// one, and ends cleanly after SECONDS (or never, for 0: it is killed).
#include "fakes/fakeservices.h"
#include "history/journal.h"
#include "panel/mainwindow.h"
#include "platform/exitsignals.h"
#include "platform/qtserialport.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return 2;
    FakeServices fakes;
    platform::Services services = fakes.services();
    services.makePort = [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
    services.clock = platform::steadyClock();
    history::Journal journal(QString::fromLocal8Bit(argv[2]), QStringLiteral("child"));
    Form1 window(services);
    window.setJournal(&journal);
    quint64 answers = 0;
    QObject::connect(&window.panel(), &Panel::answerApplied, [&answers] {
        std::printf("%llu\n", static_cast<unsigned long long>(++answers));
        std::fflush(stdout);
    });
    // As pump-panel: SIGTERM, SIGINT and SIGHUP end it as "退出" does.
    platform::ExitSignals exitSignals;
    QObject::connect(&exitSignals, &platform::ExitSignals::received, &window.panel(), &Panel::endBy);
    fakes.dialogs.answer(QString::fromLocal8Bit(argv[1]));
    window.panel().Communication();
    if (!window.panel().link().isOpen())
        return 1;
    if (const int seconds = QByteArray(argv[3]).toInt())
        QTimer::singleShot(seconds * 1000, &window, [&window] {
            window.close();
            QCoreApplication::quit();
        });
    return app.exec();
}
