// The reasons the operator reads when a file or a port fails: Chinese words
// from Qt's error code and the system's error number, the system's own text
// in brackets after them.
#include "platform/failures.h"

#include <QtTest>

#include <cerrno>

using platform::failures::Use;

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
    QTest::newRow("folder missing") << "write" << open << ENOENT << "No such file or directory"
                                    << "文件夹不存在 (No such file or directory)";
    QTest::newRow("file missing") << "read" << open << ENOENT << "No such file or directory"
                                  << "文件不存在 (No such file or directory)";
    QTest::newRow("not a folder") << "write" << open << ENOTDIR << "Not a directory"
                                  << "路径中有一项不是文件夹 (Not a directory)";
    QTest::newRow("no permission") << "write" << open << EACCES << "Permission denied"
                                   << "没有访问权限 (Permission denied)";
    QTest::newRow("disk full") << "write" << int(QFileDevice::ResourceError) << ENOSPC << "No space left on device"
                               << "磁盘已满 (No space left on device)";
    QTest::newRow("read-only, found by Qt") << "write" << write << EROFS << "Existing file f is not writable"
                                            << "文件系统为只读 (Existing file f is not writable)";
    QTest::newRow("too large") << "write" << write << EFBIG << "File too large"
                               << "文件超过系统允许的大小 (File too large)";
    QTest::newRow("Qt's own check") << "read" << open << 0 << "file to open is a directory"
                                    << "无法打开文件 (file to open is a directory)";
    QTest::newRow("unlisted number, Qt's code") << "write" << write << EXDEV << "Invalid cross-device link"
                                                << "无法写入文件 (Invalid cross-device link)";
    QTest::newRow("no system text") << "write" << int(QFileDevice::ResourceError) << 0 << ""
                                    << "磁盘已满或系统资源不足";
    QTest::newRow("unknown text left out") << "read" << open << 0 << "Unknown error" << "无法打开文件";

    QTest::newRow("port missing") << "port" << int(QSerialPort::DeviceNotFoundError) << ENOENT
                                  << "No such file or directory" << "端口不存在 (No such file or directory)";
    QTest::newRow("port not allowed") << "port" << int(QSerialPort::PermissionError) << EACCES << "Permission denied"
                                      << "无权访问端口 (Permission denied)";
    QTest::newRow("port locked by another") << "port" << int(QSerialPort::PermissionError) << ENOENT
                                            << "Permission error while locking the device"
                                            << "端口被其他程序占用 (Permission error while locking the device)";
    QTest::newRow("port refused, number unknown") << "port" << int(QSerialPort::PermissionError) << 0
                                                  << "Access is denied." << "端口被其他程序占用 (Access is denied.)";
    QTest::newRow("not a terminal") << "port" << int(QSerialPort::UnsupportedOperationError) << ENOTTY
                                    << "Inappropriate ioctl for device"
                                    << "不是串口设备 (Inappropriate ioctl for device)";
    QTest::newRow("setting refused") << "port" << int(QSerialPort::UnsupportedOperationError) << 0 << ""
                                     << "端口不支持该设置";
    QTest::newRow("port is a folder") << "port" << int(QSerialPort::UnknownError) << EISDIR << "Is a directory"
                                      << "不是串口设备 (Is a directory)";
    QTest::newRow("port gone") << "port" << int(QSerialPort::ResourceError) << EIO << "Input/output error"
                               << "端口已断开 (Input/output error)";
    QTest::newRow("port, nothing known") << "port" << int(QSerialPort::UnknownError) << 0 << "" << "端口错误";
}

void TestFailures::reasons()
{
    QFETCH(QString, use);
    QFETCH(int, qtError);
    QFETCH(int, systemError);
    QFETCH(QString, systemText);
    if (use == QLatin1String("port")) {
        QTEST(platform::failures::portReason(QSerialPort::SerialPortError(qtError), systemError, systemText),
              "reason");
    } else {
        const Use fileUse = use == QLatin1String("read") ? Use::Reading : Use::Writing;
        QTEST(platform::failures::fileReason(QFileDevice::FileError(qtError), systemError, systemText, fileUse),
              "reason");
    }
}

QTEST_GUILESS_MAIN(TestFailures)
#include "test_failures.moc"
