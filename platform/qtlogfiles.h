#pragma once

#include "platform/logfiles.h"

#include <QFile>

namespace platform {

// The CSV log's files on disk, through QFile. Each append is written and
// flushed to the system at once; nothing waits in a buffer of the program.
class QtLogFiles : public LogFiles {
public:
    explicit QtLogFiles(QString folderPath = logFolderPath());
    ~QtLogFiles() override;

    QString folder() const override;
    Create create(const QString& fileName, QString* error) override;
    QString path() const override;
    bool append(const QByteArray& bytes, QString* error) override;
    void close() override;

private:
    // Why the last call on the file failed; called at once after it.
    QString writeReason() const;

    QString m_folder;
    QFile m_file;
};

}  // namespace platform
