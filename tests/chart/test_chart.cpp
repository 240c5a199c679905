#include "fakes/fakeservices.h"
#include "link/answers.h"
#include "panel/mainwindow.h"
#include "record/chartwidget.h"
#include "record/refreshpacer.h"
#include "record/trendchart.h"

#include <QLineEdit>
#include <QToolButton>
#include <QPainter>
#include <QScreen>
#include <QtTest>

namespace {

const QSize kSize(665, 145);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

QImage render(const PanelState& state, QSize size = kSize)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    trendchart::paint(painter, size, state.prtrend, state.itime);
    return image;
}

bool hasColourNear(const QImage& image, QPointF at, const QColor& colour, int radius = 1)
{
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy) {
            const QPoint p = at.toPoint() + QPoint(dx, dy);
            if (image.rect().contains(p) && image.pixelColor(p) == colour)
                return true;
        }
    return false;
}

int countColour(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

}  // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void coordinates();
    void blankBeforeTheFirstAnswer();
    void segmentJoinsTheLastTwoReadings();
    void firstAnswerDrawsTheFrameAndABaseLineSegment();
    void blankAfterAHundredAndBackOnTheNext();
    void wildReadingsAreCutAtTheEdges();
    void stepByStepRepaintsMatchAFullRepaint();
    void partOfTheChartMatchesTheWholeChart_data();
    void partOfTheChartMatchesTheWholeChart();
    void answersArePaintedOncePerRefresh();
};

void TestChart::coordinates()
{
    QCOMPARE(trendchart::toDevice(0, 2, kSize), QPointF(0, 0));
    QCOMPARE(trendchart::toDevice(100, -0.8, kSize), QPointF(665, 145));
    // y = 0 lies 2/2.8 of the height down.
    QCOMPARE(trendchart::toDevice(0, 0, kSize).y(), 145 * 2 / 2.8);
}

void TestChart::blankBeforeTheFirstAnswer()
{
    PanelState state;
    const QImage image = render(state);
    QCOMPARE(countColour(image, kWhite), kSize.width() * kSize.height());
}

void TestChart::segmentJoinsTheLastTwoReadings()
{
    PanelState state;
    for (int i = 0; i < 9; ++i)
        applyAnswer(state, pressureAnswer(0.2));
    applyAnswer(state, pressureAnswer(1.0));  // cursor 9
    applyAnswer(state, pressureAnswer(1.5));  // cursor 10
    const QImage image = render(state);
    const QPointF from = trendchart::toDevice(9, 1.0, kSize);
    const QPointF to = trendchart::toDevice(10, 1.5, kSize);
    QVERIFY(hasColourNear(image, from, kRed));
    QVERIFY(hasColourNear(image, to, kRed));
    QVERIFY(hasColourNear(image, (from + to) / 2, kRed));
    // Nothing to the right of the newest reading.
    const QPointF beyond = trendchart::toDevice(11, 1.5, kSize);
    QVERIFY(!hasColourNear(image, beyond, kRed, 2));
    // The frame is black: base line and the tick at 1.0.
    QVERIFY(hasColourNear(image, trendchart::toDevice(50, 0, kSize), QColor(Qt::black)));
    QVERIFY(hasColourNear(image, trendchart::toDevice(0.5, 1.0, kSize), QColor(Qt::black)));
}

void TestChart::firstAnswerDrawsTheFrameAndABaseLineSegment()
{
    PanelState state;
    applyAnswer(state, "Q01L0100Y");  // pnow keeps "00.0"
    const QImage image = render(state);
    const double baseY = trendchart::toDevice(0, 0, kSize).y();
    QVERIFY(hasColourNear(image, QPointF(0, baseY), kRed));
    QVERIFY(hasColourNear(image, QPointF(400, baseY), Qt::black));
    QCOMPARE(countColour(image, kRed) + countColour(image, Qt::black) + countColour(image, kWhite),
             kSize.width() * kSize.height());
}

void TestChart::blankAfterAHundredAndBackOnTheNext()
{
    PanelState state;
    for (int i = 0; i < 100; ++i)
        applyAnswer(state, pressureAnswer(1.0 + (i % 5) * 0.1));
    QCOMPARE(countColour(render(state), kWhite), kSize.width() * kSize.height());
    applyAnswer(state, pressureAnswer(1.5));
    const QImage image = render(state);
    QVERIFY(hasColourNear(image, trendchart::toDevice(45, 0, kSize), QColor(Qt::black)));
    QVERIFY(hasColourNear(image, trendchart::toDevice(0, 1.5, kSize), kRed));
    // Only the new sweep's first segment is red: it ends at x = 0.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 3; x < image.width(); ++x)
            QVERIFY(image.pixelColor(x, y) != kRed);
}

void TestChart::wildReadingsAreCutAtTheEdges()
{
    PanelState state;
    applyAnswer(state, "Q01N02.4Y");
    applyAnswer(state, "Q01N-1.0Y");
    applyAnswer(state, "Q011E308Y");  // letter '1': not a box; repeats -1.0
    state.prtrend[4] = 1e300;  // a reading no pump sends, straight into the store
    applyAnswer(state, "Q01X0000Y");
    const QImage image = render(state);
    QVERIFY(countColour(image, kRed) > 0);
    QCOMPARE(countColour(image, Qt::gray), 0);  // nothing outside the area
}

