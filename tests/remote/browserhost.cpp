// A panel on the simulated pump with remote access on a free loopback port,
// for the browser test: prints "PORT n" once listening and runs until its
// standard input closes. The token and whether control is on come from the
// command line: browserhost TOKEN on|off.
#include "panel/journalfeed.h"
#include "panel/panel.h"
#include "panel/remoteaccess.h"
#include "sim/simserialport.h"

#include "fakes/fakeservices.h"
#include "fakes/journalrows.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    FakeServices fake;
    fake.settings.values = {{"remote/enabled", "true"},
                            {"remote/listen", "127.0.0.1:0"},
                            {"remote/control", QString::fromLatin1(argv[2]) == "on" ? "true" : "false"},
                            {"remote/token", QString::fromLatin1(argv[1])}};
    platform::Services services = fake.services();
    services.makePort = pumpsim::withSimulatedPump({});
    services.clock = platform::steadyClock();
    services.wallClock = [] { return QDateTime::currentDateTime(); };
    Panel panel(services);
    JournalFile file;
    history::Journal journal(file.path, QStringLiteral("2.0"));
    JournalFeed feed(panel, journal, fake.dialogs);
    RemoteAccess access(panel, services);
    access.setJournal(&journal);
    fake.dialogs.answer(QStringLiteral("sim"));
    panel.Communication();
    QString error;
    if (!access.startFromSettings(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("PORT %d\n", access.server().port());
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char c;
        if (::read(STDIN_FILENO, &c, 1) <= 0)
            app.quit();
    });
    return app.exec();
}
