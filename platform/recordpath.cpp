#include "platform/recordstore.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QTemporaryFile>

#include <windows.h>
#endif

namespace platform {

namespace {

QString documentsFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

#ifdef Q_OS_WIN
// Whether a file can be made at the root of D:. An empty card reader or disc
// drive must fail quietly instead of making Windows ask for a disk.
bool driveDWritable()
{
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous);
    QTemporaryFile probe(QStringLiteral("d:/pump-panel-XXXXXX.tmp"));
    const bool writable = probe.open();
    probe.remove();
    SetThreadErrorMode(previous, nullptr);
    return writable;
}
#endif

QString chooseRecordFilePath()
{
#ifdef Q_OS_WIN
    const QString folder = windowsRecordFolder(driveDWritable(), documentsFolder());
#else
    const QString folder = documentsFolder();
#endif
    return QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("mytext.txt")));
}

}  // namespace

QString windowsRecordFolder(bool driveDWritable, const QString& documentsFolder)
{
    return driveDWritable ? QStringLiteral("d:/") : QDir::fromNativeSeparators(documentsFolder);
}

QString recordFilePath()
{
    static const QString path = chooseRecordFilePath();
    return path;
}

}  // namespace platform
