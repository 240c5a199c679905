#include "platform/failures.h"

#include <QCoreApplication>

#include <cerrno>

namespace platform::failures {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("platform::failures", text);
}

// What a system error number means, where it says more than Qt's code.
QString systemReason(int systemError, Use use)
{
    const bool port = use == Use::Port;
    switch (systemError) {
    case ENOENT:
        return port ? tr("端口不存在") : use == Use::Reading ? tr("文件不存在") : tr("文件夹不存在");
    case ENXIO:
    case ENODEV:
        return port ? tr("端口不存在") : tr("设备不存在");
    case ENOTDIR:
        return tr("路径中有一项不是文件夹");
    case EISDIR:
        return port ? tr("不是串口设备") : tr("这是文件夹，不是文件");
    case ENOTTY:
        return port ? tr("不是串口设备") : QString();
    case EACCES:
    case EPERM:
        return port ? tr("无权访问端口") : tr("没有访问权限");
    case EEXIST:
        return port ? tr("端口被其他程序占用") : tr("同名文件已存在");
    case EBUSY:
        return port ? tr("端口被其他程序占用") : tr("文件正被其他程序占用");
    case ENOSPC:
        return tr("磁盘已满");
#ifdef EDQUOT
    case EDQUOT:
        return tr("磁盘配额已用完");
#endif
    case EROFS:
        return tr("文件系统为只读");
    case EFBIG:
        return tr("文件超过系统允许的大小");
    case ENAMETOOLONG:
        return tr("文件名太长");
    case EMFILE:
    case ENFILE:
        return tr("打开的文件太多");
    case EIO:
        return port ? tr("端口已断开") : tr("读写出错（设备故障或已拔出）");
    default:
        return QString();
    }
}

QString fileErrorReason(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::ReadError:
        return tr("无法读取文件");
    case QFileDevice::WriteError:
        return tr("无法写入文件");
    case QFileDevice::ResourceError:
        return tr("磁盘已满或系统资源不足");
    case QFileDevice::OpenError:
        return tr("无法打开文件");
    case QFileDevice::PermissionsError:
        return tr("没有访问权限");
    case QFileDevice::RenameError:
        return tr("无法替换原有文件");
    case QFileDevice::ResizeError:
        return tr("无法改变文件大小");
    case QFileDevice::AbortError:
        return tr("操作已取消");
    case QFileDevice::TimeOutError:
        return tr("操作超时");
    default:
        return tr("文件操作失败");
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
    QString plain = systemReason(systemError, use);
    if (plain.isEmpty())
        plain = fileErrorReason(error);
    return withSystemText(plain, systemText);
}

QString portReason(QSerialPort::SerialPortError error, int systemError, const QString& systemText)
{
    QString plain;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        plain = tr("端口不存在");
        break;
    case QSerialPort::PermissionError:
        // Qt says the same for a port the user may not open and one another
        // program holds: the device is busy, or its lock file is there (the
        // error number is then whatever the lock's check left behind). On
        // Windows, where the number is not known, a refused port is nearly
        // always one in use.
        plain = systemError == EACCES || systemError == EPERM ? tr("无权访问端口") : tr("端口被其他程序占用");
        break;
    case QSerialPort::OpenError:
        plain = tr("端口已打开");
        break;
    case QSerialPort::NotOpenError:
        plain = tr("端口未打开");
        break;
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        plain = tr("端口已断开");
        break;
    case QSerialPort::WriteError:
        plain = tr("无法向端口写入");
        break;
    case QSerialPort::UnsupportedOperationError:
        // Opening something that is not a terminal fails at its first
        // terminal call, which Qt reports as an unsupported operation.
        plain = systemError == ENOTTY ? tr("不是串口设备") : tr("端口不支持该设置");
        break;
    case QSerialPort::TimeoutError:
        plain = tr("端口超时");
        break;
    default:
        plain = systemReason(systemError, Use::Port);
        if (plain.isEmpty())
            plain = tr("端口错误");
        break;
    }
    return withSystemText(plain, systemText);
}

}  // namespace platform::failures
