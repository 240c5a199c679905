#pragma once

#include <QString>

#include <functional>
#include <optional>

class QPainter;
class QRect;

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

    // Paints one page: `page` is the printable area in the painter's
    // coordinates.
    using PagePainter = std::function<void(QPainter& painter, const QRect& page)>;

    // Shows the printer selection dialog, then prints one page painted by
    // `paint` on the printer chosen there (the run report). Nothing when the
    // operator cancels; otherwise whether the page went out.
    virtual std::optional<bool> printPainted(const PagePainter& paint) = 0;
};

}  // namespace platform
