#pragma once

#include "platform/exportfiles.h"

#include <QBuffer>
#include <QMap>
#include <QStringList>

// Save and open dialogs that answer with the next scripted path (or Cancel
// when the script is empty) and files kept in memory.
class FakeExportFiles : public platform::ExportFiles {
public:
    QString chooseSaveFile(const QString& caption, const QString& suggestedName, const QString&) override
    {
        asked << caption + QLatin1Char('|') + suggestedName;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    bool writeFile(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error) override
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!write(buffer)) {
            if (error && error->isEmpty())
                *error = QStringLiteral("write failed");
            return false;
        }
        files[path] = buffer.data();
        return true;
    }

    QString chooseOpenFile(const QString& caption, const QString&) override
    {
        asked << caption;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    bool readFile(const QString& path, QByteArray* bytes, QString* error) override
    {
        if (!files.contains(path)) {
            *error = QStringLiteral("no such file");
            return false;
        }
        *bytes = files.value(path);
        return true;
    }

    QStringList answers;  // the paths the dialogs give, in order
    QStringList asked;    // "caption|suggested name" of each dialog shown
    QMap<QString, QByteArray> files;
};
