#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// Starts an outside program and forgets it: the caller never waits for it.
// The program hands in one that runs a process; tests hand in a recorder.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts `program` with `arguments`, ends it after `limitMs` if it still
    // runs, and discards what it prints. Returns at once; when the program
    // cannot be started `failed` is called later with the reason in plain
    // words (from the event loop).
    virtual void launch(const QString& program, const QStringList& arguments, int limitMs,
                        std::function<void(const QString& reason)> failed) = 0;
};

}  // namespace platform
