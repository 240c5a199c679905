#include "history/historysource.h"
#include "history/journal.h"
#include "panel/mainwindow.h"
#include "platform/clock.h"
#include "platform/qtdialogs.h"
#include "platform/qtexportfiles.h"
#include "platform/qtlogfiles.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "platform/qtserialport.h"
#include "sim/simserialport.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Ties the window to its menu entry and icon (pump-panel.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("pump-panel"));
    // The one option: start on the simulated pump.
    const bool simulate = app.arguments().contains(QStringLiteral("--simulate"));

    platform::QtDialogs dialogs;
    platform::QtRecordStore recordStore;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;
    // The run history, always on (文件 › 运行历史 shows it); made before the
    // window, which refers to it.
    history::Journal journal(history::defaultJournalPath(), QStringLiteral(PUMP_VERSION));
    platform::QtExportFiles exportFiles;
    // "sim" at the port prompt gives the simulated pump, any other answer a
    // real port.
    const platform::PortMaker makePort =
        pumpsim::withSimulatedPump([](const QString&) -> std::unique_ptr<platform::SerialPort> {
            return std::make_unique<platform::QtSerialPort>();
        });
    Form1 window(platform::Services{dialogs, makePort, platform::steadyClock(), recordStore, printer, logFiles,
                                    platform::localWallClock()});
    dialogs.setParentWindow(&window);
    printer.setDialogParent(&window);
    exportFiles.setParentWindow(&window);
    window.setRunHistory(&journal, &exportFiles);
    window.show();
    if (simulate) {
        // Ask for the port at once, with the simulated pump already filled
        // in: one press of Enter and the panel is live.
        window.panel().setPortDefaultAnswer(QStringLiteral("sim"));
        QTimer::singleShot(0, &window.panel(), &Panel::Communication);
    }
    return app.exec();
}
