#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The folder of the record file and the CSV log on Windows: the root of
// drive D, their traditional place, where D: is there and can be written;
// otherwise the documents folder. Either way with "/" separators.
QString windowsRecordFolder(bool driveDWritable, const QString& documentsFolder);

// Where the record file lives: mytext.txt in the folder above on Windows
// ("d:\mytext.txt" on most PCs), in the user's documents folder elsewhere.
// Chosen once per run, so the save, the viewer and the CSV log agree.
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
