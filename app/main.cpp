#include "history/historysource.h"
#include "history/journal.h"
#include "link/portnames.h"
#include "panel/mainwindow.h"
#include "panel/remoteaccess.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exitsignals.h"
#include "platform/mosquittoclient.h"
#include "platform/language.h"
#include "platform/qtdialogs.h"
#include "platform/qtexportfiles.h"
#include "platform/qtlogfiles.h"
#include "platform/qtportlister.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "platform/qtserialport.h"
#include "platform/qtalerts.h"
#include "platform/qtsettings.h"
#include "sim/simserialport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstring>

namespace {

// pump-panel --help: printed without a window (on Windows in a message box),
// so it needs no display.
[[noreturn]] void showHelp(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    platform::installSystemLanguage();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("pump-panel", "泵控制面板：设定流量和压力上限，运行并监视串口上的液体泵。"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("simulate"),
                      QCoreApplication::translate("pump-panel", "在内置模拟泵上启动：端口提示中已填好“sim”。")});
    parser.addOption({QStringLiteral("program"),
                      QCoreApplication::translate("pump-panel", "启动时在“运行程序”窗口中打开程序文件（不运行）。"),
                      QStringLiteral("FILE")});
    parser.showHelp(0);
}

}  // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            showHelp(argc, argv);
    }
    platform::prepareDisplay();
    QApplication app(argc, argv);
    // Chinese or English, from the system's preferred languages; before the
    // first window.
    platform::installSystemLanguage();
    // Ties the window to its menu entry and icon (pump-panel.desktop), and
    // names the folder of the application's data (the run history).
    QGuiApplication::setDesktopFileName(QStringLiteral("pump-panel"));
    QCoreApplication::setApplicationName(QStringLiteral("pump-panel"));
    // The options: start on the simulated pump; open a program file.
    const QStringList args = app.arguments();
    const bool simulate = args.contains(QStringLiteral("--simulate"));
    const qsizetype programAt = args.indexOf(QStringLiteral("--program"));
    const QString programFile = programAt > 0 ? args.value(programAt + 1) : QString();

    // The run history, from start-up to exit.
    history::Journal journal(history::defaultJournalPath(), QStringLiteral(PUMP_VERSION));
    platform::QtDialogs dialogs;
    platform::QtRecordStore recordStore;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;
    // Where the history window's exports go (文件 › 运行历史).
    platform::QtExportFiles exportFiles;
    // "sim" at the port prompt gives the simulated pump, any other answer a
    // real port.
    const platform::PortMaker makePort =
        pumpsim::withSimulatedPump([](const QString&) -> std::unique_ptr<platform::SerialPort> {
            return std::make_unique<platform::QtSerialPort>();
        });
    // The settings file (alarms, remote access, the broker); missing means
    // every setting at its default.
    platform::QtSettings settings;
    platform::Services services{dialogs, makePort, platform::steadyClock(), recordStore, printer, logFiles,
                                platform::localWallClock()};
    services.settings = &settings;
    // The alarms' tone, their call for attention and the operator's command.
    platform::QtAlarmSound alarmSound;
    platform::QtAttention attention;
    platform::QtLauncher launcher;
    services.alarmSound = &alarmSound;
    services.attention = &attention;
    services.launcher = &launcher;
    // The [mqtt] group says whether and where the panel publishes.
    services.makeMqtt = platform::mosquittoMaker();
    // The port prompt lists the system's ports; on the simulated pump, "sim" first.
    const platform::PortLister systemPorts = portLister(platform::systemSerialPorts());
    services.listPorts =
        simulate ? pumpsim::withSimulatedPumpListed(systemPorts) : systemPorts;
    Form1 window(services);
    dialogs.setParentWindow(&window);
    attention.setWindow(&window);
    window.setJournal(&journal);
    window.remoteAccess().setVersion(QStringLiteral(PUMP_VERSION));
    window.startRemote();
    printer.setDialogParent(&window);
    exportFiles.setParentWindow(&window);
    window.setExportFiles(&exportFiles);
    // A logout, a shutdown or `kill` ends the session as "退出" does; the
    // journal ends it in the file when main() returns.
    platform::ExitSignals exitSignals;
    QObject::connect(&exitSignals, &platform::ExitSignals::received, &window.panel(), &Panel::endBy);
#if defined(Q_OS_WIN)
    // A logoff or a shutdown: Windows may end the process soon after this
    // returns, so the session is ended in the file here and now.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window, &journal] {
        window.panel().endBy(QStringLiteral("session end"));
        journal.end();
    });
#endif
    window.show();
    if (!programFile.isEmpty())
        window.openProgram(programFile);
    if (simulate) {
        // Ask for the port at once, with the simulated pump already filled
        // in: one press of Enter and the panel is live.
        window.panel().setPortDefaultAnswer(QStringLiteral("sim"));
        QTimer::singleShot(0, &window.panel(), &Panel::Communication);
    }
    return app.exec();
}
