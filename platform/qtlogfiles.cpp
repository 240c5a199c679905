#include "platform/qtlogfiles.h"

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
        return fail(QStringLiteral("%1 不是文件夹").arg(QDir::toNativeSeparators(m_folder)));
    if (!QDir().mkpath(m_folder))
        return fail(QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(m_folder)));

    m_file.setFileName(QDir(m_folder).filePath(fileName));
    // NewOnly: an earlier log of the same name is never opened or cut short.
    // Unbuffered: every write goes straight to the system.
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return Create::Created;
    const bool exists = QFileInfo::exists(m_file.fileName());
    const QString reason = m_file.errorString();
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
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!m_file.isOpen())
        return fail(QStringLiteral("没有打开的文件"));
    // A write that runs out of room may first come back short without a
    // reason; writing the rest then fails with the system's reason.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail(m_file.errorString());
        done += n;
    }
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    return true;
}

void QtLogFiles::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(QString());
}

}  // namespace platform
