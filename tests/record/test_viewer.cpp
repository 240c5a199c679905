#include "record/viewer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TestViewer : public QObject {
    Q_OBJECT
private slots:
    void startsAsLaidOut();
    void command2ShowsTheLastLine();
    void command1GoesBackAndKeepsTheText();
    void closeBoxDoesWhatExitDoes();
};

namespace {

QPushButton* button(Form2& form, const char* name)
{
    return form.findChild<QPushButton*>(QLatin1String(name));
}

}  // namespace

void TestViewer::startsAsLaidOut()
{
    Form2 form([] { return QString(); });
    QCOMPARE(form.windowTitle(), QStringLiteral("泵启动和停止时间记录"));
    QVERIFY(form.isWindow());
    QCOMPARE(form.size(), QSize(578, 338));
    QCOMPARE(form.windowIcon().actualSize(QSize(32, 32)), QSize(32, 32));

    QPushButton* command1 = button(form, "Command1");
    QPushButton* command2 = button(form, "Command2");
    auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(command1 && command2 && text1);
    QCOMPARE(command1->text(), QStringLiteral("退出"));
    QCOMPARE(command1->geometry(), QRect(504, 304, 49, 25));
    QCOMPARE(command2->text(), QStringLiteral("Command2"));
    QCOMPARE(command2->geometry(), QRect(408, 304, 57, 25));
    QCOMPARE(text1->text(), QStringLiteral("Text1"));
    QCOMPARE(text1->geometry(), QRect(72, 64, 393, 137));
    QCOMPARE(command1->nextInFocusChain(), command2);
    QCOMPARE(command2->nextInFocusChain(), text1);
}

void TestViewer::command2ShowsTheLastLine()
{
    int reads = 0;
    QString line = QStringLiteral(" 5  6 ");
    Form2 form([&] {
        ++reads;
        return line;
    });
    form.show();
    QTest::mouseClick(button(form, "Command2"), Qt::LeftButton);
    QCOMPARE(reads, 1);
    QCOMPARE(form.text(), QStringLiteral(" 5  6 "));

    line.clear();  // an empty file
    QTest::mouseClick(button(form, "Command2"), Qt::LeftButton);
    QCOMPARE(form.text(), QString());
}

void TestViewer::command1GoesBackAndKeepsTheText()
{
    QWidget main;
    Form2 form([] { return QStringLiteral(" 1  2 "); });
    QObject::connect(&form, &Form2::mainWindowWanted, &main, &QWidget::show);
    form.show();
    QTest::mouseClick(button(form, "Command2"), Qt::LeftButton);

    QSignalSpy wanted(&form, &Form2::mainWindowWanted);
    QTest::mouseClick(button(form, "Command1"), Qt::LeftButton);
    QCOMPARE(wanted.count(), 1);
    QVERIFY(main.isVisible());
    QVERIFY(!form.isVisible());

    form.show();
    QCOMPARE(form.text(), QStringLiteral(" 1  2 "));
}

void TestViewer::closeBoxDoesWhatExitDoes()
{
    QWidget main;
    Form2 form([] { return QString(); });
    QObject::connect(&form, &Form2::mainWindowWanted, &main, &QWidget::show);
    form.show();
    QSignalSpy wanted(&form, &Form2::mainWindowWanted);

    form.close();
    QCOMPARE(wanted.count(), 1);
    QVERIFY(main.isVisible());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.text(), QStringLiteral("Text1"));
}

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
