#include "platform/failures.h"

#include "platform/recorded.h"

#include <cerrno>

namespace platform::failures {

namespace {

// What a system error number means, where it says more than Qt's code; null
// where it says nothing more.
const char* systemReason(int systemError, Use use)
{
    const bool port = use == Use::Port;
    switch (systemError) {
    case ENOENT:
        return port ? QT_TRANSLATE_NOOP("recorded", "端口不存在")
             : use == Use::Reading ? QT_TRANSLATE_NOOP("recorded", "文件不存在")
             : QT_TRANSLATE_NOOP("recorded", "文件夹不存在");
    case ENXIO:
    case ENODEV:
        return port ? QT_TRANSLATE_NOOP("recorded", "端口不存在") : QT_TRANSLATE_NOOP("recorded", "设备不存在");
    case ENOTDIR:
        return QT_TRANSLATE_NOOP("recorded", "路径中有一项不是文件夹");
    case EISDIR:
        return port ? QT_TRANSLATE_NOOP("recorded", "不是串口设备") : QT_TRANSLATE_NOOP("recorded", "这是文件夹，不是文件");
    case ENOTTY:
        return port ? QT_TRANSLATE_NOOP("recorded", "不是串口设备") : nullptr;
    case EACCES:
    case EPERM:
        return port ? QT_TRANSLATE_NOOP("recorded", "无权访问端口") : QT_TRANSLATE_NOOP("recorded", "没有访问权限");
    case EEXIST:
        return port ? QT_TRANSLATE_NOOP("recorded", "端口被其他程序占用") : QT_TRANSLATE_NOOP("recorded", "同名文件已存在");
    case EBUSY:
        return port ? QT_TRANSLATE_NOOP("recorded", "端口被其他程序占用") : QT_TRANSLATE_NOOP("recorded", "文件正被其他程序占用");
    case ENOSPC:
        return QT_TRANSLATE_NOOP("recorded", "磁盘已满");
#ifdef EDQUOT
    case EDQUOT:
        return QT_TRANSLATE_NOOP("recorded", "磁盘配额已用完");
#endif
    case EROFS:
        return QT_TRANSLATE_NOOP("recorded", "文件系统为只读");
    case EFBIG:
        return QT_TRANSLATE_NOOP("recorded", "文件超过系统允许的大小");
    case ENAMETOOLONG:
        return QT_TRANSLATE_NOOP("recorded", "文件名太长");
    case EMFILE:
    case ENFILE:
        return QT_TRANSLATE_NOOP("recorded", "打开的文件太多");
    case EIO:
        return port ? QT_TRANSLATE_NOOP("recorded", "端口已断开") : QT_TRANSLATE_NOOP("recorded", "读写出错（设备故障或已拔出）");
    default:
        return nullptr;
    }
}

const char* fileErrorReason(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::ReadError:
        return QT_TRANSLATE_NOOP("recorded", "无法读取文件");
    case QFileDevice::WriteError:
        return QT_TRANSLATE_NOOP("recorded", "无法写入文件");
    case QFileDevice::ResourceError:
        return QT_TRANSLATE_NOOP("recorded", "磁盘已满或系统资源不足");
    case QFileDevice::OpenError:
        return QT_TRANSLATE_NOOP("recorded", "无法打开文件");
    case QFileDevice::PermissionsError:
        return QT_TRANSLATE_NOOP("recorded", "没有访问权限");
    case QFileDevice::RenameError:
        return QT_TRANSLATE_NOOP("recorded", "无法替换原有文件");
    case QFileDevice::ResizeError:
        return QT_TRANSLATE_NOOP("recorded", "无法改变文件大小");
    case QFileDevice::AbortError:
        return QT_TRANSLATE_NOOP("recorded", "操作已取消");
    case QFileDevice::TimeOutError:
        return QT_TRANSLATE_NOOP("recorded", "操作超时");
    default:
        return QT_TRANSLATE_NOOP("recorded", "文件操作失败");
    }
}

}  // namespace

int lastSystemError()
{
#ifdef Q_OS_WIN
    return 0;
#else
    return errno;
#endif
}

void clearSystemError()
{
    errno = 0;
}

QString withSystemText(const QString& plain, const QString& systemText)
{
    const QString system = systemText.trimmed();
    if (system.isEmpty() || system == QLatin1String("Unknown error") || system == plain)
        return plain;
    return plain + QStringLiteral(" (") + system + QLatin1Char(')');
}

QString fileReason(QFileDevice::FileError error, int systemError, const QString& systemText, Use use)
{
    const char* plain = systemReason(systemError, use);
    return withSystemText(recorded::text(plain ? plain : fileErrorReason(error)), systemText);
}

QString portReason(QSerialPort::SerialPortError error, int systemError, const QString& systemText)
{
    const char* plain = nullptr;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        plain = QT_TRANSLATE_NOOP("recorded", "端口不存在");
        break;
    case QSerialPort::PermissionError:
        // Qt says the same for a port the user may not open and one another
        // program holds: the device is busy, or its lock file is there (the
        // error number is then whatever the lock's check left behind). On
        // Windows, where the number is not known, a refused port is nearly
        // always one in use.
        plain = systemError == EACCES || systemError == EPERM ? QT_TRANSLATE_NOOP("recorded", "无权访问端口")
             : QT_TRANSLATE_NOOP("recorded", "端口被其他程序占用");
        break;
    case QSerialPort::OpenError:
        plain = QT_TRANSLATE_NOOP("recorded", "端口已打开");
        break;
    case QSerialPort::NotOpenError:
        plain = QT_TRANSLATE_NOOP("recorded", "端口未打开");
        break;
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        plain = QT_TRANSLATE_NOOP("recorded", "端口已断开");
        break;
    case QSerialPort::WriteError:
        plain = QT_TRANSLATE_NOOP("recorded", "无法向端口写入");
        break;
    case QSerialPort::UnsupportedOperationError:
        // Opening something that is not a terminal fails at its first
        // terminal call, which Qt reports as an unsupported operation.
        plain = systemError == ENOTTY ? QT_TRANSLATE_NOOP("recorded", "不是串口设备")
             : QT_TRANSLATE_NOOP("recorded", "端口不支持该设置");
        break;
    case QSerialPort::TimeoutError:
        plain = QT_TRANSLATE_NOOP("recorded", "端口超时");
        break;
    default:
        plain = systemReason(systemError, Use::Port);
        if (!plain)
            plain = QT_TRANSLATE_NOOP("recorded", "端口错误");
        break;
    }
    return withSystemText(recorded::text(plain), systemText);
}

}  // namespace platform::failures
