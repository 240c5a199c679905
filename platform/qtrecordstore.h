#pragma once

#include "platform/recordstore.h"

namespace platform {

// The record file on disk. Saving goes through QSaveFile: the new content is
// written to a temporary file beside the target and renamed over it only once
// it is complete, so a failed save (no such drive, read-only folder, disk
// full) leaves the previous file as it was.
class QtRecordStore : public RecordStore {
public:
    explicit QtRecordStore(QString filePath = recordFilePath());

    QString path() const override;
    bool writeAll(const QByteArray& content, QString* error) override;
    ReadResult readAll() const override;

private:
    QString m_path;
};

}  // namespace platform
