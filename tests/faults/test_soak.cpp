// A long day next to the pump, compressed: a million answers through the
// panel as fast as the fake port takes them, in reads of every size with
// noise and broken-off frames between them, while a timed run counts past
// 32767 seconds on its own tick. Nothing may grow but the pressure record,
// and that stops at its capacity.
#include "fakes/fakeservices.h"
#include "link/frames.h"
#include "panel/panel.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <random>

namespace {

constexpr qint64 kAnswers = 1000000;
constexpr qint64 kAnswersAfterFull = 200000;
constexpr int kAnswersPerSecond = 25;  // a timed-run tick every 25 answers
constexpr qint64 kMiB = 1024 * 1024;

// Resident memory of this process, from /proc; -1 where there is none.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Sanitizers keep freed memory in quarantine and add shadow memory: resident
// size says nothing there.
bool memoryIsMeasurable()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return residentBytes() > 0;
#endif
#else
    return residentBytes() > 0;
#endif
}

// What a line delivers: answers with pressures that change, noise without
// "Q", and now and then a broken-off frame before an answer, cut into reads
// of 1 to 64 bytes.
class Line {
public:
    explicit Line(quint32 seed) : m_random(seed) {}

    // Appends the next answer (with any noise before it) to the pending bytes.
    void nextAnswer()
    {
        const int roll = int(m_random() % 16);
        if (roll == 0)
            m_pending += QByteArray("\r\n\x00\xff#", 5);
        else if (roll == 1)
            m_pending += "Q01N0";  // broken off: no "Y" where the ninth would be
        const int tenths = int(m_random() % 200);
        m_lastPnow = QString::asprintf("%04.1f", tenths / 10.0);
        m_pending += "Q01N" + m_lastPnow.toLatin1() + "Y";
    }

    // The next read: 1 to 64 of the pending bytes, or all that are left.
    QByteArray nextRead(bool all)
    {
        const qsizetype n = all ? m_pending.size() : qMin<qsizetype>(1 + m_random() % 64, m_pending.size());
        QByteArray out = m_pending.left(n);
        m_pending.remove(0, n);
        return out;
    }
    bool hasPending() const { return !m_pending.isEmpty(); }
    QString lastPnow() const { return m_lastPnow; }

private:
    std::mt19937 m_random;
    QByteArray m_pending;
    QString m_lastPnow;
};

}  // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void millionAnswersAndALongTimedRun();
};

