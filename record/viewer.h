#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

#include <functional>

class QCloseEvent;
class QLineEdit;
class QPushButton;

// The record viewer `Form2`: a text box and two buttons. `Command2` puts the
// record file's last line into `Text1`; `Command1` ("退出") goes back to the
// main window and hides the viewer, which keeps its text for next time. Its
// close box does the same as "退出", so the program is never left without a
// visible window.
class Form2 : public QWidget {
    Q_OBJECT
public:
    // Gives the text for `Text1` (the record file's last line).
    using ReadLastLine = std::function<QString()>;

    explicit Form2(ReadLastLine readLastLine, QWidget* parent = nullptr);

    QString text() const;

    // The window's own 32 x 32 icon, drawn here.
    static QIcon drawIcon();

public slots:
    void Command1_Click();
    void Command2_Click();

signals:
    // "退出" was chosen: the main window is to be shown. Emitted before the
    // viewer hides itself.
    void mainWindowWanted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ReadLastLine m_readLastLine;
    QPushButton* m_Command1 = nullptr;
    QPushButton* m_Command2 = nullptr;
    QLineEdit* m_Text1 = nullptr;
};
