#include "platform/qtlogfiles.h"

#include "platform/failures.h"
#include "platform/recorded.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace platform {

QtLogFiles::QtLogFiles(QString folderPath)
    : m_folder(QDir::fromNativeSeparators(std::move(folderPath)))
{
}

QtLogFiles::~QtLogFiles()
{
    close();
}

QString QtLogFiles::folder() const
{
    return QDir::toNativeSeparators(m_folder);
}

LogFiles::Create QtLogFiles::create(const QString& fileName, QString* error)
{
    close();
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return Create::Failed;
    };
    const QFileInfo folder(m_folder);
    if (folder.exists() && !folder.isDir())
        return fail(recorded::text(recorded::kNotAFolder).arg(QDir::toNativeSeparators(m_folder)));
    failures::clearSystemError();
    if (!QDir().mkpath(m_folder)) {
        // QDir gives no reason of its own; the system's, where it is known.
        const int systemError = failures::lastSystemError();
        const QString folder = QDir::toNativeSeparators(m_folder);
        if (systemError == 0)
            return fail(recorded::text(recorded::kFolderNotMade).arg(folder));
        return fail(recorded::text(recorded::kFolderNotMadeBecause)
                        .arg(folder, failures::fileReason(QFileDevice::UnspecifiedError, systemError,
                                                          qt_error_string(systemError), failures::Use::Writing)));
    }

    m_file.setFileName(QDir(m_folder).filePath(fileName));
    // NewOnly: an earlier log of the same name is never opened or cut short.
    // Unbuffered: every write goes straight to the system.
    failures::clearSystemError();
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return Create::Created;
    const QString reason = writeReason();
    const bool exists = QFileInfo::exists(m_file.fileName());
    m_file.setFileName(QString());
    if (exists)
        return Create::Exists;
    return fail(reason);
}

QString QtLogFiles::path() const
{
    return m_file.isOpen() ? QDir::toNativeSeparators(m_file.fileName()) : QString();
}

bool QtLogFiles::append(const QByteArray& bytes, QString* error)
{
    if (!m_file.isOpen()) {
        if (error)
            *error = recorded::text(QT_TRANSLATE_NOOP("recorded", "没有打开的文件"));
        return false;
    }
    // On a full disk the bytes may go out only in part. They are taken back
    // then, so the file never ends in a torn line.
    const qint64 before = m_file.size();
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        if (m_file.size() > before)
            m_file.resize(before);
        return false;
    };
    // A write that runs out of room may first come back short without a
    // reason; writing the rest then fails with the system's reason.
    qint64 done = 0;
    while (done < bytes.size()) {
        failures::clearSystemError();
        const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail(writeReason());
        done += n;
    }
    failures::clearSystemError();
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail(writeReason());
    return true;
}

QString QtLogFiles::writeReason() const
{
    return failures::fileReason(m_file.error(), failures::lastSystemError(), m_file.errorString(),
                                failures::Use::Writing);
}

void QtLogFiles::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(QString());
}

}  // namespace platform