void TestSoak::millionAnswersAndALongTimedRun()
{
    FakeServices fakes;
    Panel panel(fakes.services());
    panel.Form_Load();
    fakes.dialogs.answer(QStringLiteral("COM7"));
    panel.Communication();
    QVERIFY(fakes.port && fakes.port->isOpen());
    FakeSerialPort& port = *fakes.port;
    QSignalSpy notices(&panel, &Panel::notice);

    // A run of 900 minutes (54000 s): still counting when the answers end.
    fakes.dialogs.answer(QStringLiteral("900"));
    panel.stset();
    panel.ststart();
    QCOMPARE(port.writtenFrames(), QStringList{frames::kRun});
    port.writes.clear();

    Line line(20240601);
    qint64 sent = 0;
    qint64 ticks = 0;
    qint64 maxTset = 0;
    qint64 residentWarm = -1;
    qint64 residentFull = -1;
    int maxTail = 0;
    const auto feedUntil = [&](qint64 total) {
        while (sent < total) {
            line.nextAnswer();
            ++sent;
            while (line.hasPending()) {
                port.feed(line.nextRead(sent == total));
                maxTail = qMax(maxTail, int(panel.link().framer().tail().size()));
                if (panel.state().itime < 0 || panel.state().itime > 99)
                    QFAIL(qPrintable(QStringLiteral("itime %1 after %2 answers").arg(panel.state().itime).arg(sent)));
            }
            if (sent % kAnswersPerSecond == 0) {
                fakes.now += 1000;
                panel.timedRun().tick();
                ++ticks;
                maxTset = qMax(maxTset, panel.timedRun().tset());
                if (panel.timedRun().lhour().startsWith(QLatin1Char('-'))
                    || panel.timedRun().lsed().startsWith(QLatin1Char('-')))
                    QFAIL(qPrintable(QStringLiteral("negative caption at second %1").arg(ticks)));
            }
            if (sent % 1000 == 0) {
                panel.link().pollTick();
                port.writes.clear();
            }
            if (sent == 1000)
                residentWarm = residentBytes();
        }
    };

    feedUntil(kAnswers);
    residentFull = residentBytes();
    QCOMPARE(qint64(panel.link().answersReceived()), kAnswers);
    QCOMPARE(panel.saveBuffer().saveprcout(), SaveBuffer::kCapacity);
    QCOMPARE(panel.state().pnow, line.lastPnow());
    QCOMPARE(int(panel.state().itime), int(kAnswers % 100));

    feedUntil(kAnswers + kAnswersAfterFull);
    const qint64 residentAfter = residentBytes();
    QCOMPARE(qint64(panel.link().answersReceived()), kAnswers + kAnswersAfterFull);
    QCOMPARE(panel.saveBuffer().saveprcout(), SaveBuffer::kCapacity);
    QCOMPARE(panel.state().pnow, line.lastPnow());
    QCOMPARE(int(panel.state().itime), int((kAnswers + kAnswersAfterFull) % 100));
    QVERIFY2(maxTail < 9, qPrintable(QString::number(maxTail)));
    QVERIFY(panel.link().framer().tail().isEmpty());
    QVERIFY(!panel.link().linkLost());

    // Full once, said once.
    QStringList texts;
    for (const QList<QVariant>& args : notices)
        texts << args.at(0).toString();
    QCOMPARE(texts.count(Recorder::fullNotice()), 1);
    QCOMPARE(texts.size(), 1);

    // The run counted every tick past the 16-bit range and is still on.
    QCOMPARE(ticks, (kAnswers + kAnswersAfterFull) / kAnswersPerSecond);
    QCOMPARE(panel.timedRun().tset(), ticks);
    QVERIFY(maxTset > 32767);
    QVERIFY(panel.timedRun().timer1().isActive());
    QCOMPARE(panel.timedRun().lhour(), QString::number(ticks / 3600));
    QCOMPARE(panel.timedRun().lmin(), QString::number(ticks % 3600 / 60));
    QCOMPARE(panel.timedRun().lsed(), QString::number(ticks % 60));

    // The save writes every value the buffer holds.
    panel.save();
    QCOMPARE(fakes.store.content.count("\r\n"), SaveBuffer::kCapacity / 5);
    QCOMPARE(fakes.dialogs.messages.last().text, Recorder::savedText());

    if (!memoryIsMeasurable())
        QSKIP("resident memory is not meaningful in this build");
    // Up to full, memory grows by what the buffer needs (its vector may have
    // room for 2^20 values) and a little more; after that it stays flat.
    const qint64 bufferBytes = qint64(sizeof(double)) * (1 << 20);
    qInfo("resident: %lld KiB after 1000 answers, +%lld KiB at full, +%lld KiB after %lld more", residentWarm / 1024,
          (residentFull - residentWarm) / 1024, (residentAfter - residentFull) / 1024, kAnswersAfterFull);
    QVERIFY2(residentFull - residentWarm <= bufferBytes + 2 * kMiB,
             qPrintable(QStringLiteral("grew %1 bytes to full").arg(residentFull - residentWarm)));
    QVERIFY2(residentAfter - residentFull <= kMiB / 2,
             qPrintable(QStringLiteral("grew %1 bytes after full").arg(residentAfter - residentFull)));
}

QTEST_GUILESS_MAIN(TestSoak)
#include "test_soak.moc"
