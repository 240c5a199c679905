#include "fakes/fakeservices.h"
#include "panel/mainwindow.h"
#include "record/viewer.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

struct Rig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    FakeRecordStore& store = fakes.store;
    FakePrinter& printer = fakes.printer;
    FakeSerialPort*& port = fakes.port;
    std::unique_ptr<Form1> window;

    Rig()
    {
        window = std::make_unique<Form1>(fakes.services());
        window->show();
        dialogs.answer(QStringLiteral("COM7"));
        window->action(QStringLiteral("Communication"))->trigger();
    }
};

QPushButton* button(Form2* form, const char* name)
{
    return form->findChild<QPushButton*>(QLatin1String(name));
}

}  // namespace

class TestViewerWindow : public QObject {
    Q_OBJECT
private slots:
    void fileMenuHoldsTheRecordItems();
    void menuOpensTheViewerAndExitComesBack();
    void closeBoxComesBackToo();
    void saveAndPrintFromTheMenu();
};

void TestViewerWindow::fileMenuHoldsTheRecordItems()
{
    Rig rig;
    auto* file = rig.window->action(QStringLiteral("file"))->menu();
    QVERIFY(file);
    QStringList captions;
    for (QAction* a : file->actions())
        captions << a->text();
    QCOMPARE(captions, (QStringList{QStringLiteral("保存"), QStringLiteral("打印"), QStringLiteral("查看记录"),
                                    QStringLiteral("运行历史"), QStringLiteral("CSV记录"), QStringLiteral("退出")}));
}

void TestViewerWindow::menuOpensTheViewerAndExitComesBack()
{
    Rig rig;
    rig.port->feed("Q01N01.0YQ01N02.0YQ01N03.0YQ01N04.0YQ01N05.0YQ01N06.0Y");
    rig.window->action(QStringLiteral("save"))->trigger();

    Form2* viewer = rig.window->viewer();
    QVERIFY(viewer);
    QVERIFY(!viewer->isVisible());
    rig.window->action(QStringLiteral("view"))->trigger();
    QVERIFY(viewer->isVisible());
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(viewer->text(), QStringLiteral("Text1"));

    QTest::mouseClick(button(viewer, "Command2"), Qt::LeftButton);
    QCOMPARE(viewer->text(), QStringLiteral(" 6 "));

    QTest::mouseClick(button(viewer, "Command1"), Qt::LeftButton);
    QVERIFY(rig.window->isVisible());
    QVERIFY(!viewer->isVisible());

    // Shown again, it still holds the text it read.
    rig.window->action(QStringLiteral("view"))->trigger();
    QCOMPARE(viewer->text(), QStringLiteral(" 6 "));
}

void TestViewerWindow::closeBoxComesBackToo()
{
    Rig rig;
    rig.window->action(QStringLiteral("view"))->trigger();
    Form2* viewer = rig.window->viewer();

    // No record saved yet: the text box empties and a message says so.
    QTest::mouseClick(button(viewer, "Command2"), Qt::LeftButton);
    QCOMPARE(viewer->text(), QString());
    QCOMPARE(rig.dialogs.messages.size(), 1);

    QVERIFY(!viewer->close());  // the viewer stays loaded
    QVERIFY(rig.window->isVisible());
    QVERIFY(!viewer->isVisible());
}

void TestViewerWindow::saveAndPrintFromTheMenu()
{
    Rig rig;
    rig.port->feed("Q01N01.5Y");
    rig.window->action(QStringLiteral("save"))->trigger();
    QCOMPARE(rig.store.content, QByteArray(" 1.5 "));
    QCOMPARE(rig.dialogs.messages.last().caption, QStringLiteral("存储数据"));

    rig.printer.copies = 1;
    rig.window->action(QStringLiteral("print"))->trigger();
    QCOMPARE(rig.printer.jobs, QStringList{QStringLiteral("打印测试")});
}

QTEST_MAIN(TestViewerWindow)
#include "test_viewerwindow.moc"
