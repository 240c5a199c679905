#pragma once

#include "platform/logfiles.h"

#include <QMap>

// The CSV log's folder held in memory. Creating and appending can be made to
// fail with a reason, and names can be taken already.
class FakeLogFiles : public platform::LogFiles {
public:
    QString folder() const override { return folderPath; }

    Create create(const QString& fileName, QString* error) override
    {
        close();
        ++creates;
        if (!failCreate.isEmpty()) {
            if (error)
                *error = failCreate;
            return Create::Failed;
        }
        if (files.contains(fileName))
            return Create::Exists;
        files.insert(fileName, QByteArray());
        m_open = fileName;
        m_lastCreated = fileName;
        return Create::Created;
    }

    QString path() const override { return m_open.isEmpty() ? QString() : folderPath + QLatin1Char('/') + m_open; }

    bool append(const QByteArray& bytes, QString* error) override
    {
        if (m_open.isEmpty() || appendsBeforeFailure == 0) {
            if (error)
                *error = m_open.isEmpty() ? QStringLiteral("no file open") : failAppend;
            return false;
        }
        if (appendsBeforeFailure > 0)
            --appendsBeforeFailure;
        files[m_open] += bytes;
        return true;
    }

    void close() override
    {
        if (!m_open.isEmpty())
            ++closes;
        m_open.clear();
    }

    QString openName() const { return m_open; }
    // The content of the file created last.
    QByteArray lastFile() const { return files.value(lastName()); }
    QString lastName() const { return m_lastCreated; }

    // Test controls and what happened.
    QString folderPath = QStringLiteral("/records/pump-log");
    QString failCreate;              // non-empty: every create fails with this reason
    int appendsBeforeFailure = -1;   // appends that succeed before they fail; -1 never fail
    QString failAppend = QStringLiteral("No space left on device");
    QMap<QString, QByteArray> files;
    int creates = 0;
    int closes = 0;

private:
    QString m_open;
    QString m_lastCreated;
};
