// pump-bench-empty: the floor for the start-up figure. An empty Qt window of
// the main window's size, shown the same way, timed with the same hook.
//
// With --menus it also carries the panel's menu bar captions and a status
// line: the least a window showing Chinese text pays (the font database and
// a CJK font), for comparison only.

#include "bench/measure.h"
#include "bench/paintwatch.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>


int main(int argc, char* argv[])
{
    const qint64 mainFaults = bench::minorFaults();
    QApplication app(argc, argv);
    bench::printFigure("faults_at_main", mainFaults);
    bench::printFigure("faults_at_application", bench::minorFaults());
    const bool menus = app.arguments().contains(QStringLiteral("--menus"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("empty"));
    window.resize(727, 548);
    if (menus) {
        for (const char* caption : {"文件(F)", "定时(T)", "泵(O)", "设定(S)", "通信", "帮助(H)"})
            window.menuBar()->addMenu(QString::fromUtf8(caption));
        window.statusBar()->addPermanentWidget(new QLabel(QStringLiteral("未连接")));
    }
    bench::FirstPaintWatch watch(&window, bench::reportFirstPaintAndQuit);
    window.show();
    return QApplication::exec();
}
