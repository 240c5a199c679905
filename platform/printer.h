#pragma once

#include <QString>

#include <optional>

namespace platform {

// The printer selection dialog and the printer it chooses. The print command
// reaches the printer only through this interface; tests count jobs and pages
// with a fake.
class Printer {
public:
    virtual ~Printer() = default;

    // Shows the modal printer selection dialog. Returns the number of copies
    // asked for, or nothing when the operator cancels or the dialog fails.
    // The printer chosen there receives the pages printed afterwards.
    virtual std::optional<int> choosePrinter() = 0;

    // Prints one job of one page holding the single line `line` at the first
    // print position, and ends it so the page goes out as a job of its own.
    // Returns false on any error.
    virtual bool printPage(const QString& line) = 0;
};

}  // namespace platform
