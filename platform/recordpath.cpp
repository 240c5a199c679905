#include "platform/recordstore.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

QString recordFilePath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("d:\\mytext.txt");
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("mytext.txt"));
#endif
}

}  // namespace platform
