#include "fakes/fakedialogs.h"

QString FakeDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    inputs.append({prompt, title, defaultAnswer, {}});
    return m_answers.isEmpty() ? QString() : m_answers.dequeue();
}

QString FakeDialogs::inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                         const QStringList& choices)
{
    inputs.append({prompt, title, defaultAnswer, choices});
    return m_answers.isEmpty() ? QString() : m_answers.dequeue();
}

void FakeDialogs::messageBox(const QString& text, const QString& caption)
{
    messages.append({text, caption});
}
