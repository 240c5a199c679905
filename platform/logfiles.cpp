#include "platform/logfiles.h"

#include "platform/recordstore.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

WallClock localWallClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

QString logFolderPath()
{
    const QFileInfo record(QDir::fromNativeSeparators(recordFilePath()));
    return QDir::toNativeSeparators(record.dir().filePath(QStringLiteral("pump-log")));
}

}  // namespace platform
