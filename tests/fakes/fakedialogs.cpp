#include "fakes/fakedialogs.h"

#include <QEventLoop>
#include <QTimer>

#include <utility>

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
    messages.append({text, caption, true});
    if (const std::function<void()> script = std::exchange(whileModal, nullptr)) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] { script(); loop.quit(); });
        loop.exec();
    }
    if (whileShown)
        whileShown();
}

void FakeDialogs::notify(const QString& text, const QString& caption)
{
    messages.append({text, caption, false});
    if (whileShown)
        whileShown();
}
