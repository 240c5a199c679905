#pragma once

#include "record/savebuffer.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <functional>

namespace platform {
class Dialogs;
class Printer;
class RecordStore;
}  // namespace platform

// The pressure record's commands without their windows: saving the save
// buffer to the record file, reading the file's last line for the viewer, and
// the test print. Messages go through platform::Dialogs.
class Recorder {
    Q_DECLARE_TR_FUNCTIONS(Recorder)
public:
    Recorder(platform::RecordStore& store, platform::Printer& printer, platform::Dialogs& dialogs,
             const QLocale& locale = QLocale());

    // Save (`save`): writes every value kept in the buffer to the record
    // file, replacing it whole. Only once the new file is in place does it
    // confirm; otherwise it names the file and the system's reason, and the
    // previous file stays. Returns whether the file was written.
    bool save(const SaveBuffer& buffer);
    // Told the outcome of each save (and the reason of a failure) before
    // the operator is.
    void setSaveObserver(std::function<void(bool saved, const QString& reason)> observer)
    {
        m_saveObserver = std::move(observer);
    }

    // Read (`Command2`): the record file's last line, for the viewer's text
    // box. With no record file yet, or one that cannot be read, it says so in
    // a message and gives the empty text.
    QString readLastLine();

    // Print (`print`): the printer dialog, then one job of one page with the
    // test line for each copy asked for. Cancel or any error ends it silently.
    // Returns the number of pages that went out.
    int print();

    // The record file's path as the operator would type it.
    QString path() const;

    // The status line's notice when the save buffer has just become full.
    static QString fullNotice();

    // The save's confirmation and its caption; the line of the test print.
    static QString savedText();
    static QString savedCaption();
    static QString printLine();
    // The viewer's caption, which also heads the messages of its read button.
    static QString viewerCaption();

private:
    platform::RecordStore& m_store;
    platform::Printer& m_printer;
    platform::Dialogs& m_dialogs;
    QChar m_decimalSeparator;
    std::function<void(bool, const QString&)> m_saveObserver;
};
