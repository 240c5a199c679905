#include "platform/qtrecordstore.h"

#include "platform/failures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace platform {

QtRecordStore::QtRecordStore(QString filePath)
    : m_path(QDir::fromNativeSeparators(std::move(filePath)))
{
}

QString QtRecordStore::path() const
{
    return QDir::toNativeSeparators(m_path);
}

bool QtRecordStore::writeAll(const QByteArray& content, QString* error)
{
    // The documents folder may not exist yet on a fresh account. If it cannot
    // be made, the save below fails and says why.
    QDir().mkpath(QFileInfo(m_path).absolutePath());

    QSaveFile file(m_path);
    // Called at once after the failing call, while its error number stands.
    const auto reason = [&file] {
        return failures::fileReason(file.error(), failures::lastSystemError(), file.errorString(),
                                    failures::Use::Writing);
    };
    const auto fail = [&]() {
        if (error)
            *error = reason();
        file.cancelWriting();
        return false;
    };
    failures::clearSystemError();
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    // A write that runs out of room may first come back short without a
    // reason; writing the rest then fails with the system's reason (disk
    // full, file too large). Flushing here, not only in commit(), keeps that
    // reason for the message.
    qint64 done = 0;
    while (done < content.size()) {
        failures::clearSystemError();
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        if (n <= 0)
            return fail();
        done += n;
    }
    failures::clearSystemError();
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail();
    failures::clearSystemError();
    if (!file.commit()) {
        if (error)
            *error = reason();
        return false;
    }
    return true;
}

RecordStore::ReadResult QtRecordStore::readAll() const
{
    ReadResult result;
    QFile file(m_path);
    if (!QFileInfo::exists(m_path)) {
        result.status = ReadResult::Status::Missing;
        return result;
    }
    const auto reason = [&file] {
        return failures::fileReason(file.error(), failures::lastSystemError(), file.errorString(),
                                    failures::Use::Reading);
    };
    failures::clearSystemError();
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadResult::Status::Failed;
        result.error = reason();
        return result;
    }
    failures::clearSystemError();
    result.content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadResult::Status::Failed;
        result.error = reason();
        result.content.clear();
    }
    return result;
}

}  // namespace platform
