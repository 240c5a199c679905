// pump-bench-empty: the floor for the start-up figure. An empty Qt window of
// the main window's size, shown the same way, timed with the same hook.

#include "bench/measure.h"
#include "bench/paintwatch.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <valgrind/callgrind.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("empty"));
    window.resize(727, 548);
    bench::FirstPaintWatch watch(&window, [](qint64 now) {
        // Under callgrind only the way to the first paint is counted.
        CALLGRIND_STOP_INSTRUMENTATION;
        bench::printFigure("first_paint_ms", bench::msSinceLaunch(now));
        bench::printFigure("rss_first_paint_kib", bench::statusKiB("VmRSS"));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    window.show();
    return QApplication::exec();
}
