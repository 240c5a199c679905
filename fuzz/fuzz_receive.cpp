// The receive path under arbitrary bytes: a panel on a fake port is fed the
// input in reads of any size, with the clock, the poll, keypad presses and a
// vanishing port in between, and every answer it handles is checked against
// what the pump sent.
//
// Input: the first byte picks how the rest is cut into reads and what happens
// between them, and whether the CSV log is on; the rest is what the line
// delivers.
//
// Invariants:
//  - every answer handled is nine bytes, "Q" first and "Y" ninth;
//  - with no tail aged out and no port lost, the answers handled are exactly
//    those of the whole stream read at once, whatever the cutting;
//  - the value boxes, the reading store and the cursor change only when an
//    answer is handled, and then exactly as the answer says: the letter's box
//    takes the value characters, only element itime + 1 of prtrend changes,
//    and to pnow's number when pnow is one;
//  - itime stays 0..99 and the save buffer's count follows the readings;
//  - the framer's tail stays shorter than an answer and starts with "Q";
//  - every frame written to the line is nine printable ASCII characters, "Q"
//    first and "Y" last;
//  - with the CSV log on, its file reads back as RFC 4180 text: the header,
//    then one record per answer holding the answer's characters and the
//    boxes exactly, whatever bytes they hold.
#include "fakes/fakeservices.h"
#include "fuzzcheck.h"
#include "link/numbers.h"
#include "panel/panel.h"
#include "record/csvlog.h"

#include <QCoreApplication>
#include <QEvent>

#include <cstdint>
#include <optional>

namespace {

constexpr int kFrameLength = 9;
constexpr int kSweepLength = 100;
constexpr int kReadSizes[] = {1, 4, 12, 64};

// xorshift32: the schedule must be repeatable from the input alone.
struct Schedule {
    quint32 state;
    quint32 next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

struct Snapshot {
    QString pnow;
    QString prset;
    QString lqset;
    qint16 itime = 0;
    std::array<double, 103> prtrend{};
    qint32 saveprcout = 0;

    FUZZ_UNGUIDED bool operator==(const Snapshot& o) const
    {
        // prtrend never holds NaN (only finite numbers are stored), so == is
        // exact. A plain loop: std::array's == would be compiled outside this
        // unguided function.
        for (std::size_t k = 0; k < prtrend.size(); ++k) {
            if (prtrend[k] != o.prtrend[k])
                return false;
        }
        return pnow == o.pnow && prset == o.prset && lqset == o.lqset && itime == o.itime
            && saveprcout == o.saveprcout;
    }
};

FUZZ_UNGUIDED Snapshot snapshot(const Panel& panel)
{
    const PanelState& s = panel.state();
    return {s.pnow, s.prset, s.lqset, s.itime, s.prtrend, panel.saveBuffer().saveprcout()};
}

// The framing rule as plainly as it can be put, over the whole stream at once.
FUZZ_UNGUIDED QList<QByteArray> referenceFrames(const QByteArray& bytes)
{
    QList<QByteArray> out;
    qsizetype i = 0;
    while (i + kFrameLength <= bytes.size()) {
        if (bytes.at(i) == 'Q' && bytes.at(i + kFrameLength - 1) == 'Y') {
            out.append(bytes.mid(i, kFrameLength));
            i += kFrameLength;
        } else {
            ++i;
        }
    }
    return out;
}

// RFC 4180 as a spreadsheet reads it: records end in CR LF; a field in
// double quotes may hold commas, line breaks and doubled quotes. Anything else
// (a quote inside a bare field, a bare CR or LF, text after a closing quote,
// an open quote at the end, a last record without its CR LF) is an error.
FUZZ_UNGUIDED std::optional<QList<QStringList>> readCsv(const QString& text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool fieldDone = false;  // a quoted field has closed: only "," or CR LF may follow
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            fieldDone = false;
            ++i;
        } else if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            fieldDone = false;
            i += 2;
        } else if (fieldDone) {
            return std::nullopt;
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty())
                return std::nullopt;
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                if (text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text.at(i);
            }
            fieldDone = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            return std::nullopt;
        } else {
            field += c;
            ++i;
        }
    }
    if (!field.isEmpty() || !record.isEmpty() || fieldDone)
        return std::nullopt;
    return records;
}

