#pragma once

#include "platform/dialogs.h"

#include <QQueue>
#include <QStringList>

#include <functional>

// Dialogs that never block: input boxes take their answers from a queue the
// test fills (an empty queue answers like Cancel), and every prompt and
// message is recorded.
// With `whileModal` set, the next message box runs a nested event loop (as a real one does) with the script in it.
// With `whileShown` set, every message box and notice runs it once shown, as the real one's event loop goes on.
class FakeDialogs : public platform::Dialogs {
public:
    struct Input {
        QString prompt;
        QString title;
        QString defaultAnswer;
        QStringList choices;
    };
    struct Message {
        QString text;
        QString caption;
        bool modal = true;  // false: shown with notify()
    };

    void answer(const QString& text) { m_answers.enqueue(text); }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                const QStringList& choices) override;
    void messageBox(const QString& text, const QString& caption) override;
    void notify(const QString& text, const QString& caption) override;
    // Answered from `yes` (an empty queue answers no); kept in `messages`.
    bool question(const QString& text, const QString& caption) override
    {
        messages.append({text, caption, true});
        return !yes.isEmpty() && yes.dequeue();
    }
    QQueue<bool> yes;

    QList<Input> inputs;
    QList<Message> messages;
    std::function<void()> whileModal;
    std::function<void()> whileShown;

private:
    QQueue<QString> m_answers;
};
