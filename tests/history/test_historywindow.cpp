#include "fakes/fakeexportfiles.h"
#include "fakes/journalrows.h"
#include "fakes/fakeprinter.h"
#include "fakes/readfile.h"
#include "history/historyplot.h"
#include "history/historywindow.h"
#include "history/plotviewdialog.h"
#include "history/report.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
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
// Returns the number of readings of session 2.
int fillRun(const QString& path, std::unique_ptr<SessionAt>& live)
{
    using history::EventKind;
    using history::Source;
    {
        SessionAt old(path, t0 - 60 * kMin);
        old.reading(t0 - 55 * kMin, 0.2);
        old.at(t0 - 50 * kMin).end();
    }
    live = std::make_unique<SessionAt>(path, t0);
    struct Happening {
        qint64 t;
        EventKind kind;
        const char* detail;
        Source source;
    };
    const QList<Happening> events = {{t0 + 10000, EventKind::Command, "Q00R0000Y", Source::Keypad},
                                     {t0 + 3 * kMin, EventKind::FlowSet, "100 → 150", Source::Dialog},
                                     {t0 + 4 * kMin + 4500, EventKind::LinkLost, "", Source::None},
                                     {t0 + 5 * kMin, EventKind::LinkRestored, "", Source::None},
                                     {t0 + 6 * kMin, EventKind::PressureSet, "2.0 → 1.0", Source::Menu},
                                     {t0 + 9 * kMin, EventKind::Command, "Q00S0000Y", Source::Menu}};
    int next = 0;
    int readings = 0;
    for (qint64 t = t0; t <= t0 + 10 * kMin; t += 1500) {
        for (; next < events.size() && events[next].t <= t; ++next)
            live->event(events[next].t, events[next].kind, QString::fromUtf8(events[next].detail), events[next].source);
        if (t > t0 + 4 * kMin && t < t0 + 5 * kMin)
            continue;
        const double p = t == t0 + 2 * kMin ? 1.8 : 0.5 + 0.1 * ((t - t0) / 1500 % 3);
        live->reading(t, p, t < t0 + 6 * kMin ? 2.0 : 1.0, t < t0 + 3 * kMin ? 100 : 150);
        ++readings;
    }
    live->journal.flush();
    return readings;
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
    void legendAndAxisRanges();

private:
    JournalFile* m_file = nullptr;
    std::unique_ptr<SessionAt> m_live;
    std::unique_ptr<history::HistorySource> m_history;
    int m_readings = 0;
    FakeExportFiles* m_files = nullptr;
    FakePrinter* m_printer = nullptr;
    HistoryWindow* m_window = nullptr;
    qint64 m_now = 0;
};