FUZZ_UNGUIDED void checkWritten(const QByteArray& frame)
{
    FUZZ_CHECK(frame.size() == kFrameLength && frame.front() == 'Q' && frame.back() == 'Y', frame);
    for (const char c : frame)
        FUZZ_CHECK(c >= 0x20 && c < 0x7f, frame);
}

// Checks one handled answer against the state before and after it.
FUZZ_UNGUIDED void checkAnswer(const QByteArray& frame, const AnswerOutcome& outcome, const Snapshot& before, const Snapshot& after)
{
    FUZZ_CHECK(frame.size() == kFrameLength && frame.front() == 'Q' && frame.back() == 'Y', frame);
    FUZZ_CHECK(before.itime >= 0 && before.itime < kSweepLength, QString::number(before.itime));

    const QString value = QString::fromLatin1(frame.mid(4, 4));
    QString pnow = before.pnow;
    QString prset = before.prset;
    QString lqset = before.lqset;
    switch (frame.at(3)) {
    case 'N':
        pnow = value;
        break;
    case 'P':
        prset = value.left(2) + QLatin1Char('.') + value.mid(3, 1);
        break;
    case 'L':
        lqset = value;
        break;
    default:
        break;
    }
    FUZZ_CHECK(after.pnow == pnow && after.prset == prset && after.lqset == lqset, frame);

    FUZZ_CHECK(outcome.cursor == before.itime, frame);
    FUZZ_CHECK(after.itime == (before.itime + 1) % kSweepLength, frame);
    FUZZ_CHECK(outcome.wrapped == (before.itime == kSweepLength - 1), frame);

    const int slot = before.itime + 1;
    const auto reading = numbers::toDouble(after.pnow);
    FUZZ_CHECK(outcome.stored == reading.has_value(), frame);
    for (int k = 0; k < int(after.prtrend.size()); ++k) {
        if (k == slot && reading)
            FUZZ_CHECK(after.prtrend[k] == *reading && outcome.reading == *reading, frame);
        else
            FUZZ_CHECK(after.prtrend[k] == before.prtrend[k], QStringLiteral("element %1 changed").arg(k));
    }
    const bool kept = reading && before.saveprcout < SaveBuffer::kCapacity;
    FUZZ_CHECK(after.saveprcout == before.saveprcout + (kept ? 1 : 0), frame);
}

