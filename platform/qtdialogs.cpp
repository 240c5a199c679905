#include "platform/qtdialogs.h"

#include <QApplication>
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

}  // namespace platform
