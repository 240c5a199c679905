#pragma once

#include <QString>

namespace platform {

// Modal input and message boxes. Logic never calls a Qt dialog directly; the
// program passes the Qt implementation and tests pass a scripted fake.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal input box and returns the answer; Cancel returns the empty
    // text, as an input box does.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) = 0;
    // Shows a modal message box with one OK button and no icon.
    virtual void messageBox(const QString& text, const QString& caption) = 0;
};

}  // namespace platform
