#pragma once

#include "platform/dialogs.h"

#include <QQueue>
#include <QStringList>

// Dialogs that never block: input boxes take their answers from a queue the
// test fills (an empty queue answers like Cancel), and every prompt and
// message is recorded.
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
    };

    void answer(const QString& text) { m_answers.enqueue(text); }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                const QStringList& choices) override;
    void messageBox(const QString& text, const QString& caption) override;

    QList<Input> inputs;
    QList<Message> messages;

private:
    QQueue<QString> m_answers;
};
