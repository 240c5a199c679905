#include "platform/qtdialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace platform {

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, defaultAnswer, &ok);
    return ok ? answer : QString();
}

void QtDialogs::messageBox(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

}  // namespace platform
