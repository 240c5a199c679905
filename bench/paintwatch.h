#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace bench {

// Watches one widget's paint events. Each paint event is run through the
// widget at once and `painted` is called right after it, with the time, so
// the time marks the moment the widget's new picture is in the window's
// backing store (the event loop, the repaint request and the paint itself
// all lie before it).
class PaintWatch : public QObject {
public:
    using Painted = std::function<void(qint64 monotonicNs)>;
    PaintWatch(QWidget* widget, Painted painted);
    ~PaintWatch() override;

    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_widget;
    Painted m_painted;
    int m_paints = 0;
};

// Notes when a top-level window has been painted for the first time: the
// first expose or update request of the window during which anything inside
// it was painted. `done` is called once, right after that pass of the
// repaint manager has ended.
class FirstPaintWatch : public QObject {
public:
    using Done = std::function<void(qint64 monotonicNs)>;
    FirstPaintWatch(QWidget* window, Done done);
    ~FirstPaintWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    Done m_done;
    bool m_painted = false;
    bool m_reported = false;
    int m_depth = 0;
};

// Startup time as the launcher sees it: milliseconds from the moment given in
// PUMP_BENCH_T0_NS (set by bench-launch just before exec) to `nowNs`, or -1
// without that variable.
double msSinceLaunch(qint64 nowNs);

// For a start-up run: prints the first paint's time, RSS and page faults for
// bench/run, stops callgrind's counting, and quits the application.
void reportFirstPaintAndQuit(qint64 monotonicNs);

}  // namespace bench
