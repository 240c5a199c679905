#pragma once

#include "platform/printer.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

// A printer dialog that answers with a scripted copy count (or Cancel) and a
// printer that keeps every job: each entry of `jobs` is one job of one page
// holding the line printed on it.
class FakePrinter : public platform::Printer {
public:
    std::optional<int> choosePrinter() override
    {
        ++dialogs;
        return copies;
    }

    bool printPage(const QString& line) override
    {
        if ((failFromJob > 0 && jobs.size() + 1 >= failFromJob) || jobs.size() >= kTray)
            return false;
        jobs.append(line);
        return true;
    }

    // A painted page is kept as a picture of an A4 page at 100 dots per inch.
    std::optional<bool> printPainted(const PagePainter& paint) override
    {
        ++dialogs;
        if (!copies)
            return std::nullopt;
        QImage page(827, 1169, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        paint(painter, page.rect());
        painter.end();
        pages.append(page);
        return true;
    }

    static constexpr qsizetype kTray = 1'000'000;  // a copy loop that never ends fails, not hangs
    // Test controls and what happened.
    std::optional<int> copies = 1;  // the dialog's answer; nothing = Cancel
    int failFromJob = 0;            // > 0: that job and every later one fail
    int dialogs = 0;
    QStringList jobs;
    QList<QImage> pages;
};
