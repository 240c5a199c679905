#pragma once

#include "platform/recordstore.h"

#include <QByteArrayList>

// A record file held in memory. A save can be made to fail with a reason; a
// failed save leaves the content as it was, as the real store does.
class FakeRecordStore : public platform::RecordStore {
public:
    QString path() const override { return filePath; }

    bool writeAll(const QByteArray& bytes, QString* error) override
    {
        ++saves;
        if (!failWith.isEmpty()) {
            if (error)
                *error = failWith;
            return false;
        }
        content = bytes;
        exists = true;
        return true;
    }

    ReadResult readAll() const override
    {
        ReadResult result;
        if (!readFailure.isEmpty()) {
            result.status = ReadResult::Status::Failed;
            result.error = readFailure;
        } else if (!exists) {
            result.status = ReadResult::Status::Missing;
        } else {
            result.content = content;
        }
        return result;
    }

    // Test controls and what happened.
    QString filePath = QStringLiteral("/records/mytext.txt");
    QString failWith;      // non-empty: every save fails with this reason
    QString readFailure;   // non-empty: every read fails with this reason
    bool exists = false;   // whether there is a file to read
    QByteArray content;
    int saves = 0;
};
