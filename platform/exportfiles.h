#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace platform {

// Where exports go: a save dialog to choose the file, and writing it whole;
// and files the operator opens (programs): an open dialog and reading.
// The history window reaches files only through this interface; tests fake it
// with scripted answers and files in memory.
class ExportFiles {
public:
    virtual ~ExportFiles() = default;

    // Asks where to save, starting from `suggestedName` in the folder used
    // last (the documents folder at first). Empty when the operator cancels.
    // `filter` as file dialogs take it: "CSV (*.csv)".
    virtual QString chooseSaveFile(const QString& caption, const QString& suggestedName,
                                   const QString& filter) = 0;

    // Writes the file through `write`. It replaces a file already there only
    // when `write` returns true and everything reached the disk, so a failed
    // export never leaves half a file in place of a good one. False, with
    // the reason in *error, otherwise.
    virtual bool writeFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                           QString* error) = 0;

    // Asks which file to open, in the folder used last. Empty on cancel.
    virtual QString chooseOpenFile(const QString& caption, const QString& filter) = 0;
    // Reads a whole file into *bytes; false with the reason in *error.
    virtual bool readFile(const QString& path, QByteArray* bytes, QString* error) = 0;
};

}  // namespace platform
