#pragma once

#include <QString>
#include <QStringList>

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
};

}  // namespace platform
