#include "record/recorder.h"

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/recorded.h"
#include "platform/recordstore.h"
#include "record/recordfile.h"


Recorder::Recorder(platform::RecordStore& store, platform::Printer& printer, platform::Dialogs& dialogs,
                   const QLocale& locale)
    : m_store(store)
    , m_printer(printer)
    , m_dialogs(dialogs)
{
    const QString point = locale.decimalPoint();
    m_decimalSeparator = point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

QString Recorder::path() const
{
    return m_store.path();
}

QString Recorder::fullNotice()
{
    return tr("压力记录已满（%1 个数值），此后的读数不再记录").arg(SaveBuffer::kCapacity);
}

QString Recorder::savedText()
{
    return tr("当前压力数值以存储");
}

QString Recorder::savedCaption()
{
    return tr("存储数据");
}

QString Recorder::printLine()
{
    return tr("打印测试");
}

QString Recorder::viewerCaption()
{
    return tr("泵启动和停止时间记录");
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
        m_dialogs.messageBox(tr("压力数值未能存储到 %1：%2").arg(m_store.path(), recorded::shown(error)), savedCaption());
        return false;
    }
    m_dialogs.messageBox(savedText(), savedCaption());
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
        m_dialogs.messageBox(tr("还没有存储过压力记录（%1 不存在）").arg(m_store.path()), viewerCaption());
        return QString();
    case Status::Failed:
        break;
    }
    m_dialogs.messageBox(tr("无法读取 %1：%2").arg(m_store.path(), recorded::shown(read.error)), viewerCaption());
    return QString();
}

int Recorder::print()
{
    const std::optional<int> copies = m_printer.choosePrinter();
    if (!copies)
        return 0;
    // Exactly as many copies as the dialog gave: the count is wider than any
    // copy count, so the loop ends after the last one.
    for (qint64 i = 1; i <= *copies; ++i) {
        if (!m_printer.printPage(printLine()))
            return static_cast<int>(i - 1);
    }
    return std::max(0, *copies);
}
