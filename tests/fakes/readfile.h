#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <optional>

// A file's bytes; a marker that matches no content where it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The text of a PDF file, or nothing without pdftotext.
inline std::optional<QString> pdfText(const QString& path)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return std::nullopt;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return std::nullopt;
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The same for a PDF held in memory.
inline std::optional<QString> pdfText(const QByteArray& pdf)
{
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return std::nullopt;
    return pdfText(file.fileName());
}
