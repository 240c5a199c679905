#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Input and message boxes. Logic never calls a Qt dialog directly; the
// program passes the Qt implementation and tests pass a scripted fake.
//
// A modal box runs an event loop of its own until the operator closes it, so
// it belongs only to the operator's own commands. What the pump, the port or
// a timer has to say goes through notify(): a box that waits for the operator
// without holding up anything else.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal input box and returns the answer; Cancel returns the empty
    // text, as an input box does.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) = 0;
    // The same input box, its answer also to be picked from a list: an
    // editable drop-down that starts with the default answer. Returns the
    // text typed or picked; Cancel returns the empty text. Without choices
    // it is the plain input box.
    virtual QString inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                        const QStringList& choices)
    {
        Q_UNUSED(choices);
        return inputBox(prompt, title, defaultAnswer);
    }
    // Shows a modal message box with one OK button and no icon.
    virtual void messageBox(const QString& text, const QString& caption) = 0;
    // Shows a message box with one OK button and no icon that stays until the
    // operator closes it, and returns at once: answers, polls and timers go on
    // meanwhile. Safe to call from inside a port's or a timer's signal.
    virtual void notify(const QString& text, const QString& caption) = 0;
    // Asks a yes-or-no question in a modal box; true for yes. Closing the
    // box answers no.
    virtual bool question(const QString& text, const QString& caption) = 0;
};

}  // namespace platform
