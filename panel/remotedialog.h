#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RemoteAccess;

// 通信 › 远程访问…: turns remote access on and off, sets where it listens
// and whether clients may command the pump, and shows the link with the
// token once, when it is made or replaced. Not modal: the panel runs on while
// it is open, and "立即关闭" turns access off at once.
class RemoteDialog : public QDialog {
    Q_OBJECT
public:
    RemoteDialog(RemoteAccess& access, QWidget* parent = nullptr);

    // Applies what the controls say (the "应用" button).
    void applyChanges();
    // Turns access off at once ("立即关闭").
    void turnOff();
    // A new token, shown once ("更换令牌").
    void replaceToken();
    // The link with the token while it is shown; empty once the dialog was closed.
    QString shownLink() const { return m_shownLink; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void showState(const QString& error = QString());

    RemoteAccess& m_access;
    QCheckBox* m_enabled = nullptr;
    QLineEdit* m_listen = nullptr;
    QCheckBox* m_control = nullptr;
    QLineEdit* m_link = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_replace = nullptr;
    QPushButton* m_off = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_state = nullptr;
    QString m_shownLink;
};
