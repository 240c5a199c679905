#include "fakes/fakeexportfiles.h"
#include "fakes/fakehistory.h"
#include "fakes/fakeprinter.h"
#include "history/historyplot.h"
#include "history/historywindow.h"
#include "history/report.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace {

constexpr qint64 kMin = 60 * 1000;
const qint64 t0 = QDateTime(QDate(2024, 5, 1), QTime(14, 0)).toMSecsSinceEpoch();
const QColor kLinkLost(255, 226, 190);

// Session 2, being written: ten minutes of answers every 1.5 s with a spike
// at 2 min, the flow stepping from 100 to 150 at 3 min, the link lost from 4
// to 5 min, the limit stepping down at 6 min. Session 1 ended an hour before.
void fillRun(FakeHistory& h)
{
    h.addSession(1, t0 - 60 * kMin, t0 - 50 * kMin, QStringLiteral("sim"));
    h.addReading(1, t0 - 55 * kMin, 0.2);
    h.addSession(2, t0, std::nullopt, QStringLiteral("/dev/ttyUSB0"));
    h.addEvent(2, t0 + 10000, QStringLiteral("command"), QStringLiteral("Q00R0000Y"), QStringLiteral("keypad"));
    h.addEvent(2, t0 + 3 * kMin, QStringLiteral("flow_set"), QStringLiteral("100 → 150"), QStringLiteral("dialog"));
    h.addEvent(2, t0 + 4 * kMin + 4500, QStringLiteral("link_lost"));
    h.addEvent(2, t0 + 5 * kMin, QStringLiteral("link_restored"));
    h.addEvent(2, t0 + 6 * kMin, QStringLiteral("pressure_set"), QStringLiteral("2.0 → 1.0"), QStringLiteral("menu"));
    h.addEvent(2, t0 + 9 * kMin, QStringLiteral("command"), QStringLiteral("Q00S0000Y"), QStringLiteral("menu"));
    for (qint64 t = t0; t <= t0 + 10 * kMin; t += 1500) {
        if (t > t0 + 4 * kMin && t < t0 + 5 * kMin)
            continue;
        const double p = t == t0 + 2 * kMin ? 1.8 : 0.5 + 0.1 * ((t - t0) / 1500 % 3);
        h.addReading(2, t, p, t < t0 + 6 * kMin ? 2.0 : 1.0, t < t0 + 3 * kMin ? 100 : 150);
    }
}

// The rows (y) of pixels of that colour in one column of the image.
QList<int> rowsOf(const QImage& image, int x, const QColor& color)
{
    QList<int> out;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) == color)
            out << y;
    }
    return out;
}

}  // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void plotIsHonest();
    void denseSpikeIsKept();
    void listsShowSessionsAndEvents();
    void liveFollowsUntilZoomed();
    void rectangleZoomAndEventChoice();
    void readoutAndCursorStats();
    void exportsAndReport();

private:
    FakeHistory* m_history = nullptr;
    FakeExportFiles* m_files = nullptr;
    FakePrinter* m_printer = nullptr;
    HistoryWindow* m_window = nullptr;
    qint64 m_now = 0;
};