// One of the keypad's fourteen keys.
void pressKey(Panel& panel, quint32 key)
{
    using Key = void (Panel::*)();
    static constexpr Key kKeys[] = {&Panel::Cmd1, &Panel::Cmd2, &Panel::Cmd3, &Panel::Cmd4, &Panel::Cmd5,
                                    &Panel::Cmd6, &Panel::Cmd7, &Panel::Cmd8, &Panel::Cmd9, &Panel::Cmdl,
                                    &Panel::Cmdp, &Panel::Cmdr, &Panel::Cmds};
    const quint32 k = key % 14;
    if (k == 13)
        panel.Cmd0(0);
    else
        (panel.*kKeys[k])();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzcheck::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    Schedule schedule{((data[0] * 0x9E3779B1u) ^ quint32(size)) | 1u};
    const int maxRead = kReadSizes[data[0] & 3];
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    FakeServices fakes;
    Panel panel(fakes.services());
    panel.Form_Load();
    fakes.dialogs.answer(QStringLiteral("COM1"));
    panel.Communication();
    FUZZ_CHECK(panel.link().isOpen(), "the fake port opens");
    const bool logging = (data[0] & 4) != 0;
    if (logging) {
        panel.csvlog(true);
        FUZZ_CHECK(panel.csvLog().isOn(), "the CSV log starts");
    }

    QList<QByteArray> handled;
    QList<QStringList> expectedRecords;
    int storedReadings = 0;
    Snapshot beforeAnswer = snapshot(panel);
    AnswerOutcome lastOutcome;
    // The panel's own handler runs first (it connected first); these run after it.
    QObject::connect(&panel, &Panel::answerApplied, [&](const QByteArray&, const AnswerOutcome& o) { lastOutcome = o; });
    QObject::connect(&panel.link(), &PumpLink::answerReceived, [&](const QByteArray& frame) {
        const Snapshot after = snapshot(panel);
        checkAnswer(frame, lastOutcome, beforeAnswer, after);
        handled.append(frame);
        if (logging) {
            const auto part = [&](int from, int length) { return QString::fromLatin1(frame.mid(from, length)); };
            expectedRecords.append({part(1, 2), part(3, 1), part(4, 4), after.pnow, after.prset, after.lqset});
        }
        storedReadings += lastOutcome.stored ? 1 : 0;
        beforeAnswer = after;
    });

    // Whether the answers must be exactly those of the whole stream: true
    // until a tail may have aged out or the port was lost.
    bool exact = true;
    const qint64 startMs = fakes.now;
    FakeSerialPort* port = fakes.port;
    qsizetype checkedWrites = 0;
    const auto checkWrites = [&] {
        for (; checkedWrites < port->writes.size(); ++checkedWrites)
            checkWritten(port->writes.at(checkedWrites));
    };

    qsizetype at = 0;
    while (at < stream.size()) {
        const quint32 r = schedule.next();
        switch ((r >> 8) % 32) {
        case 0:
        case 1:
            fakes.now += (r >> 16) % 400;
            break;
        case 2:
            fakes.now += 1000 + (r >> 16) % 2000;
            break;
        case 3:
            panel.link().pollTick();
            break;
        case 4:
        case 5:
            pressKey(panel, r >> 16);
            break;
        case 6:
            if ((r >> 16) % 8 == 0) {
                // The port breaks; the operator opens it again.
                const qsizetype made = fakes.ports.size();
                port->failLine(QStringLiteral("gone"));
                // With no event loop running: delete the failed port now, then
                // let Qt drop the delivered entries from its queue (a filtered
                // pass leaves them there, and the queue would grow every run).
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QCoreApplication::sendPostedEvents();
                FUZZ_CHECK(!panel.link().isOpen(), "a failed port is closed");
                fakes.dialogs.answer(QStringLiteral("COM1"));
                panel.Communication();
                FUZZ_CHECK(panel.link().isOpen() && fakes.ports.size() == made + 1, "a new port opens");
                port = fakes.port;
                checkedWrites = 0;
                exact = false;
            }
            break;
        default:
            break;
        }
        checkWrites();
        if (fakes.now - startMs > AnswerFramer::kDefaultTailLifetimeMs)
            exact = false;

        const qsizetype n = qMin<qsizetype>(1 + (r % maxRead), stream.size() - at);
        const Snapshot atStart = snapshot(panel);
        const qsizetype handledBefore = handled.size();
        beforeAnswer = atStart;
        port->feed(stream.mid(at, n));
        at += n;
        if (handled.size() == handledBefore)
            FUZZ_CHECK(snapshot(panel) == atStart, "no answer, yet the panel changed");
        const QByteArray& tail = panel.link().framer().tail();
        FUZZ_CHECK(tail.size() < kFrameLength, tail);
        FUZZ_CHECK(tail.isEmpty() || tail.front() == 'Q', tail);
        checkWrites();
    }

    if (exact)
        FUZZ_CHECK(handled == referenceFrames(stream), stream);
    FUZZ_CHECK(panel.state().itime == handled.size() % kSweepLength, QString::number(panel.state().itime));
    FUZZ_CHECK(panel.saveBuffer().saveprcout() == storedReadings, "save buffer count");
    FUZZ_CHECK(panel.link().answersReceived() == quint64(handled.size()), "answer count");

    if (logging) {
        const QByteArray file = fakes.logFiles.lastFile();
        const auto records = readCsv(QString::fromUtf8(file));
        FUZZ_CHECK(records.has_value(), file);
        FUZZ_CHECK(records->size() == expectedRecords.size() + 1, file);
        FUZZ_CHECK(records->first().join(QLatin1Char(',')) + QStringLiteral("\r\n") == csvlog::headerLine(), file);
        for (qsizetype k = 0; k < expectedRecords.size(); ++k) {
            const QStringList& got = records->at(k + 1);
            FUZZ_CHECK(got.size() == 8 && got.mid(2) == expectedRecords.at(k), got.join(QLatin1Char('|')));
            FUZZ_CHECK(got.at(0) == csvlog::timeText(fakes.localNow), got.at(0));
        }
    }
    return 0;
}