void TestChart::stepByStepRepaintsMatchAFullRepaint()
{
    PanelState state;
    QWidget window;
    auto* chart = new ChartWidget(state, &window);
    chart->setGeometry(QRect(QPoint(10, 10), kSize));
    window.resize(kSize + QSize(20, 20));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScreen* screen = window.screen();

    // Values that cross the frame lines so that the order of drawing shows.
    const double values[] = {0.0, 0.5, 1.0, 1.5, 0.0, 1.2, 0.5, 0.5, 1.9, 0.1, 1.0, 1.0, 0.0};
    for (int i = 0; i < 130; ++i) {
        const AnswerOutcome outcome = applyAnswer(state, pressureAnswer(values[i % 13]));
        chart->showAnswer(outcome);
        QCoreApplication::processEvents();
        if (i % 13 == 12 || i == 99 || i == 100 || i == 129) {
            // Steps held back to be painted together go out now.
            chart->repaintHeld();
            QCoreApplication::processEvents();
            // What is on screen now, drawn step by step with partial updates ...
            const QImage onScreen = screen->grabWindow(window.winId(), 10, 10, kSize.width(), kSize.height())
                                        .toImage()
                                        .convertToFormat(QImage::Format_RGB32);
            // ... must equal the chart drawn at once from the data, as after
            // the window has been covered and shown again.
            QCOMPARE(onScreen, render(state));
        }
    }
}

void TestChart::partOfTheChartMatchesTheWholeChart_data()
{
    QTest::addColumn<QRect>("part");
    QTest::newRow("one pixel on the base line") << QRect(QPoint(300, qRound(145 * 2 / 2.8)), QSize(1, 1));
    QTest::newRow("a column through the ticks") << QRect(5, 0, 3, 145);
    QTest::newRow("a row across the tick at 1.0") << QRect(0, qRound(145 / 2.8), 665, 1);
    QTest::newRow("a step's width mid-sweep") << QRect(330, 0, 7, 145);
    QTest::newRow("the newest segment") << QRect(trendchart::toDevice(56, 0, kSize).toPoint().x() - 8, 0, 16, 145);
    QTest::newRow("right of the newest segment") << QRect(500, 20, 40, 60);
    QTest::newRow("the right edge") << QRect(660, 0, 5, 145);
    QTest::newRow("reaching past the area") << QRect(600, 100, 200, 200);
    QTest::newRow("the whole area") << QRect(QPoint(0, 0), kSize);
}

void TestChart::partOfTheChartMatchesTheWholeChart()
{
    // Painting a part skips segments; inside the part the pixels must be
    // those of the whole chart, and outside it nothing may be touched.
    QFETCH(QRect, part);
    PanelState state;
    // Steep, flat and wild segments crossing the frame lines and the ticks.
    const char* answers[] = {"Q01N01.5Y", "Q01N00.0Y", "Q01N01.0Y", "Q01N00.5Y", "Q01N19.9Y",
                             "Q01N-0.8Y", "Q01N01.0Y", "Q01N01.0Y", "Q01N00.0Y", "Q01N00.7Y"};
    for (int i = 0; i < 57; ++i)
        applyAnswer(state, answers[i % 10]);
    const QImage whole = render(state);

    QImage partial(kSize, QImage::Format_RGB32);
    partial.fill(Qt::gray);
    {
        QPainter painter(&partial);
        trendchart::paint(painter, kSize, state.prtrend, state.itime, part);
    }
    const QRect inside = part.intersected(QRect(QPoint(0, 0), kSize));
    for (int y = 0; y < kSize.height(); ++y)
        for (int x = 0; x < kSize.width(); ++x) {
            const QColor expected = inside.contains(x, y) ? whole.pixelColor(x, y) : QColor(Qt::gray);
            if (partial.pixelColor(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
        }
}

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

void TestChart::answersArePaintedOncePerRefresh()
{
    FakeServices fakes;
    Form1 window(fakes.services());
    fakes.dialogs.answer(QStringLiteral("/dev/pts/1"));
    window.panel().Communication();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    PaintCounter chart(window.Picture1());
    PaintCounter box(window.pnow());
    RefreshPacer& pacer = window.pacer();
    const auto answer = [&](qint64 afterMs, double mpa, const QByteArray& before = {}) {
        fakes.now += afterMs;
        fakes.port->feed(before + pressureAnswer(mpa));
        QCoreApplication::processEvents();
    };
    const auto painted = [&](int times) { return chart.paints == times && box.paints == times; };

    answer(1500, 1.0, pressureAnswer(0.5));  // alone (two in one read): painted at once, together
    QVERIFY(painted(1));
    QVERIFY(!pacer.holding());

    answer(9, 1.2);  // within a refresh: its text is set, its paint held
    QCOMPARE(window.pnow()->text(), QStringLiteral("01.2"));
    QVERIFY(painted(1));
    QVERIFY(pacer.holding());
    QVERIFY(pacer.holdTimer().interval() < 1000 / window.screen()->refreshRate());

    answer(9, 0.8);  // a refresh after the last paint: both go out together
    QVERIFY(painted(2));
    QVERIFY(!pacer.holding());

    answer(5, 1.1);  // held, and no answer follows: the timer's tick paints it
    QVERIFY(painted(2));
    pacer.paintHeld();
    QVERIFY(painted(3));

    answer(5, 1.3);  // held; the operator's key shows at once, and the held answer with it
    QTest::mouseClick(window.key(QStringLiteral("L")), Qt::LeftButton);
    QVERIFY(chart.paints == 4 && !pacer.holding());
    QCoreApplication::processEvents();
    QCOMPARE(window.pnow()->text(), QStringLiteral("01.3"));

    // Whatever was held, the screen ends up as the chart drawn whole.
    const QPoint at = window.Picture1()->mapTo(&window, QPoint(0, 0));
    const QImage onScreen =
        window.screen()->grabWindow(window.winId(), at.x(), at.y(), kSize.width(), kSize.height()).toImage();
    QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32), render(window.panel().state()));
}

QTEST_MAIN(TestChart)
#include "test_chart.moc"
