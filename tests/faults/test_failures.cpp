// The reasons the operator reads when a file or a port fails: Chinese words
// from Qt's error code and the system's error number, then the system's own
// text (here "sys") in brackets.
#include "platform/failures.h"

#include <QtTest>

#include <cerrno>

class TestFailures : public QObject {
    Q_OBJECT
private slots:
    void reasons_data();
    void reasons();
};

void TestFailures::reasons_data()
{
    QTest::addColumn<QString>("use");  // read, write or port
    QTest::addColumn<int>("qtError");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("reason");

    const int open = QFileDevice::OpenError;
    const int write = QFileDevice::WriteError;
    const int full = QFileDevice::ResourceError;
    QTest::newRow("folder missing") << "write" << open << ENOENT << "sys" << "文件夹不存在 (sys)";
    QTest::newRow("file missing") << "read" << open << ENOENT << "sys" << "文件不存在 (sys)";
    QTest::newRow("not a folder") << "write" << open << ENOTDIR << "sys" << "路径中有一项不是文件夹 (sys)";
    QTest::newRow("no permission") << "write" << open << EACCES << "sys" << "没有访问权限 (sys)";
    QTest::newRow("disk full") << "write" << full << ENOSPC << "sys" << "磁盘已满 (sys)";
    QTest::newRow("read-only, found by Qt") << "write" << write << EROFS << "sys" << "文件系统为只读 (sys)";
    QTest::newRow("too large") << "write" << write << EFBIG << "sys" << "文件超过系统允许的大小 (sys)";
    QTest::newRow("Qt's own check") << "read" << open << 0 << "sys" << "无法打开文件 (sys)";
    QTest::newRow("unlisted number: Qt's code") << "write" << write << EXDEV << "sys" << "无法写入文件 (sys)";
    QTest::newRow("no system text") << "write" << full << 0 << "" << "磁盘已满或系统资源不足";
    QTest::newRow("unknown text left out") << "read" << open << 0 << "Unknown error" << "无法打开文件";

    const int refused = QSerialPort::PermissionError;
    const int unsupported = QSerialPort::UnsupportedOperationError;
    const int unknown = QSerialPort::UnknownError;
    QTest::newRow("port missing") << "port" << int(QSerialPort::DeviceNotFoundError) << ENOENT << "sys"
                                  << "端口不存在 (sys)";
    QTest::newRow("port not allowed") << "port" << refused << EACCES << "sys" << "无权访问端口 (sys)";
    QTest::newRow("port locked by another") << "port" << refused << ENOENT << "sys" << "端口被其他程序占用 (sys)";
    QTest::newRow("port refused, number unknown") << "port" << refused << 0 << "sys" << "端口被其他程序占用 (sys)";
    QTest::newRow("not a terminal") << "port" << unsupported << ENOTTY << "sys" << "不是串口设备 (sys)";
    QTest::newRow("setting refused") << "port" << unsupported << 0 << "" << "端口不支持该设置";
    QTest::newRow("port is a folder") << "port" << unknown << EISDIR << "sys" << "不是串口设备 (sys)";
    QTest::newRow("port gone") << "port" << int(QSerialPort::ResourceError) << EIO << "sys" << "端口已断开 (sys)";
    QTest::newRow("port, nothing known") << "port" << unknown << 0 << "" << "端口错误";
}

void TestFailures::reasons()
{
    QFETCH(QString, use);
    QFETCH(int, qtError);
    QFETCH(int, systemError);
    QFETCH(QString, systemText);
    using platform::failures::Use;
    if (use == QLatin1String("port"))
        QTEST(platform::failures::portReason(QSerialPort::SerialPortError(qtError), systemError, systemText), "reason");
    else
        QTEST(platform::failures::fileReason(QFileDevice::FileError(qtError), systemError, systemText,
                                             use == QLatin1String("read") ? Use::Reading : Use::Writing),
              "reason");
}

QTEST_GUILESS_MAIN(TestFailures)
#include "test_failures.moc"
