#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Where the record file lives: "d:\mytext.txt" on Windows; elsewhere
// mytext.txt in the user's documents folder.
QString recordFilePath();

// The record file on disk. The recorder reads and writes it only through this
// interface, so tests hand in a fake and never touch the operator's file.
class RecordStore {
public:
    struct ReadResult {
        enum class Status {
            Ok,       // content holds the whole file
            Missing,  // there is no such file
            Failed,   // the file is there but could not be read; see error
        };
        Status status = Status::Ok;
        QByteArray content;
        QString error;
    };

    virtual ~RecordStore() = default;

    // The file's path as the operator would type it, for messages.
    virtual QString path() const = 0;

    // Replaces the file with exactly these bytes, all or nothing: when it
    // returns false the previous file is still there unchanged and *error
    // holds the system's reason in plain words. Returns only once the new
    // content is in place.
    virtual bool writeAll(const QByteArray& content, QString* error) = 0;

    // Reads the whole file.
    virtual ReadResult readAll() const = 0;
};

}  // namespace platform
