#include "record/recorder.h"

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/recordstore.h"
#include "record/recordfile.h"

#include <limits>

namespace {
// The viewer's caption, for the messages of its read button.
constexpr const char16_t* kViewerCaption = u"泵启动和停止时间记录";
}  // namespace

Recorder::Recorder(platform::RecordStore& store, platform::Printer& printer, platform::Dialogs& dialogs,
                   const QLocale& locale)
    : m_store(store)
    , m_printer(printer)
    , m_dialogs(dialogs)
{
    const QString point = locale.decimalPoint();
    m_decimalSeparator = point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

QString Recorder::fullNotice()
{
    return QStringLiteral("压力记录已满（%1 个数值），此后的读数不再记录").arg(SaveBuffer::kCapacity);
}

bool Recorder::save(const SaveBuffer& buffer)
{
    // The file is plain text in the system's code page; every character of
    // it is ASCII unless the locale's decimal separator is not.
    const QByteArray content =
        recordfile::recordText(buffer.saveprdata(), m_decimalSeparator).toLocal8Bit();
    QString error;
    const bool written = m_store.writeAll(content, &error);
    if (m_saveObserver)
        m_saveObserver(written, error);
    if (!written) {
        m_dialogs.messageBox(QStringLiteral("压力数值未能存储到 %1：%2").arg(m_store.path(), error),
                             QString::fromUtf16(kSavedCaption));
        return false;
    }
    m_dialogs.messageBox(QString::fromUtf16(kSavedText), QString::fromUtf16(kSavedCaption));
    return true;
}

QString Recorder::readLastLine()
{
    using Status = platform::RecordStore::ReadResult::Status;
    const platform::RecordStore::ReadResult read = m_store.readAll();
    switch (read.status) {
    case Status::Ok:
        return recordfile::lastLine(QString::fromLocal8Bit(read.content));
    case Status::Missing:
        m_dialogs.messageBox(QStringLiteral("还没有存储过压力记录（%1 不存在）").arg(m_store.path()),
                             QString::fromUtf16(kViewerCaption));
        return QString();
    case Status::Failed:
        break;
    }
    m_dialogs.messageBox(QStringLiteral("无法读取 %1：%2").arg(m_store.path(), read.error),
                         QString::fromUtf16(kViewerCaption));
    return QString();
}

int Recorder::print()
{
    const std::optional<int> copies = m_printer.choosePrinter();
    if (!copies)
        return 0;
    // The copy count is held as a 16-bit number; one that does not fit is an
    // error, and errors end the command without a word.
    if (*copies > std::numeric_limits<qint16>::max() || *copies < std::numeric_limits<qint16>::min())
        return 0;
    const qint16 n = static_cast<qint16>(*copies);
    for (qint16 i = 1; i <= n; ++i) {
        if (!m_printer.printPage(QString::fromUtf16(kPrintLine)))
            return i - 1;
    }
    return n < 0 ? 0 : n;
}