void TestHistoryWindow::init()
{
    m_history = new FakeHistory;
    fillRun(*m_history);
    m_files = new FakeExportFiles;
    m_printer = new FakePrinter;
    m_now = t0 + 10 * kMin + 500;
    m_window = new HistoryWindow(*m_files, *m_printer);
    m_window->setClock([this] { return m_now; });
    m_window->setLiveEnd([this] { return m_now; });
    m_window->setSource(m_history, 2, QStringLiteral("/tmp/history.sqlite3"));
    
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestHistoryWindow::cleanup()
{
    delete m_window;
    delete m_printer;
    delete m_files;
    delete m_history;
}

void TestHistoryWindow::plotIsHonest()
{
    const QSize size(800, 400);
    const history::PlotPicture picture = history::queryPicture(*m_history, 2, t0, t0 + 10 * kMin, size, m_history->events(2, t0, t0 + 10 * kMin));
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    history::paintPlot(painter, size, picture);
    painter.end();
    const QRect area = history::plotArea(size);
    const auto x = [&](qint64 t) { return area.left() + int(double(t - t0) / (10 * kMin) * area.width()); };
    const QColor red(255, 0, 0);
    const QColor green(0, 128, 0);

    // The spike stands far above its neighbours.
    const QList<int> spike = rowsOf(image, x(t0 + 2 * kMin), red);
    const QList<int> beside = rowsOf(image, x(t0 + 2 * kMin) + 20, red);
    QVERIFY(!spike.isEmpty() && !beside.isEmpty());
    QVERIFY2(spike.first() < beside.first() - 60, qPrintable(QStringLiteral("%1 %2").arg(spike.first()).arg(beside.first())));

    // The line breaks where the link was lost, and that stretch is shaded.
    const int gap = x(t0 + 4 * kMin + 30000);
    QVERIFY(rowsOf(image, gap, red).isEmpty());
    QVERIFY(rowsOf(image, gap, green).isEmpty());
    QVERIFY(rowsOf(image, gap, kLinkLost).size() > area.height() / 2);
    QVERIFY(rowsOf(image, x(t0 + 3 * kMin + 20000), kLinkLost).isEmpty());

    // The flow is a step: flat at one level before the change, flat at a
    // higher one after it, joined by a vertical edge at the change.
    const QList<int> before = rowsOf(image, x(t0 + 3 * kMin) - 4, green);
    const QList<int> after = rowsOf(image, x(t0 + 3 * kMin) + 4, green);
    QCOMPARE(before.size(), 1);
    QCOMPARE(after.size(), 1);
    QVERIFY(after.first() < before.first() - 10);
    QCOMPARE(rowsOf(image, x(t0 + 3 * kMin) - 20, green), before);
    bool edge = false;
    for (int dx = -1; dx <= 1; ++dx)
        edge = edge || rowsOf(image, x(t0 + 3 * kMin) + dx, green).size() >= before.first() - after.first();
    QVERIFY(edge);
}

void TestHistoryWindow::denseSpikeIsKept()
{
    // 20,000 readings in 300 columns: one reading in 20,000 is a spike, and
    // its column still reaches it.
    FakeHistory h;
    h.addSession(7, 0);
    for (int i = 0; i < 20000; ++i)
        h.addReading(7, qint64(i) * 100, i == 12345 ? 1.5 : 0.3, 2.0, 50);
    const QSize size(300 + 116, 300);
    const history::PlotPicture picture = history::queryPicture(h, 7, 0, 1999900, size, {});
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    history::paintPlot(painter, size, picture);
    painter.end();
    const QRect area = history::plotArea(size);
    const int column = history::columnOf(1234500, 0, 1999900, area.width());
    const QList<int> rows = rowsOf(image, area.left() + column, QColor(255, 0, 0));
    const QList<int> other = rowsOf(image, area.left() + column + 30, QColor(255, 0, 0));
    QVERIFY(!rows.isEmpty() && !other.isEmpty());
    QVERIFY(rows.first() < other.first() - 80);
}

void TestHistoryWindow::listsShowSessionsAndEvents()
{
    QTreeWidget* sessions = m_window->sessionList();
    QCOMPARE(sessions->topLevelItemCount(), 2);
    QCOMPARE(sessions->currentItem()->data(0, Qt::UserRole).toLongLong(), qint64(2));
    QCOMPARE(sessions->currentItem()->text(1), QStringLiteral("运行中"));
    QCOMPARE(sessions->topLevelItem(1)->text(2), QStringLiteral("10分00秒"));
    const QAbstractItemModel* events = m_window->eventList()->model();
    const auto text = [&](int row, int column) { return events->index(row, column).data().toString(); };
    QCOMPARE(events->rowCount(), 6);
    QCOMPARE(text(0, 1), QStringLiteral("启动泵"));
    QCOMPARE(text(0, 2), QStringLiteral("键盘"));
    QCOMPARE(text(4, 3), QStringLiteral("2.0 → 1.0"));

    // Choosing the older session shows it whole; it is not live.
    sessions->setCurrentItem(sessions->topLevelItem(1));
    QCOMPARE(m_window->session(), qint64(1));
    QVERIFY(!m_window->isLive());
    QCOMPARE(m_window->plot()->fromMs(), t0 - 60 * kMin);
    QCOMPARE(m_window->plot()->toMs(), t0 - 50 * kMin);
    QCOMPARE(events->rowCount(), 0);
}

void TestHistoryWindow::liveFollowsUntilZoomed()
{
    HistoryPlot* plot = m_window->plot();
    QVERIFY(m_window->isLive());
    QVERIFY(!m_window->action(QStringLiteral("backToLive"))->isEnabled());
    QCOMPARE(plot->fromMs(), t0);
    QCOMPARE(plot->toMs(), m_now);

    // New readings: the view grows with them.
    m_history->addReading(2, t0 + 11 * kMin, 0.7);
    m_history->addEvent(2, t0 + 11 * kMin, QStringLiteral("timed_start"), QString(), QStringLiteral("menu"));
    m_now = t0 + 11 * kMin + 200;
    m_window->refresh();
    QCOMPARE(plot->toMs(), m_now);
    QCOMPARE(m_window->eventList()->model()->rowCount(), 7);
    QCOMPARE(m_window->plot()->events().size(), 7);

    // A wheel notch zooms in around the pointer and stops following.
    const QPoint at = plot->rect().center();
    QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(plot, &wheel);
    QVERIFY(!m_window->isLive());
    QVERIFY(m_window->action(QStringLiteral("backToLive"))->isEnabled());
    const qint64 span = plot->toMs() - plot->fromMs();
    QVERIFY(span < m_now - t0);
    m_now += 3000;
    m_window->refresh();
    QVERIFY(plot->toMs() < m_now - 3000);

    // Back to live: the same width, ending now, and following again.
    m_window->action(QStringLiteral("backToLive"))->trigger();
    QVERIFY(m_window->isLive());
    QCOMPARE(plot->toMs(), m_now);
    QCOMPARE(plot->toMs() - plot->fromMs(), span);
    m_now += 1500;
    m_window->refresh();
    QCOMPARE(plot->toMs(), m_now);

    // Panning by dragging leaves live mode too; "fit all" shows it all again.
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(plot, at + QPoint(80, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, at + QPoint(80, 0));
    QVERIFY(!m_window->isLive());
    QVERIFY(plot->toMs() < m_now);
    m_window->action(QStringLiteral("fitAll"))->trigger();
    QVERIFY(m_window->isLive());
    QCOMPARE(plot->fromMs(), t0);
}

void TestHistoryWindow::rectangleZoomAndEventChoice()
{
    HistoryPlot* plot = m_window->plot();
    const QRect area = history::plotArea(plot->size());
    const int x1 = area.left() + area.width() / 5;
    const int x2 = area.left() + area.width() * 2 / 5;
    const qint64 want1 = plot->timeAt(x1);
    const qint64 want2 = plot->timeAt(x2);
    QTest::mousePress(plot, Qt::RightButton, Qt::NoModifier, QPoint(x1, area.center().y()));
    QTest::mouseMove(plot, QPoint(x2, area.center().y() + 30));
    QTest::mouseRelease(plot, Qt::RightButton, Qt::NoModifier, QPoint(x2, area.center().y() + 30));
    QCOMPARE(plot->fromMs(), want1);
    QCOMPARE(plot->toMs(), want2);
    QVERIFY(!m_window->isLive());

    // Choosing an event centres the plot on it, keeping the width.
    QTreeView* events = m_window->eventList();
    events->setCurrentIndex(events->model()->index(4, 0));  // the limit set at 6 min
    QCOMPARE((plot->fromMs() + plot->toMs()) / 2, t0 + 6 * kMin);
    QCOMPARE(plot->toMs() - plot->fromMs(), want2 - want1);
}

void TestHistoryWindow::readoutAndCursorStats()
{
    HistoryPlot* plot = m_window->plot();
    plot->repaint();
    // Between two readings: the earlier one, never a blend.
    m_window->showReadout(t0 + 3 * kMin + 1400);
    QVERIFY2(m_window->readout()->text().contains(QStringLiteral("压力 0.50 MPa    压力上限 2.00 MPa    流量设定 150 ml/min")),
             qPrintable(m_window->readout()->text()));
    m_window->showReadout(t0 + 4 * kMin + 30000);
    QVERIFY(m_window->readout()->text().contains(QStringLiteral("此时没有读数")));

    // A click places the nearer cursor; the statistics are the journal's.
    const QRect area = history::plotArea(plot->size());
    const QPoint click(area.left() + area.width() * 3 / 5, area.center().y());
    QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, click);
    const qint64 c2 = *plot->cursor2();
    QCOMPARE(c2, plot->timeAt(click.x()));
    QCOMPARE(*plot->cursor1(), t0);
    const history::RangeStats stats = m_history->stats(2, t0, c2);
    QVERIFY(stats.volumeMl > 0);
    QTRY_VERIFY2(m_window->cursorStats()->text().contains(history::statsText(stats)),
                 qPrintable(m_window->cursorStats()->text()));
    QVERIFY(m_window->cursorStats()->text().contains(QStringLiteral("最大 1.80 MPa")));
}

void TestHistoryWindow::exportsAndReport()
{
    m_files->answers = {QStringLiteral("/x/readings.csv"), QStringLiteral("/x/events.csv"), QStringLiteral("/x/plot.png"),
                        QStringLiteral("/x/plot.pdf"), QStringLiteral("/x/report.pdf")};
    for (const char* name : {"exportCsv", "exportEvents", "exportPng", "exportPdf", "reportPdf"})
        m_window->action(QLatin1String(name))->trigger();
    QCOMPARE(m_files->files.size(), 5);
    QVERIFY(m_files->asked.first().startsWith(QStringLiteral("导出读数CSV|pump-history-2_")));
    const QStringList lines = QString::fromUtf8(m_files->files.value(QStringLiteral("/x/readings.csv"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size() - 2, int(m_history->readingsOf(2).size()));  // header and the empty end
    QCOMPARE(QString::fromUtf8(m_files->files.value(QStringLiteral("/x/events.csv"))).count(QStringLiteral("\r\n")), 7);
    QImage png;
    QVERIFY(png.loadFromData(m_files->files.value(QStringLiteral("/x/plot.png")), "PNG"));
    QCOMPARE(png.size(), m_window->plot()->size() * 2);
    QVERIFY(m_files->files.value(QStringLiteral("/x/plot.pdf")).startsWith("%PDF"));
    QVERIFY(m_files->files.value(QStringLiteral("/x/report.pdf")).startsWith("%PDF"));

    // Cancel in the save dialog writes nothing.
    m_window->action(QStringLiteral("exportCsv"))->trigger();
    QCOMPARE(m_files->files.size(), 5);

    // The printed report: one page with the plot's red line on it.
    m_window->action(QStringLiteral("printReport"))->trigger();
    QCOMPARE(m_printer->pages.size(), 1);
    const QImage page = m_printer->pages.first();
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            red += page.pixelColor(x, y) == QColor(255, 0, 0);
    QVERIFY(red > 20);
    m_printer->copies.reset();
    m_window->action(QStringLiteral("printReport"))->trigger();
    QCOMPARE(m_printer->pages.size(), 1);
}

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
