#pragma once

#include "platform/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// Input and message boxes through QInputDialog and QMessageBox, modal to the
// window given with setParentWindow(); notify() shows a QMessageBox that is not
// modal and deletes itself once closed.
class QtDialogs : public Dialogs {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString inputBoxWithChoices(const QString& prompt, const QString& title, const QString& defaultAnswer,
                                const QStringList& choices) override;
    void messageBox(const QString& text, const QString& caption) override;
    void notify(const QString& text, const QString& caption) override;
    bool question(const QString& text, const QString& caption) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> m_parent;
};

}  // namespace platform
