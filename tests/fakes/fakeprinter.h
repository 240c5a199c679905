#pragma once

#include "platform/printer.h"

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

    static constexpr qsizetype kTray = 1'000'000;  // a copy loop that never ends fails, not hangs
    // Test controls and what happened.
    std::optional<int> copies = 1;  // the dialog's answer; nothing = Cancel
    int failFromJob = 0;            // > 0: that job and every later one fail
    int dialogs = 0;
    QStringList jobs;
};
