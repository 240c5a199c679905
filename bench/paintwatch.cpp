#include "bench/paintwatch.h"

#include "bench/measure.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <valgrind/callgrind.h>

namespace bench {

PaintWatch::PaintWatch(QWidget* widget, Painted painted) : m_widget(widget), m_painted(std::move(painted))
{
    m_widget->installEventFilter(this);
}

PaintWatch::~PaintWatch()
{
    m_widget->removeEventFilter(this);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_widget || event->type() != QEvent::Paint)
        return false;
    // Paint now, inside the repaint manager's pass that sent the event, then
    // take the time; the event is consumed so it is not painted twice.
    static_cast<QObject*>(m_widget)->event(event);
    ++m_paints;
    m_painted(monotonicNs());
    return true;
}

FirstPaintWatch::FirstPaintWatch(QWidget* window, Done done) : m_window(window), m_done(std::move(done))
{
    qApp->installEventFilter(this);
}

FirstPaintWatch::~FirstPaintWatch()
{
    qApp->removeEventFilter(this);
}

bool FirstPaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (m_reported)
        return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint) {
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == m_window)
            m_painted = true;
        return false;
    }
    if (type != QEvent::Expose && type != QEvent::UpdateRequest)
        return false;
    const bool ours = watched == m_window || (m_window->windowHandle() && watched == m_window->windowHandle());
    if (!ours || m_depth > 0)
        return false;
    // Let the window handle the event here, so the time is taken when the
    // whole pass (every widget painted, the backing store flushed) is over.
    ++m_depth;
    const bool handled = watched->event(event);
    --m_depth;
    if (m_painted && !m_reported) {
        m_reported = true;
        m_done(monotonicNs());
    }
    Q_UNUSED(handled);
    return true;
}

double msSinceLaunch(qint64 nowNs)
{
    const QByteArray t0 = qgetenv("PUMP_BENCH_T0_NS");
    if (t0.isEmpty())
        return -1;
    return static_cast<double>(nowNs - t0.toLongLong()) / 1e6;
}

void reportFirstPaintAndQuit(qint64 monotonicNs)
{
    // Under callgrind only the way to the first paint is counted.
    CALLGRIND_STOP_INSTRUMENTATION;
    printFigure("first_paint_ms", msSinceLaunch(monotonicNs));
    printFigure("rss_first_paint_kib", statusKiB("VmRSS"));
    printFigure("faults_first_paint", minorFaults());
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

}  // namespace bench
