// The settings file: typed reading with range checks (a bad value keeps the
// default and names its key), and the INI file on disk read back as written.
#include "fakes/fakesettings.h"
#include "platform/qtsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("stored");  // null: the key is missing
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("missing number") << QString() << "number" << "1.5" << false;
        QTest::newRow("number") << "0.25" << "number" << "0.25" << false;
        QTest::newRow("number with blanks") << " 2 " << "number" << "2" << false;
        QTest::newRow("comma is no decimal point") << "0,5" << "number" << "1.5" << true;
        QTest::newRow("number above max") << "2.01" << "number" << "1.5" << true;
        QTest::newRow("nan") << "nan" << "number" << "1.5" << true;
        QTest::newRow("whole") << "3600" << "whole" << "3600" << false;
        QTest::newRow("whole below min") << "-1" << "whole" << "10" << true;
        QTest::newRow("whole not a number") << "ten" << "whole" << "10" << true;
        QTest::newRow("flag yes") << "Yes" << "flag" << "true" << false;
        QTest::newRow("flag 0") << "0" << "flag" << "false" << false;
        QTest::newRow("flag bad") << "maybe" << "flag" << "true" << true;
        QTest::newRow("choice any case") << "STOP" << "choice" << "stop" << false;
        QTest::newRow("choice unknown") << "halt" << "choice" << "warn" << true;
    }
    void reading()
    {
        QFETCH(QString, stored);
        QFETCH(QString, kind);
        FakeSettings file;
        if (!stored.isNull())
            file.values.insert(QStringLiteral("alarms/k"), stored);
        QStringList bad;
        const platform::SettingsReader r{&file, QStringLiteral("alarms"), &bad};
        QString got;
        if (kind == QLatin1String("number"))
            got = QString::number(r.number(QStringLiteral("k"), 1.5, 0.0, 2.0));
        else if (kind == QLatin1String("whole"))
            got = QString::number(r.whole(QStringLiteral("k"), 10, 0, 3600));
        else if (kind == QLatin1String("flag"))
            got = platform::flagText(r.flag(QStringLiteral("k"), true));
        else
            got = r.choice(QStringLiteral("k"), QStringLiteral("warn"), {QStringLiteral("warn"), QStringLiteral("stop")});
        QTEST(got, "expected");
        QFETCH(bool, rejected);
        QCOMPARE(bad, rejected ? QStringList{QStringLiteral("alarms/k")} : QStringList{});
    }

    void iniFileRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pump-panel.ini"));
        {
            platform::QtSettings s(path);
            QVERIFY(s.value(QStringLiteral("remote"), QStringLiteral("listen")).isNull());
            s.setValue(QStringLiteral("remote"), QStringLiteral("listen"), QStringLiteral("127.0.0.1:8470"));
            s.setValue(QStringLiteral("mqtt"), QStringLiteral("topic"), QStringLiteral("a,b"));
            QString error;
            QVERIFY2(s.sync(&error), qPrintable(error));
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.contains("[remote]") && text.contains("listen=127.0.0.1:8470"), text.constData());
        platform::QtSettings again(path);
        QCOMPARE(again.value(QStringLiteral("remote"), QStringLiteral("listen")), QStringLiteral("127.0.0.1:8470"));
        QCOMPARE(again.value(QStringLiteral("mqtt"), QStringLiteral("topic")), QStringLiteral("a,b"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
