#include "platform/qtdialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {

QWidget* QtDialogs::owner() const
{
    // The viewer may stand in for the main window, which is hidden meanwhile:
    // a box belongs to whichever of them the operator is looking at.
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (m_parent && m_parent->isVisible())
        return m_parent;
    return nullptr;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultAnswer, &ok);
    return ok ? answer : QString();
}

QString QtDialogs::inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                       const QStringList& choices)
{
    if (choices.isEmpty())
        return inputBox(prompt, title, defaultAnswer);
    QInputDialog dialog(owner());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setComboBoxItems(choices);
    dialog.setComboBoxEditable(true);
    // A default that is not itself an entry stays in the box as typed text.
    dialog.setTextValue(defaultAnswer);
    // Typing works as in a plain box: no entry completes what is typed, so
    // "1" stays 1 even where "10 — ttyS9" is listed.
    if (auto* combo = dialog.findChild<QComboBox*>())
        combo->setCompleter(nullptr);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void QtDialogs::messageBox(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner());
    box.exec();
}

void QtDialogs::notify(const QString& text, const QString& caption)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

bool QtDialogs::question(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace platform
