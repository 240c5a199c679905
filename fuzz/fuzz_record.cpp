// The record file's formatter and the viewer's last-line reader under
// arbitrary values and text.
//
// Input: the first byte picks the decimal separator and how the rest becomes
// values (raw doubles, or whole numbers scaled to a few decimals like the
// pump's readings); the whole input is also read as a file's text.
//
// Invariants:
//  - the record text holds only digits, the separator, "-", "E", "+", spaces
//    and CR LF; a CR LF after every fifth field and nowhere else;
//  - each field is a space or "-" by the value's sign, the general text of
//    its magnitude, one space, and reads back to the value within 15 digits;
//  - saving through the recorder writes exactly that text, and the viewer
//    then shows its last line;
//  - the last line of any text is the one a plain split into lines gives.
#include "fakes/fakedialogs.h"
#include "fakes/fakeprinter.h"
#include "fakes/fakerecordstore.h"
#include "fuzzcheck.h"
#include "link/numbers.h"
#include "record/recorder.h"
#include "record/recordfile.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kFieldsPerLine = 5;

// The last line as a plain split gives it: every line break becomes "\n", a
// break at the very end starts no line, and the last line is what follows
// the last break.
QString referenceLastLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.mid(text.lastIndexOf(QLatin1Char('\n')) + 1);
}

std::vector<double> valuesFrom(const std::uint8_t* data, std::size_t size, std::uint8_t mode)
{
    std::vector<double> values;
    if (mode & 2) {
        // Readings such as the pump gives: whole numbers over a power of ten.
        const double scale = std::pow(10.0, (mode >> 2) % 4);
        for (std::size_t i = 0; i + 2 <= size; i += 2) {
            qint16 raw;
            std::memcpy(&raw, data + i, sizeof raw);
            values.push_back(raw / scale);
        }
    } else {
        for (std::size_t i = 0; i + 8 <= size; i += 8) {
            double value;
            std::memcpy(&value, data + i, sizeof value);
            // Only finite numbers ever reach the buffer: readings come
            // through the conversion that refuses the others.
            if (std::isfinite(value))
                values.push_back(value);
        }
    }
    return values;
}

void checkRecordText(const std::vector<double>& values, QChar separator)
{
    const QString text = recordfile::recordText(values, separator);
    for (const QChar c : text) {
        const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == separator
            || c == QLatin1Char('-') || c == QLatin1Char('E') || c == QLatin1Char('+') || c == QLatin1Char(' ')
            || c == QLatin1Char('\r') || c == QLatin1Char('\n');
        FUZZ_CHECK(allowed, text);
    }

    const QStringList lines = text.split(QLatin1String("\r\n"));
    const std::size_t fullLines = values.size() / kFieldsPerLine;
    FUZZ_CHECK(std::size_t(lines.size()) == fullLines + 1, text);
    FUZZ_CHECK(lines.last().size() == 0 || values.size() % kFieldsPerLine != 0, text);

    static const QRegularExpression field(QStringLiteral("[ -][^ ]+ "));
    std::size_t k = 0;
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')), line);
        qsizetype at = 0;
        int onLine = 0;
        while (at < line.size()) {
            const auto m = field.match(line, at, QRegularExpression::NormalMatch,
                                       QRegularExpression::AnchorAtOffsetMatchOption);
            FUZZ_CHECK(m.hasMatch() && k < values.size(), line);
            const double value = values[k];
            const QString expected = (value < 0 ? QStringLiteral("-") : QStringLiteral(" "))
                + numbers::generalText(std::fabs(value), separator) + QLatin1Char(' ');
            FUZZ_CHECK(m.captured() == expected, m.captured() + QStringLiteral(" / ") + expected);
            QString number = m.captured().trimmed();
            number.replace(separator, QLatin1Char('.'));
            const auto back = numbers::toDouble(number, QLocale::c());
            // Within the last 15-digit step below the largest double the text
            // may round past it; such a field is still written, and reads as
            // no number.
            if (back)
                FUZZ_CHECK(std::fabs(*back - value) <= std::fabs(value) * 1e-14, number);
            else
                FUZZ_CHECK(std::fabs(value) > 1.79769313486231e308, number);
            at = m.capturedEnd();
            ++k;
            ++onLine;
        }
        FUZZ_CHECK(onLine <= kFieldsPerLine, line);
    }
    FUZZ_CHECK(k == values.size(), text);
    FUZZ_CHECK(recordfile::lastLine(text) == referenceLastLine(text), text);

    // Through the recorder and its store, as the save and the viewer do it.
    FakeDialogs dialogs;
    FakePrinter printer;
    FakeRecordStore store;
    const QLocale locale = separator == QLatin1Char(',') ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
    Recorder recorder(store, printer, dialogs, locale);
    SaveBuffer buffer;
    for (const double value : values)
        buffer.append(value);
    FUZZ_CHECK(recorder.save(buffer), "the save succeeds");
    FUZZ_CHECK(store.content == text.toLocal8Bit(), "the file holds the text");
    FUZZ_CHECK(dialogs.messages.size() == 1 && dialogs.messages.last().text == Recorder::savedText(),
               "confirmed once");
    FUZZ_CHECK(recorder.readLastLine() == recordfile::lastLine(text), "the viewer shows the last line");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzcheck::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    for (const QString& text : {QString::fromLatin1(bytes, qsizetype(size)), QString::fromUtf8(bytes, qsizetype(size))})
        FUZZ_CHECK(recordfile::lastLine(text) == referenceLastLine(text), text);

    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    checkRecordText(valuesFrom(data + 1, size - 1, mode), (mode & 1) ? QLatin1Char(',') : QLatin1Char('.'));
    return 0;
}
