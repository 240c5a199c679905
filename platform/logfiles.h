#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace platform {

// The local date and time, for time stamps the operator reads. The program
// asks the system; tests hand in a fixed or stepped time.
using WallClock = std::function<QDateTime()>;

WallClock localWallClock();

// Where the CSV log's files go: the folder "pump-log" beside the record
// file (d:\pump-log on Windows, pump-log in the documents folder elsewhere).
QString logFolderPath();

// The files of the CSV log on disk: one file open at a time, written only by
// appending. The log reaches the disk only through this interface, so tests
// hand in a fake and never touch the operator's folder.
class LogFiles {
public:
    enum class Create {
        Created,  // the new, empty file is open for appending
        Exists,   // a file of that name is there already; it was not touched
        Failed,   // see error
    };

    virtual ~LogFiles() = default;

    // The folder, as the operator would type it, for messages.
    virtual QString folder() const = 0;

    // Closes any open file, then makes the folder if need be and creates a
    // new file of that name in it. Never opens or truncates an existing file.
    // On failure *error holds the system's reason in plain words.
    virtual Create create(const QString& fileName, QString* error) = 0;

    // The open file's path as the operator would type it; empty when none.
    virtual QString path() const = 0;

    // Writes the bytes at the end of the open file and hands them to the
    // system before returning, so they survive a crash of the program. False,
    // with the system's reason in *error, when they could not all be written
    // or no file is open.
    virtual bool append(const QByteArray& bytes, QString* error) = 0;

    // Closes the open file; harmless when none is open.
    virtual void close() = 0;
};

}  // namespace platform