void TestHistoryWindow::init()
{
    m_file = new JournalFile;
    m_readings = fillRun(m_file->path, m_live);
    m_history = history::openJournal(m_file->path, nullptr);
    QVERIFY(m_history);
    m_files = new FakeExportFiles;
    m_printer = new FakePrinter;
    m_now = t0 + 10 * kMin + 500;
    m_window = new HistoryWindow(*m_files, *m_printer);
    m_window->setClock([this] { return m_now; });
    m_window->setLiveEnd([this] { return m_now; });
    m_window->setSource(m_history.get(), 2, m_file->path);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestHistoryWindow::cleanup()
{
    delete m_window;
    delete m_printer;
    delete m_files;
    m_history.reset();
    m_live.reset();
    delete m_file;
}

void TestHistoryWindow::plotIsHonest()
{
    const QSize size(800, 400);
    history::PlotPicture picture = history::queryPicture(*m_history, 2, t0, t0 + 10 * kMin, size, m_history->events(2, t0, t0 + 10 * kMin));
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    history::paintPlot(painter, size, picture);
    painter.end();
    const QRect area = history::plotArea(size);
    const auto x = [&](qint64 t) { return area.left() + int(double(t - t0) / (10 * kMin) * area.width()); };
    const QColor red(255, 0, 0);
    const QColor green(0, 128, 0);

    // Cursor 1 before the range shown, cursor 2 at its right edge: the range
    // between them is tinted inside the plot only, and the tag of cursor 2
    // is whole.
    picture.cursor1 = t0 - 5 * kMin;
    picture.cursor2 = t0 + 10 * kMin;
    QImage withCursors(size, QImage::Format_RGB32);
    painter.begin(&withCursors);
    history::paintPlot(painter, size, picture);
    painter.end();
    const QColor cursor(128, 0, 128);
    QCOMPARE(withCursors.pixelColor(area.left() - 20, area.center().y()), QColor(Qt::white));
    QCOMPARE(withCursors.pixelColor(area.right() - 2, area.bottom() - 8), cursor);
    QVERIFY(withCursors.pixelColor(area.right() + 3, area.bottom() - 8) != cursor);
    // The 2.0 MPa limit lies clear of the frame.
    QList<int> limit;
    for (int dx = 0; dx < 8; ++dx)
        limit += rowsOf(image, x(t0 + kMin) + dx, QColor(0, 0, 160));
    QVERIFY(!limit.isEmpty() && limit.first() > area.top() + area.height() / 20);

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
    JournalFile file;
    {
        SessionAt dense(file.path, 0);
        for (int i = 0; i < 20000; ++i)
            dense.reading(qint64(i) * 100, i == 12345 ? 1.5 : 0.3, 2.0, 50);
    }
    const auto h = history::openJournal(file.path, nullptr);
    QVERIFY(h);
    const QSize size(300 + 116, 300);
    const history::PlotPicture picture = history::queryPicture(*h, 1, 0, 1999900, size, {});
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    history::paintPlot(painter, size, picture);
    painter.end();
    const QRect area = history::plotArea(size);
    // A summary lands at most half a column from its readings.
    const int column = history::columnOf(1234500, 0, 1999900, area.width());
    QList<int> rows;
    for (int dx = -1; dx <= 1; ++dx)
        rows += rowsOf(image, area.left() + column + dx, QColor(255, 0, 0));
    std::sort(rows.begin(), rows.end());
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

    // Looking back: the run another panel still writes says so; a newer run
    // without readings is left out unless asked for, and the window opens on
    // the newest run with readings.
    {
        SessionAt empty(m_file->path, t0 + 20 * kMin);
        empty.at(t0 + 21 * kMin).end();
    }
    m_window->setSource(m_history.get(), std::nullopt, m_file->path);
    QCOMPARE(m_window->session(), qint64(2));
    QCOMPARE(sessions->topLevelItemCount(), 2);
    QCOMPARE(sessions->currentItem()->text(1), QStringLiteral("仍在记录"));
    m_window->action(QStringLiteral("showEmptyRuns"))->trigger();
    QCOMPARE(sessions->topLevelItemCount(), 3);
}

void TestHistoryWindow::liveFollowsUntilZoomed()
{
    HistoryPlot* plot = m_window->plot();
    QVERIFY(m_window->isLive());
    QVERIFY(!m_window->action(QStringLiteral("backToLive"))->isEnabled());
    QCOMPARE(plot->fromMs(), t0);
    QCOMPARE(plot->toMs(), m_now);

    // New readings: the view grows with them.
    m_live->reading(t0 + 11 * kMin, 0.7);
    m_live->event(t0 + 11 * kMin, history::EventKind::TimedStart, {}, history::Source::Menu);
    QVERIFY(m_live->journal.flush());
    m_now = t0 + 11 * kMin + 200;
    m_window->refresh();
    QCOMPARE(plot->toMs(), m_now);
    // Cursor 2 was at the end: it stays there, and the statistics count the new reading.
    QCOMPARE(plot->cursor2(), std::optional<qint64>(m_now));
    QTRY_VERIFY(m_window->cursorStats()->text().contains(QStringLiteral("读数 %1").arg(m_readings + 1)));
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
    const QString text = m_window->cursorStats()->text();
    QVERIFY(text.contains(QStringLiteral("最大 1.80 MPa")));
    // The value in force at each cursor, and the difference.
    const double p2 = *m_history->readingAt(2, c2)->pressure;
    QVERIFY2(text.contains(QStringLiteral("光标1 压力 0.50 MPa  流量 100 ml/min")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("差（2−1） 压力 %1  流量 50 ml/min").arg(history::mpaText(p2 - 0.5))));
    // A cursor where the link was lost has no values.
    plot->setCursors(t0 + 4 * kMin + 30000, c2);
    m_window->updateStats();
    QVERIFY2(m_window->cursorStats()->text().contains(QStringLiteral("光标1 压力 —  流量 —")),
             qPrintable(m_window->cursorStats()->text()));
}

void TestHistoryWindow::exportsAndReport()
{
    m_files->answers = {QStringLiteral("/x/readings.csv"), QStringLiteral("/x/events.csv"), QStringLiteral("/x/plot.png"),
                        QStringLiteral("/x/plot.pdf"), QStringLiteral("/x/report.pdf")};
    // The window and the report give one volume for the whole run: 100 ml/min
    // 10 s–3 min, 150 ml/min 3–9 min less the 55.5 s without the link.
    m_window->plot()->setCursors(t0, t0 + 10 * kMin);
    m_window->updateStats();
    const QString volume = QStringLiteral("体积 1044.6 ml（估算，按设定流量；未计入断线、无端口或压力到上限的 55秒）");
    QVERIFY2(m_window->cursorStats()->text().contains(volume), qPrintable(m_window->cursorStats()->text()));
    for (const char* name : {"exportCsv", "exportEvents", "exportPng", "exportPdf", "reportPdf"})
        m_window->action(QLatin1String(name))->trigger();
    if (const auto text = pdfText(m_files->files.value(QStringLiteral("/x/report.pdf"))))
        QVERIFY2(text->contains(QStringLiteral("体积 1044.6 ml")) && text->contains(QStringLiteral("上限的 55秒")),
                 qPrintable(*text));
    QCOMPARE(m_files->files.size(), 5);
    QVERIFY(m_files->asked.first().startsWith(QStringLiteral("导出读数CSV|pump-history-2_")));
    const QStringList lines = QString::fromUtf8(m_files->files.value(QStringLiteral("/x/readings.csv"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size() - 2, m_readings);  // header and the empty end
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

void TestHistoryWindow::legendAndAxisRanges()
{
    HistoryPlot* plot = m_window->plot();
    const QRect area = history::plotArea(plot->size());
    // The rows the red pressure line takes in the plot.
    const auto redRows = [&] {
        const QImage image = plot->grab().toImage();
        int top = area.bottom();
        int bottom = area.top();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) == QColor(255, 0, 0)) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return std::max(0, bottom - top);
    };
    const int automatic = redRows();
    QVERIFY(automatic > 0);

    // A click on the legend's pressure entry hides the line, and the
    // dialog shows it; a second click brings it back.
    m_window->action(QStringLiteral("plotView"))->trigger();
    auto* dialog = m_window->findChild<PlotViewDialog*>();
    const auto cursors = std::pair{plot->cursor1(), plot->cursor2()};
    const auto entry = [&](history::Series s) {
        for (int x = 0; x < plot->width(); ++x)
            if (history::legendTraceAt(plot->size(), QPoint(x, 10)) == s)
                return QPoint(x + 10, 10);
        return QPoint(-1, -1);
    };
    QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, entry(history::Pressure));
    QVERIFY(!plot->view().shown[history::Pressure]);
    QCOMPARE(redRows(), 0);
    QVERIFY(!dialog->findChild<QCheckBox*>(QStringLiteral("showPressure"))->isChecked());
    QVERIFY(std::pair(plot->cursor1(), plot->cursor2()) == cursors);  // no cursor moved by that click
    QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, entry(history::Pressure));
    QCOMPARE(redRows(), automatic);

    // The pressure axis by hand: 0.4–0.8 MPa spreads the 0.5–0.7 MPa line;
    // a range upside down is refused and the one in force stays.
    auto* low = dialog->findChild<QDoubleSpinBox*>(QStringLiteral("pressureLow"));
    auto* high = dialog->findChild<QDoubleSpinBox*>(QStringLiteral("pressureHigh"));
    dialog->findChild<QCheckBox*>(QStringLiteral("pressureAuto"))->setChecked(false);
    low->setValue(0.4);
    high->setValue(0.8);
    QCOMPARE(plot->view().pressureRange, (history::PlotView::Range{{0.4, 0.8}}));
    QVERIFY2(redRows() > automatic, qPrintable(QString::number(redRows())));
    low->setValue(0.9);
    QCOMPARE(plot->view().pressureRange, (history::PlotView::Range{{0.4, 0.8}}));
    QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("plotViewNote"))->text().isEmpty());
    dialog->findChild<QCheckBox*>(QStringLiteral("pressureAuto"))->setChecked(true);
    QVERIFY(!plot->view().pressureRange);
    QCOMPARE(redRows(), automatic);

    // The time axis by hand stops following; a zoom shows in the dialog;
    // the whole run again follows the live run.
    auto* whole = dialog->findChild<QCheckBox*>(QStringLiteral("timeAuto"));
    auto* from = dialog->findChild<QDateTimeEdit*>(QStringLiteral("timeFrom"));
    QVERIFY(whole->isChecked() && !from->isEnabled());
    whole->setChecked(false);
    from->setDateTime(QDateTime::fromMSecsSinceEpoch(t0 + 2 * kMin));
    dialog->findChild<QDateTimeEdit*>(QStringLiteral("timeTo"))->setDateTime(QDateTime::fromMSecsSinceEpoch(t0 + 4 * kMin));
    QCOMPARE(std::pair(plot->fromMs(), plot->toMs()), std::pair(t0 + 2 * kMin, t0 + 4 * kMin));
    QVERIFY(!m_window->isLive());
    QWheelEvent wheel(area.center(), plot->mapToGlobal(area.center()), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    QCOMPARE(from->dateTime().toMSecsSinceEpoch(), plot->fromMs());
    whole->setChecked(true);
    QVERIFY(m_window->isLive());
    QCOMPARE(plot->fromMs(), t0);
}

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
